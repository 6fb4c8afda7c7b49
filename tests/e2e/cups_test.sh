#!/usr/bin/env bash
# The sample suite (examples/medium) under a real CUPS scheduler: an earlier installation under /usr with
# group-writable directories moved to /opt prints through two queues whose filters are VarenPrinttvxx and
# VarenVSF: the modes, what the stand-in tools got, VarenVSF's retry and failure for good, lint of the scripts.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
PATH=$PATH:/usr/sbin:/sbin
need cupsd lpadmin lp lpstat setpriv shellcheck

MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
# Inside: install, a private scheduler on a local socket, the queues from the suite's printer
# descriptions, jobs of the user nobody, a bounded wait; what the checks need is left in /tmp/e2e.cups.
cat >"$MEDIUM/cups_inside.sh" <<'INSIDE'
set -uo pipefail
run=/tmp/e2e.cups conf=/tmp/cups
mkdir -p "$run" "$conf"/{log,spool,state,cache,tmp} && chmod 755 "$conf"
note() { echo "$*" >>"$run/steps"; }

/mnt/cd/setup "$@" </dev/null >"$run/setup.out" 2>&1; echo $? >"$run/setup.status"
stat -c '%a %n' /opt/Varen /opt/Varen/tvxx /usr/Varen >"$run/modes" 2>&1

# The scheduler: its files below /tmp, a Unix socket as its only listener, debug logging.
printf '%s\n' 'LogLevel debug' "Listen $conf/cups.sock" 'Browsing Off' 'WebInterface No' 'DefaultAuthType None' \
    '<Location />' 'Order allow,deny' 'Allow all' '</Location>' \
    '<Policy default>' '<Limit All>' 'Order deny,allow' '</Limit>' '</Policy>' >"$conf/cupsd.conf"
printf '%s\n' 'FileDevice Yes' "ServerRoot $conf" "StateDir $conf/state" "CacheDir $conf/cache" \
    "RequestRoot $conf/spool" "TempDir $conf/tmp" "ErrorLog $conf/log/error_log" "AccessLog $conf/log/access_log" \
    "PageLog $conf/log/page_log" 'User lp' 'Group lp' 'SystemGroup root' >"$conf/cups-files.conf"
export CUPS_SERVER=$conf/cups.sock
cupsd -f -c "$conf/cupsd.conf" -s "$conf/cups-files.conf" &
cupsd_pid=$!
stop_cupsd() {
    kill -TERM "$cupsd_pid" 2>/dev/null || return 0
    for _ in $(seq 50); do kill -0 "$cupsd_pid" 2>/dev/null || break; sleep 0.2; done
    kill -KILL "$cupsd_pid" 2>/dev/null
    wait "$cupsd_pid" 2>/dev/null
    note "cupsd stopped"
}
trap stop_cupsd EXIT
for _ in $(seq 75); do
    [ -S "$conf/cups.sock" ] && lpstat -r >/dev/null 2>&1 && break
    kill -0 "$cupsd_pid" 2>/dev/null || break
    sleep 0.2
done
lpstat -r >/dev/null 2>&1 || { note "cupsd did not come up"; exit 1; }

# Two queues whose printer descriptions name /usr/Varen/tvxx/VarenPrinttvxx and VarenVSF as filters.
for q in tvxx vsf; do
    lpadmin -p "varen-$q" -E -v file:///dev/null -P "/usr/Varen/tvxx/varen-$q.ppd" >>"$run/lpadmin.out" 2>&1
done
# The next vsf call fails once, so that VarenVSF has to run it again.
: >/var/log/varen-tvxx/vsf.fail

# One job per queue with a title holding a blank, two copies and an option of the suite; then a job on
# which vsf fails for good: VarenVSF gives up after 15 seconds and the scheduler stops the job.
printf 'first line of the report\nsecond line\n' >"$run/report.txt"
printf 'spool file for vsf\n' >"$run/spool.txt"
echo 'fail for good' >"$run/fail.txt"
chmod 644 "$run"/*.txt
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
as_nobody lp -d varen-tvxx -t "Quarterly report" -n 2 -o tvxx-form=letterhead "$run/report.txt" >"$run/lp-tvxx.out" 2>&1
as_nobody lp -d varen-vsf -t "Spool title" -n 2 -o tvxx-form=invoice "$run/spool.txt" >"$run/lp-vsf.out" 2>&1
as_nobody lp -d varen-vsf "$run/fail.txt" >"$run/lp-fail.out" 2>&1
left=$(sed -n 's/^request id is \(varen-vsf-[0-9]*\) .*/\1/p' "$run/lp-fail.out")

# Wait (at most 45 seconds) until no job is left unfinished but that one, stopped by the scheduler.
done_all=0
for _ in $(seq 225); do
    [ "$(lpstat -o 2>/dev/null | cut -d' ' -f1)" = "$left" ] &&
        grep -q "\[Job ${left##*-}\] Job stopped due to filter errors" "$conf/log/error_log" && { done_all=1; break; }
    sleep 0.2
done
note "all jobs finished: $done_all"
lpstat -W completed -o >"$run/completed" 2>&1
lpstat -o >"$run/pending" 2>&1
stop_cupsd
trap - EXIT
cp "$conf/log/error_log" "$run/error_log" 2>/dev/null
INSIDE
SEED="/mnt/cd/setup </dev/null >/dev/null && chmod 775 /usr/Varen/tvxx /usr/Varen" PROGRAM=bash TIMEOUT=120
run cups_usr_to_opt /mnt/cd/cups_inside.sh install /opt
out=/tmp/e2e.cups
expect_status 0
expect_eq "setup's status" "$(file_text $out/setup.status)" 0
expect_eq "steps" "$(file_text $out/steps)" $'all jobs finished: 1\ncupsd stopped'
expect_eq "modes" "$(file_text $out/modes)" $'755 /opt/Varen\n755 /opt/Varen/tvxx\n755 /usr/Varen'
for f in /opt/Varen/tvxx/VarenPrinttvxx /opt/Varen/tvxx/VarenVSF /usr/bin/tvqadmin; do
    expect_eq "first line of $f" "$(head -n 1 "$R$f")" "#!/bin/sh"
    msg=$(sh -n "$R$f" 2>&1 && shellcheck --shell=sh --severity=error "$R$f" 2>&1) || fail "$f: $msg"
done
job_id() { sed -n "s/^request id is varen-$1-\([0-9][0-9]*\) .*/\1/p" "$R$out/lp-$2.out"; }
tvxx_id=$(job_id tvxx tvxx) vsf_id=$(job_id vsf vsf) fail_id=$(job_id vsf fail)
for j in "tvxx-${tvxx_id:-X}" "vsf-${vsf_id:-X}"; do grep -q "^varen-$j " "$R$out/completed" || fail "job varen-$j did not complete"; done
expect_eq "jobs left" "$(cut -d' ' -f1 "$R$out/pending")" "varen-vsf-$fail_id"

# vars LOG QUEUE ID TITLE OPTION: the CUPS branch's variables, as a user saw them.
vars() {
    local line
    for line in "user: lp  cwd: /opt/Varen/tvxx" "TolvarPrinter=$2" "TolvarRequest_id=$3" \
        "TolvarUser_name=nobody" "TolvarTitle=$4" "TolvarCopies=2"; do
        grep -qxF -- "  $line" "$R$1" || fail "$(basename "$1") lacks the line:   $line"
    done
    grep -q "^  TolvarOption_list=.*\\b$5\\b" "$R$1" || fail "$(basename "$1"): TolvarOption_list lacks $5"
}
# VarenPrinttvxx: one call of tvrtvxxtty with -d QUEUE, -i and the job file.
log=/opt/Varen/tvxx/log/tvrtvxxtty.log
expect_eq "calls of tvrtvxxtty" "$(grep -c '^tvrtvxxtty ' "$R$log")" 1
job=$(sed -n 's|^tvrtvxxtty -dvaren-tvxx -i \(/[^ ]*\)$|\1|p' "$R$log")
grep -qxF "  job file ${job:-X} (37 bytes): first line of the report" "$R$log" || fail "tvrtvxxtty did not get -dvaren-tvxx -i JOBFILE"
vars $log varen-tvxx "$tvxx_id" "Quarterly report" tvxx-form=letterhead

# VarenVSF: vsf fails once and runs again on the same job file; on the bad job five times, then exit 1.
log=/opt/Varen/tvxx/log/vsf.log
job=$(sed -n 's|^  job file \(/[^ ]*\) (19 bytes): spool file for vsf$|\1|p' "$R$log")
expect_eq "vsf's job files" "$(sort -u <<<"$job" | grep -c .)" 1
expect_eq "vsf's tries" "$(grep -E '^  (failed on purpose|done)' "$R$log" | uniq -c | tr -s ' \n' ' ')" \
    " 1 failed on purpose (vsf.fail was present) 1 done 5 failed on purpose (the job says so) "
grep -q "^E .* \[Job $fail_id\] VarenVSF: /opt/Varen/tvxx/vsf failed 5 times, last exit status 1$" "$R$out/error_log" &&
    grep -q "\[Job $fail_id\] PID [0-9]* (/usr/Varen/tvxx/VarenVSF) stopped with status 1\.$" "$R$out/error_log" ||
    fail "the scheduler did not log VarenVSF's failure for good"
vars $log varen-vsf "$vsf_id" "Spool title" tvxx-form=invoice
finish
