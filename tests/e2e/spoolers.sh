#!/usr/bin/env bash
# Hosts with both LPRng and CUPS (Debian's lprng beside cups-daemon): the spooler is the one whose
# lpr the system runs, whichever daemon runs; undecidable without an lpr. Spooler programs count
# from the system's fixed directories only, and only those nobody but root can change. Under lpd,
# each queue kind hands the tool the job's bytes on the queue lpd chose: an alias, a :bkf: queue, a
# job whose Q line names another queue. An upgrade replaces the scripts whole and logs every file it
# writes itself.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
# shellcheck source=scripts/deps.sh
. "$TOP/scripts/deps.sh"
fetch_lprng "$TOP/build/debs" >/dev/null 2>&1 || :
debs=("$TOP"/build/debs/lprng_*.deb)
[ -f "${debs[0]}" ] || { echo "spoolers.sh: skipped, no lprng package in $TOP/build/debs" >&2; exit 77; }
MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
cp "${debs[0]}" "$MEDIUM/lprng.deb"
log_has() { local l; for l; do grep -qxF -- "$l" <<<"$LOG" || fail "the log lacks the line: $l"; done; }
IFS= read -r -d '' BOTH <<'SCRIPT' || :
export DEBIAN_FRONTEND=noninteractive
printf "#!/bin/sh\nexit 101\n" >/usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d
dpkg --no-triggers --force-depends -r cups-client >/dev/null && dpkg --no-triggers -i /mnt/cd/lprng.deb >/dev/null
[ -x /usr/sbin/cupsd ] || echo "no cupsd" >&2
SCRIPT
# ---- lpd runs while setup does (and again after it, the sandbox ends every process with the run);
# then jobs of nobody: through an alias, on a :bkf: queue, and one sent over lpd's socket to tq with
# the Q line "payroll".
IFS= read -r -d '' LPD <<'SCRIPT' || :
for q in 'tq|office:' 'tb:bkf:' 'payroll:'; do
    echo "$q:lp=/dev/null:sd=/var/spool/lpd/${q%%[|:]*}:if=/usr/Varen/tvxx/VarenPrinttvxx:sh"
done >>/etc/printcap
checkpc -f >/dev/null 2>&1
lpd -p off >/dev/null 2>&1
for _ in $(seq 100); do lpc status tq 2>&1 | grep -q "^tq@" && break; sleep 0.1; done
SCRIPT
IFS= read -r -d '' AFTER <<'SCRIPT' || :
lpd -p off >/dev/null 2>&1
for _ in $(seq 100); do lpc status tq 2>&1 | grep -q "^tq@" && break; sleep 0.1; done
q=/tmp/e2e.spool && mkdir -p $q && cd $q && chmod 755 .
echo "alias job" >alias && echo "bkf job" >bkf && echo "raw job" >raw
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
# One job at a time, so that the tool's log holds one call after the other.
jobs() {
    for _ in $(seq 150); do [ "$(grep -c '^  job on' /var/log/varen-tvxx/tvrtvxxtty.log)" = "$1" ] && return; sleep 0.1
    done
}
as_nobody lpr -P office alias && jobs 1 && as_nobody lpr -P tb bkf && jobs 2
as_nobody python3 - <<'PY'
import socket
s = socket.socket(socket.AF_UNIX)
s.connect("/var/run/lprng/socket")
def send(b):
    s.sendall(b)
    assert s.recv(1) == b"\0"
data, cf = open("raw", "rb").read(), b"Hlocalhost\nPnobody\nQpayroll\nJraw\nldfA123localhost\nNraw\n"
send(b"\x02tq\n")
send(b"\x02%d cfA123localhost\n" % len(cf)); send(cf + b"\0")
send(b"\x03%d dfA123localhost\n" % len(data)); send(data + b"\0")
PY
jobs 3
SCRIPT
SEED="$BOTH$LPD" TIMEOUT=90 PRE="pgrep -x lpd >/tmp/e2e.daemon"
run lpd_runs
expect_status 0
expect_eq "lpd ran" "$(file_text /tmp/e2e.daemon | wc -l)" 1
expect_eq ".tv_cfg" "$(file_text $A/.tv_cfg)" " LPRng "
expect_contains "log" "$LOG" "write /usr/Varen/tvxx.first 0644 root:root"
# Each call: the queue it was told, the queue variables, the bytes it read.
calls=$(awk '/^tvrtvxxtty/ { if (c) print c; c = $2 } /^  TolvarQueue|^  TolvarHost/ { c = c " " $1 }
    /^  job / { sub(/^  job on standard input /, ""); c = c " " $0 } END { print c }' "$R$A/log/tvrtvxxtty.log" | sort)
sum() {
    set -- "$R/tmp/e2e.spool/$1"
    printf '(%s bytes, cksum %s): %s' "$(wc -c <"$1")" "$(cksum <"$1" | cut -d' ' -f1)" "$(head -n 1 "$1")"
}
expect_eq "tvrtvxxtty's calls" "$(sed 's/TolvarHost_name=[^ ][^ ]*/TolvarHost_name=H/g' <<<"$calls")" \
    "[-dtb] TolvarHost_name=H TolvarQueue=tb $(sum bkf)
[-dtq] TolvarHost_name=H TolvarQueue=tq TolvarQueue_requested=office $(sum alias)
[-dtq] TolvarHost_name=H TolvarQueue=tq TolvarQueue_requested=payroll $(sum raw)"
# ---- the reverse: cupsd runs, lpd does not; an upgrade in place: a second name of the old script
# keeps it whole, a link left at the new name of the other is removed, never followed.
IFS= read -r -d '' CUPSD <<'SCRIPT' || :
c=/tmp/e2e.cupsd && mkdir -p $c/log $c/spool $c/state $c/cache $c/tmp && chmod 755 $c
printf '%s\n' "Listen $c/cups.sock" 'Browsing Off' 'WebInterface No' >$c/cupsd.conf
printf '%s\n' "ServerRoot $c" "StateDir $c/state" "CacheDir $c/cache" "RequestRoot $c/spool" "TempDir $c/tmp" \
    "ErrorLog $c/log/error_log" 'User lp' 'Group lp' 'SystemGroup root' >$c/cups-files.conf
cupsd -c $c/cupsd.conf -s $c/cups-files.conf
for _ in $(seq 50); do [ -S $c/cups.sock ] && break; sleep 0.1; done
[ -S $c/cups.sock ] || echo "cupsd did not come up" >&2
SCRIPT
fresh
SEED="$BOTH$(seed_installation /usr)"$'\nmkdir -p /var/spool/Varen/tvxx\n'"$CUPSD" TIMEOUT=60
PRE="ln $A/VarenPrinttvxx $A/old-script && ln -s /etc/hostname $A/VarenVSF.new && pgrep -x cupsd >/tmp/e2e.daemon"
run cupsd_runs
expect_status 0
expect_eq ".tv_cfg" "$(file_text $A/.tv_cfg)" " LPRng "
expect_eq "cupsd ran" "$(file_text /tmp/e2e.daemon | wc -l)" 1
expect_eq "the old script's other name" "$(file_text $A/old-script)" old
log_has "spooler: LPRng's lpd found, cupsd found" "spooler: lpr /usr/bin/lpr is /usr/bin/lpr, LPRng's" \
    "spooler: LPRng " "write $A/.tv_cfg 0644 root:root" "write $A/VarenPrinttvxx 0755 root:root" \
    "write $A/VarenVSF 0755 root:root" "write /usr/bin/tvqadmin 0755 root:root"
expect_absent $A/.tv_cfg.new $A/VarenPrinttvxx.new $A/VarenVSF.new
expect_unchanged etc
# ---- no lpr to decide by: CUPS, a WARNING, status 3; someone's file at the printconf link stays.
fresh
U=/usr/share/printconf/util/VarenPrinttvxx
SEED="$BOTH"$'\nrm /usr/bin/lpr\nmkdir -p /usr/share/printconf/util && echo mine >'$U
run undecided
expect_status 3
expect_eq ".tv_cfg" "$(file_text $A/.tv_cfg)" " CUPS "
t="the lpr the system runs and the spooler daemons found do not decide the spooler: $A/.tv_cfg says CUPS"
expect_contains "standard error" "$ERR" "  $t"
expect_contains "log" "$LOG" $'spooler: no lpr found\nWARNING: '"$t"
expect_contains "log" "$LOG" "WARNING: $U is left as it is: it is no link to $A/VarenPrinttvxx"
expect_eq "$U" "$(file_text $U)" mine
# ---- LPRng built into /usr/local, a CUPS lpr in /usr/bin: the system's first lpr (/usr/local/bin)
# decides, not the caller's PATH (the sandbox's lacks /usr/local); the printconf link of an old
# installation under / (the shortest base) now names the fixed place.
fresh
SEED="$BOTH"$'\nmv /usr/sbin/lpd /usr/local/sbin/ && mv /usr/bin/lpr /usr/local/bin/lpr
printf "#!/bin/sh\n# libcups\n" >/usr/bin/lpr && chmod 755 /usr/bin/lpr
mkdir -p /usr/share/printconf/util && ln -s /Varen/tvxx/VarenPrinttvxx '$U
run usr_local
expect_status 0
expect_eq ".tv_cfg" "$(file_text $A/.tv_cfg)" " LPRng "
expect_link $U $A/VarenPrinttvxx
log_has '/usr/bin/sh -c "/usr/local/sbin/lpd -V 2>&1' \
    "spooler: lpr /usr/local/bin/lpr is /usr/local/bin/lpr, LPRng's"
# ---- /usr/local/sbin of group staff (2775) on root's PATH: what a member planted there (lpd,
# cupsd) never runs nor counts; cupsd alone and LPRng's lpr disagree: CUPS, a WARNING, status 3.
fresh
SEED="$BOTH"$'\nchgrp staff /usr/local/sbin && chmod 2775 /usr/local/sbin && rm /usr/sbin/lpd
for d in lpd cupsd; do printf "#!/bin/sh\ntouch /tmp/pwned\necho LPRng\n" >/usr/local/sbin/$d; done
chmod 755 /usr/local/sbin/*'
ENVS=(PATH=/usr/local/sbin:/usr/sbin:/usr/bin:/sbin:/bin)
run planted
expect_status 3
expect_eq ".tv_cfg" "$(file_text $A/.tv_cfg)" " CUPS "
expect_absent /tmp/pwned
log_has "spooler: LPRng's lpd not found, cupsd found" "spooler: lpr /usr/bin/lpr is /usr/bin/lpr, LPRng's" \
    "command /usr/local/sbin/lpd skipped: someone other than root may change /usr/local/sbin" \
    "command /usr/local/sbin/cupsd skipped: someone other than root may change /usr/local/sbin"
expect_contains "log" "$LOG" $'LPRng\'s\nWARNING: '"$t"
expect_lacks "log" "$LOG" " skipped: no regular file"
# ---- LPRng alone, the scripts as :if= filters: what the stand-in tools got (argv with blanks and
# a leading "-" inside values, user, host, bytes by checksum), VarenVSF printing only standard input
# (not root's job in a stopped queue that a "../" file name points at, nor a copy: a 2 MB job on a
# 3 MB spool tmpfs), a job removed while vsf runs, and a vsf that always fails.
fresh
# Three queues, lpd without a TCP port, jobs of nobody, slow removed once vsf has it.
IFS= read -r -d '' AFTER <<'SCRIPT' || :
q=/tmp/e2e.lprng && mkdir -p $q/u/sub && cd $q
for n in tvxx:Printtvxx vsf:VSF held:VSF; do
    echo "varen-${n%:*}:lp=/dev/null:sd=/var/spool/lpd/varen-${n%:*}:if=/usr/Varen/tvxx/Varen${n#*:}:sh:send_try=1"
done >>/etc/printcap
mkdir -p /var/spool/lpd/varen-vsf && mount -t tmpfs -o size=3m spool /var/spool/lpd/varen-vsf
checkpc -f >/dev/null 2>&1
lpd -F -p off >$q/lpd.out 2>&1 &
# lpd answers once lpc lists the queue (the socket exists before lpd listens; lpc says 0 anyway).
for _ in $(seq 300); do lpc status varen-held 2>&1 | grep -q "^varen-held@" && break; sleep 0.1; done
lpc stop varen-held >/dev/null
lpc status varen-held | grep -q "^varen-held@[^ ]* *disabled" || echo "varen-held was not stopped" >>problems
echo "root only" | lpr -P varen-held
for _ in $(seq 100); do held=$(ls /var/spool/lpd/varen-held/ | grep ^dfA) && break; sleep 0.1; done
[ -n "$held" ] || echo "the held job did not reach varen-held" >>problems
mkdir u/varen-held && echo "own data" >u/varen-held/$held && seq 300000 >big && echo slow >slow
printf "first line of the report\nsecond line\n" >"My Report.txt" && echo "fail for good" >fail
chown -R nobody . && chmod 600 "My Report.txt"
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
as_nobody lpr -P varen-tvxx -J"-dvaren-vsf Quarterly report" -Z "opt1=1,media=a4 -dother-printer" "My Report.txt"
as_nobody lpr -P varen-vsf "My Report.txt"
(cd u/sub && as_nobody lpr -P varen-vsf ../varen-held/$held)
as_nobody lpr -P varen-vsf big
as_nobody lpr -P varen-vsf <fail
as_nobody lpr -P varen-vsf slow
for _ in $(seq 450); do grep -q "^  slow job" /var/log/varen-tvxx/vsf.log && break; sleep 0.1; done
as_nobody lprm -P varen-vsf >lprm.out 2>&1
for _ in $(seq 100); do [ "$(lpq -a 2>/dev/null | grep -c "no printable jobs")" = 2 ] && break; sleep 0.1; done
for name in tvxx vsf; do lpq -L -P varen-$name >lpq-$name; done
ls -A /var/spool/lpd/varen-vsf >spool-vsf && cat /var/spool/lpd/varen-held/$held >held-job
SCRIPT
SEED=$BOTH$'\nrm -f /usr/sbin/cupsd' TIMEOUT=120
run lprng
expect_status 0
expect_eq "the print scene" "$(file_text /tmp/e2e.lprng/problems)" ""
expect_eq ".tv_cfg" "$(file_text /usr/Varen/tvxx/.tv_cfg)" " LPRng "
q=/tmp/e2e.lprng
host=$(sed -n "s/.*'nobody@\([^+']*\)+.*/\1/p" "$R$q/lpq-vsf" | head -n 1)
sums() { for f; do printf '(%s bytes, cksum %s): %s\n' "$(wc -c <"$R$q/$f")" "$(cksum <"$R$q/$f" | cut -d' ' -f1)" \
    "$(head -n 1 "$R$q/$f")"; done; }
expect_eq "tvrtvxxtty's call" "$(sed 's/cfA[0-9]*/cfA#/' "$R$A/log/tvrtvxxtty.log")" \
    "tvrtvxxtty [-dvaren-tvxx] [-f] [-oopt1=1] [-omedia=a4 -dother-printer] [ -dvaren-vsf Quarterly report]
  user: daemon  cwd: /usr/Varen/tvxx
  TolvarControl_file=cfA#$host
  TolvarFileSourceDir=/var/spool/lpd/varen-tvxx
  TolvarHost_name=$host
  TolvarJob_title=My Report.txt
  TolvarQueue=varen-tvxx
  TolvarUser_name=nobody
  title:  -dvaren-vsf Quarterly report
  job on standard input $(sums "My Report.txt")"
# vsf reads standard input, the job's own data file, whole; a failing job 5 times; none after lprm.
held=$(cd "$R$q/u/varen-held" && echo dfA*)
expect_eq "vsf's jobs" "$(sed -n 's|^  job file /dev/stdin ||p' "$R$A/log/vsf.log")" \
    "$(sums "My Report.txt" "u/varen-held/$held" big fail fail fail fail fail slow)"
expect_eq "root's held job" "$(file_text $q/held-job)" "root only"
# The failed job stays queued (lpq: error, "ERROR: too many errors"); the removed one gone; no copy.
err=$(sed -n "s/^error  nobody@$host+\([0-9]*\) .* ERROR: too many errors$/\1/p" "$R$q/lpq-vsf")
expect_eq "job files in varen-vsf's spool" "$(grep '^[dh]fA\|^varen' "$R$q/spool-vsf")" \
    $'dfA'"${err:-X}$host"$'\nhfA'"$err"
for t in "filter msg - 'ERROR: VarenVSF: /usr/Varen/tvxx/vsf failed 5 times, last exit status 1'" \
    "filter exit status 'JFAIL'"; do expect_contains "lpq of varen-vsf" "$(file_text $q/lpq-vsf)" "$t"; done
# Five tries with pauses of 1, 2, 4 and 8 seconds: the failing job took 15 s.
secs=$(grep -E "size 14, .*VarenVSF|exit status 'JFAIL'" "$R$q/lpq-vsf" | sed 's/.* at //' |
    awk -F: '{ t = $1 * 3600 + $2 * 60 + $3 } NR == 1 { s = t } END { print int(t - s) }')
[ "${secs:-0}" -ge 15 ] && [ "$secs" -le 20 ] || fail "the failing job took ${secs:-no} s, not 15 to 20"
finish
