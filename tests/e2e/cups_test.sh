#!/usr/bin/env bash
# The sample suite (examples/medium) under a real CUPS scheduler: in each of
# two sandboxes (a first installation under /opt; a move there of one with
# group-writable directories) cups_inside.sh installs it and prints through
# two queues whose filters are the generated VarenPrinttvxx and VarenVSF.
# Checks the modes above the scripts, what the stand-in tools got, the
# VarenVSF retry, the job stopped when vsf fails for good, and that the
# generated scripts pass sh -n and shellcheck at error severity.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
PATH=$PATH:/usr/sbin:/sbin
need cupsd lpadmin lp lpstat setpriv shellcheck

MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
cp "$HERE/cups_inside.sh" "$MEDIUM/"

# has FILE LINE: FILE (in the final state) holds LINE as a whole line.
has() { grep -qxF -- "$2" "$R$1" 2>/dev/null || fail "$(basename "$1") lacks the line: $2"; }
# check_vars LOG QUEUE ID TITLE OPTION: the CUPS branch's variables.
check_vars() {
    local line
    for line in "user: lp  cwd: /opt/Varen/tvxx" "TolvarPrinter=$2" "TolvarRequest_id=$3" \
        "TolvarUser_name=nobody" "TolvarTitle=$4" "TolvarCopies=2"; do
        has "$1" "  $line"
    done
    grep -q "^  TolvarOption_list=.*\\b$5\\b" "$R$1" 2>/dev/null || fail "$(basename "$1"): TolvarOption_list lacks $5"
}
job_id() { sed -n "s/^request id is $1-\([0-9][0-9]*\) .*/\1/p" "$R$2" 2>/dev/null; }

# print_run NAME SEED [ARG...]: SEED (bash), then cups_inside.sh ARG...
print_run() {
    fresh
    SEED=$2 PROGRAM=bash TIMEOUT=120
    run "$1" /mnt/cd/cups_inside.sh "${@:3}"
    local out=/tmp/e2e.cups log job tvxx_id vsf_id fail_id="" tries=" 1 failed on purpose (vsf.fail was present) 1 done "
    expect_status 0
    expect_eq "setup's status" "$(file_text $out/setup.status)" 0
    has $out/steps "all jobs finished: 1"
    has $out/steps "cupsd stopped"
    expect_eq "modes" "$(file_text $out/modes)" "755 /opt/Varen
755 /opt/Varen/tvxx
755 /usr/Varen"
    tvxx_id=$(job_id varen-tvxx $out/lp-tvxx.out)
    vsf_id=$(job_id varen-vsf $out/lp-vsf.out)
    grep -q "^varen-tvxx-${tvxx_id:-X} " "$R$out/completed" || fail "job varen-tvxx-$tvxx_id did not complete"
    grep -q "^varen-vsf-${vsf_id:-X} " "$R$out/completed" || fail "job varen-vsf-$vsf_id did not complete"

    # VarenPrinttvxx: one call of tvrtvxxtty with -d QUEUE, -i and the job file.
    log=/opt/Varen/tvxx/log/tvrtvxxtty.log
    expect_eq "calls of tvrtvxxtty" "$(grep -c '^tvrtvxxtty ' "$R$log")" 1
    job=$(sed -n 's|^tvrtvxxtty -dvaren-tvxx -i \(/[^ ]*\)$|\1|p' "$R$log")
    [ -n "$job" ] || fail "tvrtvxxtty was not called as -dvaren-tvxx -i JOBFILE"
    has $log "  job file $job (37 bytes): first line of the report"
    check_vars $log varen-tvxx "$tvxx_id" "Quarterly report" tvxx-form=letterhead

    # VarenVSF: vsf fails once and runs again on the same job file; on a job
    # that fails for good it runs five times and the filter exits with 1.
    log=/opt/Varen/tvxx/log/vsf.log
    job=$(sed -n 's|^  job file \(/[^ ]*\) (19 bytes): spool file for vsf$|\1|p' "$R$log")
    expect_eq "vsf's job files" "$(sort -u <<<"$job" | grep -c .)" 1
    if [ -e "$R$out/lp-fail.out" ]; then
        fail_id=$(job_id varen-vsf $out/lp-fail.out)
        tries="$tries""5 failed on purpose (the job says so) "
        grep -q "^E .* \[Job $fail_id\] VarenVSF: /opt/Varen/tvxx/vsf failed 5 times, last exit status 1$" "$R$out/error_log" &&
            grep -q "\[Job $fail_id\] PID [0-9]* (/usr/Varen/tvxx/VarenVSF) stopped with status 1\.$" "$R$out/error_log" ||
            fail "the scheduler did not log VarenVSF's failure for good"
    fi
    expect_eq "vsf's tries" "$(grep -E '^  (failed on purpose|done)' "$R$log" | uniq -c | tr -s ' \n' ' ')" "$tries"
    expect_eq "jobs left" "$(cut -d' ' -f1 "$R$out/pending")" "${fail_id:+varen-vsf-$fail_id}"
    check_vars $log varen-vsf "$vsf_id" "Spool title" tvxx-form=invoice
}

print_run cups_first_opt "echo 'fail for good' >/tmp/fail.txt" install /opt
for f in /opt/Varen/tvxx/VarenPrinttvxx /opt/Varen/tvxx/VarenVSF /usr/bin/tvqadmin; do
    expect_eq "first line of $f" "$(head -n 1 "$R$f")" "#!/bin/sh"
    msg=$(sh -n "$R$f" 2>&1 && shellcheck --shell=sh --severity=error "$R$f" 2>&1) || fail "$f: $msg"
done
# An earlier release moved back from /opt left group-writable directories.
print_run cups_usr_to_opt "/mnt/cd/setup </dev/null >/dev/null && chmod 775 /usr/Varen/tvxx /usr/Varen" install /opt

finish
