#!/usr/bin/env bash
# Whole-installation benchmark: installs a suite whose package list has 500
# lines (the sample suite's lines and copies of generated files with a mode)
# in the throwaway sandbox, and compares its wall time with a replay of the
# commands it logged, run through the shell from the same starting state.
# The ratio is the installer's own share of the run.
#
# Usage: bench/install.sh [SETUP]      (default: build/setup)
# Needs root (scripts/sandbox). ROUNDS sets the runs of each (default 5).
set -euo pipefail
export LC_ALL=C

readonly LIST_LINES=500
ROUNDS=${ROUNDS:-5}
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
setup=$(realpath -- "${1:-$top/build/setup}")
work=$top/build/install-bench
rm -rf -- "$work"
mkdir -p -- "$work"
export TMPDIR=$work

# The suite: the sample medium's files and list, topped up to LIST_LINES
# lines with one copy line per generated file.
cp -a "$top/examples/medium" "$work/suite"
list=$work/suite/pkg/pkg.list
have=$(wc -l <"$list")
for i in $(seq 1 $((LIST_LINES - have))); do
    printf 'generated file %d\n' "$i" >"$work/suite/pkg/gen$i"
    printf 'c gen%d mode 644\n' "$i" >>"$list"
done
"$top/scripts/make-medium" --setup "$setup" "$work/suite" "$work/medium" >/dev/null

# Runs a command in a fresh sandbox and prints its wall time in seconds
# and its peak resident memory in KiB.
timed() {
    local run=$1
    # shellcheck disable=SC2016 # expanded inside the sandbox
    printf '%s\n' 'cp /tmp/setup.log "$SANDBOX_OUT/" 2>/dev/null || true' >"$work/after.sh"
    "$top/scripts/sandbox" --scratch "$work/sandbox" --medium "$work/medium" --timeout 600 \
        --after "$work/after.sh" -- /bin/bash -c "
            start=\$(date +%s%N)
            /usr/bin/time -f %M -o /tmp/rss $run >/dev/null 2>&1
            end=\$(date +%s%N)
            echo \$(( (end - start) / 1000 )) \$(cat /tmp/rss) >&2" 2>&1 >/dev/null | tail -1
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One installation gives the log whose command lines make the replay: each
# is run as the installer runs it, through sh -c, its output appended to a
# log (only its standard error when it appends its output to a file itself).
# The steps the installer does without a command line (making the work area,
# changing into it) are written in where they happen.
timed "/mnt/cd/setup </dev/null" >/dev/null
log=$work/sandbox/out/setup.log
[ -s "$log" ] || {
    echo "install.sh: the installation left no log" >&2
    exit 1
}
{
    printf '%s\n' 'mkdir -p /tmp/VarenInstall' 'cd /tmp/VarenInstall'
    sed -n -e 's|^\(.*/sh -c ".* >> .*\)$|\1 2>>/tmp/replay.log"|p;t' \
        -e 's|^\(.*/sh -c ".*\)$|\1 1>>/tmp/replay.log 2>>/tmp/replay.log"|p' "$log"
} >"$work/replay.lines"
commands=$(grep -c . "$work/replay.lines")
# shellcheck disable=SC2016 # expanded by the replaying shell
printf '%s\n' 'while IFS= read -r line; do' \
    '    case $line in "cd "*) $line ;; *) /bin/sh -c "$line" ;; esac' 'done' >"$work/replay.sh"

: >"$work/install.times"
: >"$work/replay.times"
for _ in $(seq 1 "$ROUNDS"); do
    timed "/mnt/cd/setup </dev/null" >>"$work/install.times"
    timed "/bin/bash $work/replay.sh <$work/replay.lines" >>"$work/replay.times"
done
t_install=$(cut -d' ' -f1 "$work/install.times" | median)
t_replay=$(cut -d' ' -f1 "$work/replay.times" | median)
rss=$(cut -d' ' -f2 "$work/install.times" | median)
awk -v i="$t_install" -v r="$t_replay" -v n="$commands" -v rss="$rss" -v rounds="$ROUNDS" 'BEGIN {
    printf "package list: %d lines; replay: %d command lines\n", '"$LIST_LINES"', n
    printf "installation %.3f s, replay %.3f s (medians of %d): ratio %.3f; peak resident memory %.1f MiB\n",
        i / 1e6, r / 1e6, rounds, i / r, rss / 1024 }'
