#!/usr/bin/env bash
# The sample suite (examples/medium) under a real CUPS scheduler: an earlier installation under /usr
# with group-writable directories moved to /opt prints through two queues whose filters are
# VarenPrinttvxx and VarenVSF: modes, what the stand-in tools got (bytes by checksum), VarenVSF
# after a first filter, its failures, script lint.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
PATH=$PATH:/usr/sbin:/sbin
need cupsd lpadmin lp lpstat setpriv shellcheck
MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
# Inside: install, a private scheduler on a local socket, the queues from the suite's printer
# descriptions, jobs of nobody, a bounded wait; what the checks need is kept in /tmp/e2e.cups.
cat >"$MEDIUM/cups_inside.sh" <<'INSIDE'
set -uo pipefail
run=/tmp/e2e.cups conf=/tmp/cups
mkdir -p "$run" "$conf"/{log,spool,state,cache,tmp} && chmod 755 "$conf"
# The filters' TMPDIR holds 1 MB; a first filter of the sample's own type pipes its job on.
mount -t tmpfs -o size=1m tmp "$conf/tmp" && mkdir -p /usr/lib/cups/filter &&
    echo application/x-varen >"$conf/varen.types"
echo 'application/x-varen text/plain 10 varen-first' >"$conf/varen.convs"
printf '#!/bin/sh
exec cat "$6"
' >/usr/lib/cups/filter/varen-first && chmod 755 /usr/lib/cups/filter/varen-first
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
: >/var/log/varen-tvxx/vsf.fail # the next vsf call fails once, so that VarenVSF has to run it again
# On varen-vsf: after a first filter, a job on which vsf fails once, one too big for TMPDIR and a
# slow one, cancelled while vsf runs; a job without a title from a file name with a blank; one on
# which vsf fails for good.
printf 'first line of the report\nsecond line\n' >"$run/report.txt" && cp "$run/report.txt" "$run/My Report.txt"
seq 60000 >"$run/chain" && seq 300000 >"$run/big" && echo slow >"$run/slow" && echo 'fail for good' >"$run/fail"
chmod 644 "$run"/*
as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"; }
as_nobody lp -d varen-tvxx -t "Quarterly report" -n 2 -o tvxx-form=letterhead "$run/report.txt" >"$run/lp-tvxx.out" \
    2>&1
for f in chain big slow; do
    as_nobody lp -d varen-vsf -o document-format=application/x-varen "$run/$f" >"$run/lp-$f.out" 2>&1; done
as_nobody lp -d varen-vsf -n 2 -o tvxx-form=invoice "$run/My Report.txt" >"$run/lp-report.out" 2>&1
as_nobody lp -d varen-vsf "$run/fail" >"$run/lp-fail.out" 2>&1
as_nobody lp -d varen-tvxx -o document-format=application/x-varen "$run/report.txt" >"$run/lp-chain.out" 2>&1
for _ in $(seq 150); do grep -q '^  slow job' /var/log/varen-tvxx/vsf.log && break; sleep 0.2; done
cancel "$(cut -d' ' -f4 "$run/lp-slow.out")"
# Wait (at most 45 seconds) until the scheduler has stopped the last job.
done_all=0
ended() { grep -q '\[Job 6\] Job stopped' "$1" && grep -q '\[Job 7\] Job [cs]' "$1"; }
for _ in $(seq 225); do ended "$conf/log/error_log" && { done_all=1; break; }; sleep 0.2; done
note "all jobs finished: $done_all"
ls -A "$conf/tmp" >"$run/tmp-left"
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
    msg=$(sh -n "$R$f" 2>&1 && shellcheck --shell=sh --severity=error "$R$f" 2>&1) || fail "$f: $msg"
done
# The jobs' ends, 1 on varen-tvxx, 2 to 6 on varen-vsf in the order sent; nothing left in TMPDIR.
expect_eq "jobs' ends" "$(grep -o '\[Job [0-9]\] Job [a-z]*' "$R$out/error_log" | sort)" \
    "$(printf '[Job %s] Job %s\n' 1 completed 2 completed 3 stopped 4 canceled 5 completed 6 stopped 7 completed)"
expect_eq "files left in TMPDIR" "$(file_text $out/tmp-left)" ""
# vars LOG QUEUE ID TITLE OPTION: the CUPS branch's variables, as a user saw them.
vars() {
    local line
    for line in "user: lp  cwd: /opt/Varen/tvxx" "TolvarPrinter=$2" "TolvarRequest_id=$3" \
        "TolvarUser_name=nobody" "TolvarTitle=$4" "TolvarCopies=2"; do
        grep -qxF -- "  $line" "$R$1" || fail "$(basename "$1") lacks the line:   $line"
    done
    grep -q "^  TolvarOption_list=.*\\b$5\\b" "$R$1" || fail "$(basename "$1"): TolvarOption_list lacks $5"
}
# VarenPrinttvxx: tvrtvxxtty with -d QUEUE, -i, job file; after a first filter, -f, job on stdin.
log=/opt/Varen/tvxx/log/tvrtvxxtty.log sum="37 bytes, cksum $(cksum <"$R$out/report.txt" | cut -d' ' -f1)"
expect_eq "tvrtvxxtty's call" "$(grep -v '^  \(Tolvar\|user\)' "$R$log")" \
    "tvrtvxxtty [-dvaren-tvxx] [-i] [/tmp/cups/spool/d00001-001]
  job file /tmp/cups/spool/d00001-001 ($sum): first line of the report
tvrtvxxtty [-dvaren-tvxx] [-f]
  job on standard input ($sum): first line of the report"
vars $log varen-tvxx 1 "Quarterly report" tvxx-form=letterhead
# VarenVSF: every try reads the whole job (by checksum), from its copy after a first filter; five
# tries of a job that keeps failing, then exit 1; a job not copied whole is never printed.
log=/opt/Varen/tvxx/log/vsf.log
call() {
    printf 'vsf [%s]\n  job file %s (%s bytes, cksum %s): %s\n  %s\n' "$1" "$1" "$(wc -c <"$R$out/$2")" \
        "$(cksum <"$R$out/$2" | cut -d' ' -f1)" "$(head -n 1 "$R$out/$2")" "$3"
}
t=/tmp/cups/tmp/VarenVSF.X
expect_eq "vsf's calls" "$(grep -v '^  \(Tolvar\|user\)' "$R$log" | sed 's/VarenVSF\.[A-Za-z0-9]*/VarenVSF.X/')" \
    "$(call $t chain 'failed on purpose (vsf.fail was present)'; call $t chain 'done'
    call $t slow 'slow job, 20 seconds'
    call /tmp/cups/spool/d00005-001 "My Report.txt" 'done'
    for _ in 1 2 3 4 5; do call /tmp/cups/spool/d00006-001 fail 'failed on purpose (the job says so)'; done)"
e="^E .* \[Job [36]\] VarenVSF:"
grep -q "$e the job could not be kept in a file named /tmp/cups/tmp/VarenVSF.XXXXXX$" "$R$out/error_log" &&
    grep -q "$e /opt/Varen/tvxx/vsf failed 5 times, last exit status 1$" "$R$out/error_log" &&
    grep -q "\[Job 6\] PID [0-9]* (/usr/Varen/tvxx/VarenVSF) stopped with status 1\.$" "$R$out/error_log" ||
    fail "the scheduler did not log VarenVSF's failures"
vars $log varen-vsf 5 "My Report.txt" tvxx-form=invoice
finish
