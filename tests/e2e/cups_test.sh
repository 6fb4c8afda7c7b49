#!/usr/bin/env bash
# The queue interface scripts under a real CUPS scheduler: installs the
# sample suite (examples/medium) into the sandbox and, in the same sandbox,
# prints through two CUPS queues whose filters are the generated
# VarenPrinttvxx and VarenVSF (see cups_inside.sh). Two runs, both ending
# under /opt: a first installation there, and the move of an installation
# whose directories are group-writable from /usr to /opt. In each, checks the
# modes of the directories above the scripts and what the suite's stand-in
# print tools received from the scripts: the queue name after -d, -i and the
# job file, the Tolvar* variables of the CUPS branch, the user the scheduler
# runs filters as, and the VarenVSF retry after a failing vsf; in the first,
# also the job that the scheduler stops when vsf fails for good.
# Usage: cups_test.sh SETUP   (run as root; leaves its files in the current
# directory, below cups_test.*)
set -uo pipefail
setup=${1:?usage: cups_test.sh SETUP}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: needs root (the sandbox uses mount and process namespaces)"
    exit 77
fi

for cmd in cupsd lpadmin lp lpstat setpriv; do
    command -v "$cmd" >/dev/null || PATH=$PATH:/usr/sbin:/sbin
    command -v "$cmd" >/dev/null || {
        echo "FAIL: $cmd is missing (Debian packages cups-daemon, cups-client, util-linux)"
        exit 1
    }
done

work=$(mktemp -d "$PWD/cups_test.XXXXXX")
"$top/scripts/make-medium" --setup "$setup" "$top/examples/medium" "$work/medium" >/dev/null ||
    {
        echo "FAIL: make-medium"
        exit 1
    }
fail=0
bad() {
    echo "FAIL [$name]: $*"
    fail=1
}
# has FILE LINE: FILE holds LINE as a whole line.
has() { grep -qxF -- "$2" "$1" 2>/dev/null || bad "$(basename "$1") lacks the line: $2"; }

# check_vars LOG QUEUE ID TITLE OPTION: the variables that the tool of LOG
# recorded, as the CUPS branch of the interface script passes them on.
check_vars() {
    local log=$1 queue=$2 id=$3 title=$4 option=$5
    has "$log" "  user: lp  cwd: /opt/Varen/tvxx"
    has "$log" "  TolvarPrinter=$queue"
    has "$log" "  TolvarRequest_id=$id"
    has "$log" "  TolvarUser_name=nobody"
    has "$log" "  TolvarTitle=$title"
    has "$log" "  TolvarCopies=2"
    grep -q "^  TolvarOption_list=.*\\b$option\\b" "$log" 2>/dev/null ||
        bad "$(basename "$log"): TolvarOption_list lacks $option"
}

# print_run NAME SEED [ARG...]: in a fresh sandbox, runs the bash text SEED,
# then cups_inside.sh (setup ARG..., the queues, one job each), and checks it.
print_run() {
    name=$1
    local seed=$work/$1.seed
    printf '%s\n' "$2" >"$seed"
    shift 2
    "$top/scripts/sandbox" --scratch "$work/$name" --medium "$work/medium" --seed "$seed" \
        --after "$here/cups_after.sh" --timeout 120 -- bash "$here/cups_inside.sh" "$@" </dev/null
    local status=$? out=$work/$name/out
    [ "$status" = 0 ] || bad "the run in the sandbox ended with status $status"
    [ "$(cat "$out/setup.status" 2>/dev/null)" = 0 ] || bad "setup did not end with status 0: $(cat "$out/setup.out" 2>/dev/null)"
    has "$out/steps" "all jobs finished: 1"
    has "$out/steps" "cupsd stopped"
    [ "$(tr '\n' ' ' <"$out/modes" 2>/dev/null)" = "755 /opt/Varen 755 /opt/Varen/tvxx 755 /usr/Varen " ] ||
        bad "modes: $(cat "$out/modes" 2>/dev/null)"

    # The job ids that lp reported.
    tvxx_id=$(sed -n 's/^request id is varen-tvxx-\([0-9][0-9]*\) .*/\1/p' "$out/lp-tvxx.out" 2>/dev/null)
    vsf_id=$(sed -n 's/^request id is varen-vsf-\([0-9][0-9]*\) .*/\1/p' "$out/lp-vsf.out" 2>/dev/null)
    [ -n "$tvxx_id" ] || bad "lp did not take the job for varen-tvxx: $(cat "$out/lp-tvxx.out" 2>/dev/null)"
    [ -n "$vsf_id" ] || bad "lp did not take the job for varen-vsf: $(cat "$out/lp-vsf.out" 2>/dev/null)"
    grep -q "^varen-tvxx-$tvxx_id " "$out/completed" 2>/dev/null || bad "job varen-tvxx-$tvxx_id did not complete"
    grep -q "^varen-vsf-$vsf_id " "$out/completed" 2>/dev/null || bad "job varen-vsf-$vsf_id did not complete"

    # VarenPrinttvxx: one call of tvrtvxxtty with -d QUEUE, -i and the job file.
    log=$out/tvrtvxxtty.log
    calls=$(grep -c '^tvrtvxxtty ' "$log" 2>/dev/null)
    [ "$calls" = 1 ] || bad "tvrtvxxtty was called ${calls:-0} times, not once"
    job=$(sed -n 's|^tvrtvxxtty -dvaren-tvxx -i \(/[^ ]*\)$|\1|p' "$log" 2>/dev/null)
    [ -n "$job" ] || bad "tvrtvxxtty was not called as -dvaren-tvxx -i JOBFILE: $(grep '^tvrtvxxtty' "$log" 2>/dev/null)"
    has "$log" "  job file $job (37 bytes): first line of the report"
    check_vars "$log" varen-tvxx "$tvxx_id" "Quarterly report" tvxx-form=letterhead

    # VarenVSF: vsf fails once and is run again with the same job file; on a
    # job that fails for good it runs five times and the filter exits with 1.
    log=$out/vsf.log
    job=$(sed -n 's|^  job file \(/[^ ]*\) (19 bytes): spool file for vsf$|\1|p' "$log" 2>/dev/null)
    [ "$(printf '%s\n' "$job" | sort -u | grep -c .)" = 1 ] || bad "vsf did not get the same single job file each time: $job"
    local fail_id="" tries=" 1 failed on purpose (vsf.fail was present) 1 done "
    if [ -e "$out/lp-fail.out" ]; then
        fail_id=$(sed -n 's/^request id is varen-vsf-\([0-9][0-9]*\) .*/\1/p' "$out/lp-fail.out")
        tries="$tries""5 failed on purpose (the job says so) "
        if ! grep -q "^E .* \[Job $fail_id\] VarenVSF: /opt/Varen/tvxx/vsf failed 5 times, last exit status 1$" "$out/error_log" ||
            ! grep -q "\[Job $fail_id\] PID [0-9]* (/usr/Varen/tvxx/VarenVSF) stopped with status 1\.$" "$out/error_log"; then
            bad "the scheduler did not log VarenVSF's failure for good"
        fi
    fi
    [ "$(grep -E '^  (failed on purpose|done)' "$log" 2>/dev/null | uniq -c | tr -s ' \n' ' ')" = "$tries" ] ||
        bad "vsf did not fail once and then succeed (then fail five times)"
    [ "$(cut -d' ' -f1 "$out/pending")" = "${fail_id:+varen-vsf-$fail_id}" ] || bad "jobs left: $(cat "$out/pending")"
    check_vars "$log" varen-vsf "$vsf_id" "Spool title" tvxx-form=invoice
}

print_run first_opt "echo 'fail for good' >/tmp/fail.txt" install /opt
# An earlier release moved back from /opt left group-writable directories.
print_run usr_to_opt "/mnt/cd/setup </dev/null >/dev/null && chmod 775 /usr/Varen/tvxx /usr/Varen" \
    install /opt

if [ "$fail" = 0 ]; then
    echo "CUPS ran both interface scripts as expected"
    rm -rf "$work"
else
    echo "results kept in $work"
fi
exit "$fail"
