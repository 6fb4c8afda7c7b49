#!/usr/bin/env bash
# The interface scripts under a real LPRng lpd (the lprng package in the sandbox), as :if= filters of two
# queues: what the stand-in tools got (title, user, host, options, the job's bytes, named and from standard
# input), and VarenVSF giving up on a vsf that always fails after five tries, so lpd marks the job failed.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

debs=("$TOP"/build/debs/lprng_*.deb)
[ -f "${debs[0]}" ] || { echo "lprng.sh: skipped, no lprng package in $TOP/build/debs (scripts/test gets it)" >&2; exit 77; }
MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
cp "${debs[0]}" "$MEDIUM/lprng.deb"

# CUPS's client conflicts with lprng, and setup would take CUPS while cupsd is there; no service starts.
SEED='
export DEBIAN_FRONTEND=noninteractive
printf "#!/bin/sh\nexit 101\n" >/usr/sbin/policy-rc.d && chmod 755 /usr/sbin/policy-rc.d
dpkg --no-triggers --force-depends -r cups-client >/dev/null &&
    dpkg --no-triggers -i /mnt/cd/lprng.deb >/dev/null && rm -f /usr/sbin/cupsd
'
# After the installation: two queues, lpd without a TCP port, five jobs of nobody, a bounded wait (45 s).
AFTER='
q=/tmp/e2e.lprng && mkdir -p $q
echo "varen-tvxx:lp=/dev/null:sd=/var/spool/lpd/varen-tvxx:if=/usr/Varen/tvxx/VarenPrinttvxx:sh:send_try=1
varen-vsf:lp=/dev/null:sd=/var/spool/lpd/varen-vsf:if=/usr/Varen/tvxx/VarenVSF:sh:send_try=1" >>/etc/printcap
checkpc -f >/dev/null 2>&1
lpd -F -p off >$q/lpd.out 2>&1 &
for _ in $(seq 50); do [ -S /run/lprng/socket ] && break; sleep 0.1; done
printf "first line of the report\nsecond line\n" >$q/report.txt
chown nobody $q/report.txt && chmod 600 $q/report.txt
as_nobody() { (cd $q && setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"); }
as_nobody lpr -P varen-tvxx -J "Quarterly report" -Z opt1=1,opt2=2 report.txt
echo "from standard input" | as_nobody lpr -P varen-tvxx -J Piped -Z opt3=3
as_nobody lpr -P varen-vsf -J Named report.txt
echo "from standard input" | as_nobody lpr -P varen-vsf
echo "fail for good" | as_nobody lpr -P varen-vsf
for _ in $(seq 450); do [ "$(lpq -a 2>/dev/null | grep -c "no printable jobs")" = 2 ] && break; sleep 0.1; done
for name in tvxx vsf; do lpq -L -P varen-$name >$q/lpq-$name; done
ls -A /var/spool/lpd/varen-vsf >$q/spool-vsf
'
TIMEOUT=60
run lprng
expect_status 0
expect_eq ".tv_cfg" "$(file_text /usr/Varen/tvxx/.tv_cfg)" " LPRng "
q=/tmp/e2e.lprng
host=$(sed -n "s/.*'nobody@\([^+']*\)+.*/\1/p" "$R$q/lpq-tvxx" | head -n 1)
[ -n "$host" ] || fail "lpq of varen-tvxx names no job of nobody"
# call OPTIONS TITLE JOB-TITLE BYTES TEXT: one call of tvrtvxxtty, as daemon, the job on standard input.
call() {
    printf 'tvrtvxxtty -dvaren-tvxx -f %s %s\n  user: daemon  cwd: /usr/Varen/tvxx\n' "$1" "$2"
    printf '  TolvarFileSourceDir=/var/spool/lpd/varen-tvxx\n  TolvarJob_title=%s\n  TolvarQueue=varen-tvxx\n' "$3"
    printf '  TolvarUser_name=nobody\n  title: %s\n  job on standard input (%s bytes): %s\n' "$2" "$4" "$5"
}
expect_eq "tvrtvxxtty's calls" "$(grep -v '^  Tolvar\(Control_file\|Host_name\)' "$R$A/log/tvrtvxxtty.log")" \
    "$(call "-oopt1=1 -oopt2=2" "Quarterly report" report.txt 36 "first line of the report"
    call -oopt3=3 Piped "(STDIN)" 19 "from standard input")"
expect_eq "host and control file of both jobs" \
    "$(grep '^  Tolvar\(Control_file\|Host_name\)' "$R$A/log/tvrtvxxtty.log" | sed 's/cfA[0-9]*/cfA#/' | sort -u)" \
    "  TolvarControl_file=cfA#$host
  TolvarHost_name=$host"
vsf=$(file_text $A/log/vsf.log)
expect_eq "vsf's job files" "$(sed -n 's|^  job file /var/spool/lpd/varen-vsf/varen-vsf\.[0-9]* ||p' <<<"$vsf")" \
    "$(printf '(%s bytes): %s\n' 37 "first line of the report" 20 "from standard input" 14 "fail for good" \
        14 "fail for good" 14 "fail for good" 14 "fail for good" 14 "fail for good")"
expect_eq "temporary job files left" "$(file_text $q/spool-vsf | grep '^varen-vsf\.')" ""
for t in "filter msg - 'ERROR: VarenVSF: /usr/Varen/tvxx/vsf failed 5 times, last exit status 1'" \
    "filter exit status 'JFAIL'" "error  nobody@$host+"; do expect_contains "lpq of varen-vsf" "$(file_text $q/lpq-vsf)" "$t"; done
# Five tries with pauses of 1, 2, 4 and 8 seconds: the failing job took 15 s.
secs=$(grep -E "size 14, .*VarenVSF|exit status 'JFAIL'" "$R$q/lpq-vsf" | sed 's/.* at //' |
    awk -F: '{ t = $1 * 3600 + $2 * 60 + $3 } NR == 1 { s = t } END { print int(t - s) }')
[ "${secs:-0}" -ge 15 ] && [ "$secs" -le 20 ] || fail "the failing job took ${secs:-no} s, not 15 to 20"
finish
