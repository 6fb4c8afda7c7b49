#!/usr/bin/env bash
# The interface scripts under a real LPRng lpd (the lprng package in the sandbox), as :if= filters:
# what the stand-in tools got (argv with blanks and a leading "-" inside values, user, host, the
# bytes by checksum), VarenVSF printing only standard input (not root's job in a stopped queue that
# a "../" file name points at, nor a copy: a 2 MB job on a 3 MB spool tmpfs), a job removed while
# vsf runs, and a vsf that always fails.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

debs=("$TOP"/build/debs/lprng_*.deb)
[ -f "${debs[0]}" ] || { echo "lprng.sh: skipped, no lprng package in $TOP/build/debs" >&2; exit 77; }
MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
cp "${debs[0]}" "$MEDIUM/lprng.deb"

# CUPS's client conflicts with lprng; cupsd goes too (spoolers.sh has hosts with both); no service starts.
IFS= read -r -d '' SEED <<'SCRIPT' || :
export DEBIAN_FRONTEND=noninteractive
printf "#!/bin/sh\nexit 101\n" >/usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d
dpkg --no-triggers --force-depends -r cups-client >/dev/null &&
    dpkg --no-triggers -i /mnt/cd/lprng.deb >/dev/null && rm -f /usr/sbin/cupsd
SCRIPT
# After the installation: three queues, lpd without a TCP port, jobs of nobody, slow removed once vsf has it.
IFS= read -r -d '' AFTER <<'SCRIPT' || :
q=/tmp/e2e.lprng && mkdir -p $q/u/sub && cd $q
for n in tvxx:Printtvxx vsf:VSF held:VSF; do
    echo "varen-${n%:*}:lp=/dev/null:sd=/var/spool/lpd/varen-${n%:*}:if=/usr/Varen/tvxx/Varen${n#*:}:sh:send_try=1"
done >>/etc/printcap
mkdir -p /var/spool/lpd/varen-vsf && mount -t tmpfs -o size=3m spool /var/spool/lpd/varen-vsf
checkpc -f >/dev/null 2>&1
lpd -F -p off >$q/lpd.out 2>&1 &
# lpd answers once lpc lists the queue (the socket exists before lpd listens; lpc says 0 either way).
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
TIMEOUT=120
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
# vsf reads standard input, the job's own data file, in full; the failing job five times; no try after lprm.
held=$(cd "$R$q/u/varen-held" && echo dfA*)
expect_eq "vsf's jobs" "$(sed -n 's|^  job file /dev/stdin ||p' "$R$A/log/vsf.log")" \
    "$(sums "My Report.txt" "u/varen-held/$held" big fail fail fail fail fail slow)"
expect_eq "root's held job" "$(file_text $q/held-job)" "root only"
# The failed job stays in the queue (lpq: error, "ERROR: too many errors"), the removed one is gone, no copy.
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
