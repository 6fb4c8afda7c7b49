# Shared part of the whole-run tests: runs the built installer in the
# throwaway sandbox (scripts/sandbox) from a medium built by
# scripts/make-medium, and checks its output, status and the files it left.
# Sourced by each tests/e2e/*.sh with the arguments SETUP_BINARY SCRATCH_DIR.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the scripts that source this file use them

set -uo pipefail
export LC_ALL=C

[ $# -eq 2 ] || {
    echo "usage: $0 SETUP_BINARY SCRATCH_DIR" >&2
    exit 2
}
if [ "$(id -u)" != 0 ]; then
    echo "$(basename "$0"): skipped, the sandbox needs root" >&2
    exit 77
fi
SETUP_BIN=$(realpath -- "$1")
SCRATCH_ROOT=$2
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
SANDBOX=$TOP/scripts/sandbox
MAKE_MEDIUM=$TOP/scripts/make-medium
FIXTURE=$TOP/tests/e2e/medium-src

rm -rf -- "$SCRATCH_ROOT"
mkdir -p -- "$SCRATCH_ROOT"
SCRATCH_ROOT=$(realpath -- "$SCRATCH_ROOT")
# Temporary files of the tools (make-medium) stay out of the machine's /tmp.
export TMPDIR=$SCRATCH_ROOT/tmp
mkdir -p -- "$TMPDIR"

failures=0
scenario=setup

# The installer's refusal of a path that the shell would interpret.
MSG1='ERROR: the path %s contains characters that are not allowed. Use only letters, digits and the characters / . _ - + , = : @ %%\n'

# ---- assertions ----------------------------------------------------------

fail() {
    echo "FAIL [$scenario]: $*" >&2
    failures=$((failures + 1))
}

# expect_eq WHAT GOT WANT: byte-exact comparison, shown escaped on failure.
expect_eq() {
    if [ "$2" != "$3" ]; then
        fail "$1: got $(printf '%q' "$2"), want $(printf '%q' "$3")"
    fi
}

expect_status() {
    expect_eq "exit status" "$STATUS" "$1"
}

# expect_contains WHAT TEXT PART
expect_contains() {
    case $2 in
    *"$3"*) ;;
    *) fail "$1 lacks $(printf '%q' "$3"); it is $(printf '%q' "$2")" ;;
    esac
}

expect_lacks() {
    case $2 in
    *"$3"*) fail "$1 holds $(printf '%q' "$3")" ;;
    esac
}

# Paths below are paths inside the sandbox, looked up in the copy that the
# after script made of the sandbox's final state.
expect_exists() {
    [ -e "$R$1" ] || [ -L "$R$1" ] || fail "$1 is missing"
}

expect_absent() {
    if [ -e "$R$1" ] || [ -L "$R$1" ]; then
        fail "$1 exists but should not"
    fi
}

# expect_node PATH TYPE MODE: TYPE is d, f or l (find's %y); MODE octal.
expect_node() {
    if ! [ -e "$R$1" ] && ! [ -L "$R$1" ]; then
        fail "$1 is missing"
        return
    fi
    expect_eq "type and mode of $1" "$(find "$R$1" -maxdepth 0 -printf '%y %m')" "$2 $3"
}

expect_link() {
    if ! [ -L "$R$1" ]; then
        fail "$1 is not a symbolic link"
        return
    fi
    expect_eq "target of $1" "$(readlink "$R$1")" "$2"
}

file_text() {
    cat -- "$R$1" 2>/dev/null
}

# ---- media and runs ------------------------------------------------------

# The fixture with the modes of a release, whatever mask the checkout had.
FIXTURE_COPY=$SCRATCH_ROOT/medium-src
cp -r -- "$FIXTURE" "$FIXTURE_COPY"
chmod -R go-w -- "$FIXTURE_COPY"

# make_medium NAME [make-medium options]: builds a medium from the fixture
# (or from the folder SRC names) into $SCRATCH_ROOT/media/NAME and prints
# its path.
make_medium() {
    local name=$1
    shift
    local dir=$SCRATCH_ROOT/media/$name
    rm -rf -- "$dir"
    "$MAKE_MEDIUM" --setup "$SETUP_BIN" "$@" "${SRC:-$FIXTURE_COPY}" "$dir" >&2 || {
        echo "make-medium failed for $name" >&2
        exit 2
    }
    printf '%s\n' "$dir"
}

# Leftovers of anything on the real machine must not look like an earlier
# installation, so every run starts from a clean slate inside the sandbox.
readonly COMMON_SEED='
rm -rf /usr/Varen /opt/Varen /var/spool/Varen /tmp/VarenInstall /tmp/setup.log \
    /tmp/setup.tmp /tmp/*.calls /usr/bin/tvadmin /usr/share/printconf \
    /etc/rc2.d/KVarenPrintD /etc/rc2.d/SVarenPrintD
'

# The sandbox's final state that the checks look at, copied out with types,
# modes and links kept.
readonly COMMON_AFTER='
mkdir -p "$SANDBOX_OUT/root"
for p in /usr/Varen /opt/Varen /var/spool/Varen /usr/bin/tvadmin /tmp/setup.log \
    /tmp/VarenInstall /tmp/*.calls /tmp/e2e.* /usr/share/printconf /etc/rc2.d \
    /etc/e2e.* /var/tmp/e2e*; do
    if [ -e "$p" ] || [ -L "$p" ]; then
        cp -a --parents "$p" "$SANDBOX_OUT/root/"
    fi
done
'

# Seed snippets for the host's print spooler. The real machine has cupsd;
# inside the sandbox it may be removed and a stand-in lpd put in its place.
readonly SPOOLER_CUPS='
rm -f /usr/sbin/lpd
[ -e /usr/sbin/cupsd ] || { printf "#!/bin/sh\n" >/usr/sbin/cupsd && chmod 755 /usr/sbin/cupsd; }
'
readonly SPOOLER_LPRNG='
rm -f /usr/sbin/cupsd
printf "%s\n" "#!/bin/sh" "echo \"lpd: unknown option -V\" >&2" "echo \"LPRng-3.8.28, Copyright 1988-2003\" >&2" >/usr/sbin/lpd
chmod 755 /usr/sbin/lpd
'
readonly SPOOLER_BSD='
rm -f /usr/sbin/cupsd
printf "%s\n" "#!/bin/sh" "echo \"lpd: illegal option -- V\" >&2" "exit 1" >/usr/sbin/lpd
chmod 755 /usr/sbin/lpd
'

# seed_df WORK_AVAIL INSTALL_AVAIL [shared]: a stand-in df that reports
# WORK_AVAIL for paths below /tmp and INSTALL_AVAIL for every other path, on
# two file systems, or on one when "shared" is given.
seed_df() {
    local work_line="tmpfs 1000000 0 $1 1% /tmp"
    local inst_line="/dev/root 1000000 0 $2 1% /"
    if [ "${3-}" = shared ]; then
        work_line="/dev/root 1000000 0 $2 1% /"
    fi
    cat <<EOF
cat >/usr/bin/df <<'DF'
#!/bin/sh
echo "Filesystem     1K-blocks    Used Available Use% Mounted on"
case "\$1" in
/tmp*) echo "$work_line" ;;
*) echo "$inst_line" ;;
esac
DF
chmod 755 /usr/bin/df
EOF
}

# seed_sizes ISIZE TSIZE: size files of the medium in the sandbox.
seed_sizes() {
    printf 'echo %s >/mnt/cd/isize\necho %s >/mnt/cd/tsize\n' "$1" "$2"
}

# An earlier installation at BASE/Varen/tvxx (with the link at the fixed
# place when BASE is not /usr), holding a data file that a move must keep.
seed_installation() {
    local base=$1
    cat <<EOF
mkdir -p $base/Varen/tvxx/queues
echo "queue data" >$base/Varen/tvxx/queues/q1
echo old >$base/Varen/tvxx/VarenPrinttvxx
chmod 755 $base/Varen $base/Varen/tvxx
EOF
    if [ "$base" != /usr ]; then
        printf 'mkdir -p /usr/Varen\nln -s %s/Varen/tvxx /usr/Varen/tvxx\n' "$base"
    fi
}

# run NAME [ARG...]: runs /mnt/cd/setup ARG... in a fresh sandbox. Reads the
# variables MEDIUM (medium directory), SEED and AFTER (extra bash text),
# ENVS (array of NAME=VALUE), INPUT (standard input; unset means none),
# AS_USER (run as the unprivileged user nobody), PRE (bash text run just
# before setup, in its mount namespace: mounts stay), TIMEOUT and PROGRAM
# (the command to run instead of /mnt/cd/setup). Sets STATUS,
# OUT, ERR (standard output and error), LOG (the installer's log) and R (the
# copy of the sandbox's final state).
run() {
    scenario=$1
    shift
    local dir=$SCRATCH_ROOT/runs/$scenario
    rm -rf -- "$dir"
    mkdir -p -- "$dir"
    printf '%s\n%s\n' "$COMMON_SEED" "${SEED-}" >"$dir/seed.sh"
    printf '%s\n%s\n' "$COMMON_AFTER" "${AFTER-}" >"$dir/after.sh"
    local -a envargs=() cmd=("${PROGRAM:-/mnt/cd/setup}" "$@")
    local e
    for e in "${ENVS[@]+"${ENVS[@]}"}"; do
        envargs+=(--env "$e")
    done
    # A sanitizer build reads its options from the environment.
    if [ -n "${ASAN_OPTIONS-}" ]; then
        envargs+=(--env "ASAN_OPTIONS=$ASAN_OPTIONS")
    fi
    if [ -n "${AS_USER-}" ]; then
        cmd=(setpriv --reuid=65534 --regid=65534 --clear-groups -- "${cmd[@]}")
    fi
    if [ -n "${PRE-}" ]; then
        cmd=(bash -c "$PRE"$'\n''exec "$@"' bash "${cmd[@]}")
    fi
    local -a sb=("$SANDBOX" --scratch "$dir/sandbox" --medium "$MEDIUM" --seed "$dir/seed.sh"
        --after "$dir/after.sh" --timeout "${TIMEOUT-30}" "${envargs[@]}" -- "${cmd[@]}")
    if [ -n "${INPUT+set}" ]; then
        printf '%s' "$INPUT" | "${sb[@]}" >"$dir/stdout" 2>"$dir/stderr"
    else
        "${sb[@]}" </dev/null >"$dir/stdout" 2>"$dir/stderr"
    fi
    STATUS=$?
    OUT=$(cat "$dir/stdout"; printf x)
    OUT=${OUT%x}
    # The runner's own lines are not the installer's standard error.
    ERR=$(grep -v '^sandbox: ' "$dir/stderr"; printf x)
    ERR=${ERR%x}
    R=$dir/sandbox/out/root
    LOG=$(cat "$R/tmp/setup.log" 2>/dev/null; printf x)
    LOG=${LOG%x}
    if [ "$STATUS" = 124 ] || [ "$STATUS" = 125 ]; then
        fail "the sandbox ended with $STATUS: $(tail -n 3 "$dir/stderr")"
    fi
}

# Resets the per-scenario inputs of run.
fresh() {
    SEED="" AFTER="" INPUT="" AS_USER="" PRE="" TIMEOUT=30 PROGRAM=""
    unset INPUT
    ENVS=()
}

# The command lines of the log (not the commands' own output), without the
# shell that runs them (/usr/bin/sh -c " on this system).
log_commands() {
    printf '%s' "$LOG" | grep '^/usr/bin/sh -c "' | sed 's|^/usr/bin/sh -c "||'
}

# expect_log_order LINE...: the log's command lines hold these, in this order
# (other command lines may come between them).
expect_log_order() {
    local rest want
    rest=$(log_commands)
    for want in "$@"; do
        local hit
        # A here-string, not a pipe: grep -m1 may end before a writer has
        # written all, which pipefail would take for a miss.
        hit=$(grep -n -m1 -F -x -- "$want" <<<"$rest") || {
            fail "log lacks, in order: $want"
            return
        }
        rest=$(printf '%s\n' "$rest" | sed "1,${hit%%:*}d")
    done
}

# Dots on standard output: one per logged command, two for the tvqadmin runs,
# then a newline.
expect_dots_of_full_run() {
    local n
    n=$(log_commands | wc -l)
    expect_eq "standard output" "$OUT" "$(printf '%*s' $((n + 2)) '' | tr ' ' .)
"
}

finish() {
    if [ "$failures" -ne 0 ]; then
        echo "$(basename "$0"): $failures check(s) failed" >&2
        exit 1
    fi
    echo "$(basename "$0"): all checks passed"
    exit 0
}

fresh
