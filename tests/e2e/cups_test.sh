#!/usr/bin/env bash
# The sample suite (examples/medium) under a real CUPS scheduler: an earlier
# installation under /usr with group-writable directories is moved to /opt
# by cups_inside.sh, which then prints through two queues whose filters are
# the generated VarenPrinttvxx and VarenVSF. Checks the modes above the
# scripts, what the stand-in tools got, the VarenVSF retry, the job stopped
# when vsf fails for good, and that the generated scripts pass sh -n and
# shellcheck at error severity.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
PATH=$PATH:/usr/sbin:/sbin
need cupsd lpadmin lp lpstat setpriv shellcheck

MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
cp "$HERE/cups_inside.sh" "$MEDIUM/"
SEED="/mnt/cd/setup </dev/null >/dev/null && chmod 775 /usr/Varen/tvxx /usr/Varen" PROGRAM=bash TIMEOUT=120
run cups_usr_to_opt /mnt/cd/cups_inside.sh install /opt
out=/tmp/e2e.cups
expect_status 0
expect_eq "setup's status" "$(file_text $out/setup.status)" 0
expect_eq "steps" "$(file_text $out/steps)" "all jobs finished: 1
cupsd stopped"
expect_eq "modes" "$(file_text $out/modes)" "755 /opt/Varen
755 /opt/Varen/tvxx
755 /usr/Varen"
for f in /opt/Varen/tvxx/VarenPrinttvxx /opt/Varen/tvxx/VarenVSF /usr/bin/tvqadmin; do
    expect_eq "first line of $f" "$(head -n 1 "$R$f")" "#!/bin/sh"
    msg=$(sh -n "$R$f" 2>&1 && shellcheck --shell=sh --severity=error "$R$f" 2>&1) || fail "$f: $msg"
done
job_id() { sed -n "s/^request id is varen-$1-\([0-9][0-9]*\) .*/\1/p" "$R$out/lp-$2.out"; }
tvxx_id=$(job_id tvxx tvxx) vsf_id=$(job_id vsf vsf) fail_id=$(job_id vsf fail)
grep -q "^varen-tvxx-${tvxx_id:-X} " "$R$out/completed" || fail "job varen-tvxx-$tvxx_id did not complete"
grep -q "^varen-vsf-${vsf_id:-X} " "$R$out/completed" || fail "job varen-vsf-$vsf_id did not complete"
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

# VarenVSF: vsf fails once and runs again on the same job file; on the job
# that fails for good it runs five times and the filter exits with 1.
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
