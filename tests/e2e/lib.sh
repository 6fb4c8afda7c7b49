# Shared part of the whole-run tests: runs the installer in the throwaway sandbox
# (scripts/sandbox) from media of scripts/make-medium. Sourced with SETUP_BINARY SCRATCH_DIR.
# A script for the sandbox is read from a quoted here-document (IFS= read -r -d '' NAME <<'SCRIPT'),
# never a quoted string: a quote in its text could end the string and run the rest on this host.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the scripts that source this file use them
set -uo pipefail
export LC_ALL=C
[ $# -eq 2 ] || { echo "usage: $0 SETUP_BINARY SCRATCH_DIR" >&2; exit 2; }
[ "$(id -u)" = 0 ] || { echo "$(basename "$0"): skipped, the sandbox needs root" >&2; exit 77; }
SETUP_BIN=$(realpath -- "$1")
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SANDBOX=$TOP/scripts/sandbox MAKE_MEDIUM=$TOP/scripts/make-medium
rm -rf -- "$2" && mkdir -p -- "$2/tmp" && SCRATCH_ROOT=$(realpath -- "$2")
export TMPDIR=$SCRATCH_ROOT/tmp # the tools' temporary files stay out of the machine's /tmp
failures=0 scenario=setup
W=/tmp/VarenInstall
A=/usr/Varen/tvxx
FIRST_LINE_ONLY=$'initializing system\n'
CALLS="tvqadmin -upgrade LANG=unset cwd=/
tvqadmin -clean LANG=unset cwd=/"
MSG1='ERROR: the path %s contains characters that are not allowed. Use only letters, digits and the '\
'characters / . _ - + , = : @ %%\n'
MSG2='No answer could be read from standard input; the installation is stopped.'
need() { local c; for c; do command -v "$c" >/dev/null || { echo "FAIL: no $c" >&2; exit 1; }; done; }
# ---- assertions (paths are looked up in R, the copy of the final state) ---
fail() { echo "FAIL [$scenario]: $*" >&2; failures=$((failures + 1)); }
# expect_eq WHAT GOT WANT: byte-exact, shown escaped on failure.
expect_eq() { [ "$2" = "$3" ] || fail "$1: got $(printf '%q' "$2"), want $(printf '%q' "$3")"; }
expect_status() { expect_eq "exit status" "$STATUS" "$1"; }
expect_contains() { case $2 in *"$3"*) ;; *) fail "$1 lacks $(printf '%q' "$3"): $(printf '%q' "$2")" ;; esac; }
expect_lacks() { case $2 in *"$3"*) fail "$1 holds $(printf '%q' "$3")" ;; esac; }
present() { [ -e "$R$1" ] || [ -L "$R$1" ]; }
expect_exists() { local p; for p; do present "$p" || fail "$p is missing"; done; }
expect_absent() { local p; for p; do ! present "$p" || fail "$p exists but should not"; done; }
# expect_nodes PATH TYPE MODE [PATH TYPE MODE...]: TYPE is find's %y, MODE octal.
expect_nodes() {
    while [ $# -ge 3 ]; do expect_eq "type, mode of $1" "$(find "$R$1" -maxdepth 0 -printf '%y %m' 2>&1)" "$2 $3"
        shift 3; done
}
expect_link() { expect_eq "link $1" "$(readlink "$R$1" || echo "no link")" "$2"; }
file_text() { cat -- "$R$1" 2>/dev/null; }
expect_unchanged() { [ -z "$(ls -A "$SCRATCH_ROOT/runs/$scenario/sandbox/upper/$1")" ] || fail "/$1 changed"; }
# The fixture with the modes of a release, whatever mask the checkout had.
FIXTURE_COPY=$SCRATCH_ROOT/medium-src
cp -r -- "$TOP/tests/e2e/medium-src" "$FIXTURE_COPY" && chmod -R go-w -- "$FIXTURE_COPY"
# make_medium NAME [OPTION...]: a medium from the fixture (or SRC) in media/NAME; prints its path.
make_medium() {
    local dir=$SCRATCH_ROOT/media/$1
    rm -rf -- "$dir"
    "$MAKE_MEDIUM" --setup "$SETUP_BIN" "${@:2}" "${SRC:-$FIXTURE_COPY}" "$dir" >&2 ||
        { echo "make-medium failed" >&2; exit 2; }
    printf '%s\n' "$dir"
}
# Every run starts from a clean slate; the final state is copied out with types and modes.
readonly COMMON_SEED='rm -rf /usr/Varen /opt/Varen /var/spool/Varen /tmp/VarenInstall /tmp/setup.log /tmp/setup.tmp \
    /tmp/*.calls /usr/bin/tvadmin /usr/share/printconf /etc/rc2.d/KVarenPrintD /etc/rc2.d/SVarenPrintD'
readonly COMMON_AFTER='cd / && for p in /usr/Varen /opt/Varen /var/spool/Varen /usr/bin/tvadmin /tmp/setup.log \
    /tmp/VarenInstall /tmp/*.calls /tmp/e2e.* /usr/share/printconf /etc/rc2.d /etc/e2e.* /var/tmp/e2e* \
    /usr/bin/tvqadmin; do
    if [ -e "$p" ] || [ -L "$p" ]; then cp -a --parents "$p" "$SANDBOX_OUT/root/"; fi; done'
# The host's print spooler: the real cupsd, or a stand-in lpd.
readonly SPOOLER_CUPS='rm -f /usr/sbin/lpd
[ -e /usr/sbin/cupsd ] || { printf "#!/bin/sh\n" >/usr/sbin/cupsd && chmod 755 /usr/sbin/cupsd; }'
readonly SPOOLER_LPRNG='rm -f /usr/sbin/cupsd
printf "%s\n" "#!/bin/sh" "echo \"lpd: unknown option -V\" >&2" \
    "echo \"LPRng-3.8.28, Copyright 1988-2003\" >&2" >/usr/sbin/lpd
chmod 755 /usr/sbin/lpd'
# seed_df WORK INSTALL [shared]: a stand-in df, WORK available below /tmp and INSTALL elsewhere.
seed_df() {
    local work_line="tmpfs 1000000 0 $1 1% /tmp" inst_line="/dev/root 1000000 0 $2 1% /"
    [ "${3-}" != shared ] || work_line=$inst_line
    printf '%s\n' "printf '%s\n' '#!/bin/sh' 'echo Filesystem 1K-blocks Used Available Use% Mounted on' \\" \
        "'case \$1 in /tmp*) echo \"$work_line\" ;; *) echo \"$inst_line\" ;; esac' >/usr/bin/df" \
        "chmod 755 /usr/bin/df"
}
# seed_installation BASE: an earlier installation at BASE/Varen/tvxx (and its link), with data.
seed_installation() {
    printf 'mkdir -p %s/Varen/tvxx/queues\necho "queue data" >%s/Varen/tvxx/queues/q1\n' "$1" "$1"
    printf 'echo old | tee %s/Varen/tvxx/VarenPrinttvxx >%s/Varen/tvxx/tvqadmin\n' "$1" "$1"
    printf 'chmod 755 %s/Varen %s/Varen/tvxx\n' "$1" "$1"
    [ "$1" = /usr ] || printf 'mkdir -p /usr/Varen\nln -s %s/Varen/tvxx /usr/Varen/tvxx\n' "$1"
}
# run NAME [ARG...]: PROGRAM (default /mnt/cd/setup) ARG... in a fresh sandbox with MEDIUM. Reads SEED,
# AFTER, PRE (bash text; PRE runs just before, in its mount namespace), ENVS (NAME=VALUE), INPUT,
# TIMEOUT. Sets STATUS, OUT, ERR, LOG (the installer's log) and R (the final state).
run() {
    scenario=$1 && shift
    local dir=$SCRATCH_ROOT/runs/$scenario e
    rm -rf -- "$dir" && mkdir -p -- "$dir"
    printf '%s\n%s\n' "$COMMON_SEED" "${SEED-}" >"$dir/seed.sh"
    printf 'mkdir -p "$SANDBOX_OUT/root"\n%s\n%s\n' "${AFTER-}" "$COMMON_AFTER" >"$dir/after.sh"
    local -a envargs=() cmd=("${PROGRAM:-/mnt/cd/setup}" "$@")
    for e in "${ENVS[@]+"${ENVS[@]}"}" ${ASAN_OPTIONS:+"ASAN_OPTIONS=$ASAN_OPTIONS"}; do envargs+=(--env "$e")
    done
    [ -z "${PRE-}" ] || cmd=(bash -c "$PRE"$'\n''exec "$@"' bash "${cmd[@]}")
    local -a sb=("$SANDBOX" --scratch "$dir/sandbox" --medium "$MEDIUM" --seed "$dir/seed.sh"
        --after "$dir/after.sh" --timeout "${TIMEOUT-30}" "${envargs[@]}" -- "${cmd[@]}")
    "${sb[@]}" < <(printf '%s' "$INPUT") >"$dir/stdout" 2>"$dir/stderr"; STATUS=$?
    OUT=$(cat "$dir/stdout"; printf x) && OUT=${OUT%x}
    # The runner's own lines are not the installer's standard error.
    ERR=$(grep -v '^sandbox: ' "$dir/stderr"; printf x) && ERR=${ERR%x} R=$dir/sandbox/out/root
    LOG=$(cat "$R/tmp/setup.log" 2>/dev/null; printf x) && LOG=${LOG%x}
    [ "$STATUS" != 124 ] && [ "$STATUS" != 125 ] || fail "sandbox status $STATUS: $(tail -n 3 "$dir/stderr")"
}
fresh() { SEED="" AFTER="" PRE="" TIMEOUT=30 PROGRAM="" INPUT="" ENVS=(); }
# The log's command lines, without the shell that runs them.
log_commands() { printf '%s' "$LOG" | grep '^/usr/bin/sh -c "' | sed 's|^/usr/bin/sh -c "||'; }
# expect_log "LINE;LINE;!TEXT": the log's command lines hold these in this order, none holds TEXT.
expect_log() {
    local l rest hit
    local -a lines
    rest=$(log_commands)
    IFS=';' read -r -a lines <<<"$1"
    for l in "${lines[@]+"${lines[@]}"}"; do
        case $l in "!"*) expect_lacks "log" "$(log_commands)" "${l#"!"}"; continue ;; esac
        # A here-string: grep -m1 may end before a pipe's writer.
        hit=$(grep -n -m1 -F -x -- "$l" <<<"$rest") || { fail "log lacks, in order: $l"; return; }
        rest=$(sed "1,${hit%%:*}d" <<<"$rest")
    done
}
# Standard output: one dot per logged command, the two tvqadmin runs (whole lines) among them.
expect_dots_of_full_run() {
    expect_eq "standard output" "$OUT" "$(printf '%*s' $(($(log_commands | wc -l) + 2)) '' | tr ' ' .)"$'\n'
}
finish() {
    [ "$failures" -eq 0 ] || { echo "$(basename "$0"): $failures check(s) failed" >&2; exit 1; }
    echo "$(basename "$0"): all checks passed"; exit 0
}
fresh
