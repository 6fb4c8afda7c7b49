#!/usr/bin/env bash
# Start-up benchmark of the installer: `setup -v` locates every command of its
# table (it lists the system directories and those of PATH) before it prints
# its version, so it measures the start-up alone. For each binary given it
# reports the median wall time of `setup -v` against /bin/true (hyperfine)
# and the instructions it executes (valgrind's callgrind), with the caller's
# PATH and with 20 extra PATH directories of 2,000 entries each.
#
# Usage: bench/startup.sh [SETUP...]      (default: build/setup)
# Needs root, hyperfine and valgrind. It runs in a mount namespace of its own
# with an empty tmpfs at /tmp, where setup writes its log and the extra
# directories are made; the system directories are the machine's own, read
# as they are. RUNS sets the runs per timing (default 300).
set -euo pipefail
export LC_ALL=C

readonly EXTRA_DIRS=20
readonly EXTRA_ENTRIES=2000
RUNS=${RUNS:-300}

# Median of one command in seconds, from hyperfine's JSON export.
median() {
    sed -n 's/^ *"median": *\([0-9.e+-]*\),*$/\1/p' "$1"
}

# Inside the namespace: make the extra directories in its /tmp, then measure.
inside() {
    local work=/tmp/startup-bench extra="" d setup
    mount -t tmpfs -o mode=1777 bench-tmp /tmp
    mkdir -p "$work"
    for d in $(seq -w 1 "$EXTRA_DIRS"); do
        mkdir -p "$work/d$d"
        (cd "$work/d$d" && seq -f "tool-$d-%04g" 1 "$EXTRA_ENTRIES" | xargs touch)
        extra=$extra:$work/d$d
    done
    printf '%-34s %-12s %10s %12s %7s %14s\n' binary PATH "true ms" "setup -v ms" ratio instructions
    for setup in "$@"; do
        local base_ir=""
        for variant in normal extra; do
            local path=$PATH
            [ "$variant" = extra ] && path=$PATH$extra
            PATH=$path hyperfine -N --style none --warmup 20 --runs "$RUNS" \
                --export-json "$work/times.json" /bin/true "$setup -v" >/dev/null 2>&1
            local t_true t_setup ir
            t_true=$(median "$work/times.json" | sed -n 1p)
            t_setup=$(median "$work/times.json" | sed -n 2p)
            ir=$(PATH=$path valgrind --tool=callgrind --callgrind-out-file=/dev/null \
                "$setup" -v 2>&1 | sed -n 's/.*Collected : *//p')
            awk -v b="$setup" -v v="$variant" -v t="$t_true" -v s="$t_setup" -v ir="$ir" \
                'BEGIN { printf "%-34s %-12s %10.3f %12.3f %7.2f %14d\n", b, v, t * 1000, s * 1000, s / t, ir }'
            if [ "$variant" = normal ]; then
                base_ir=$ir
            else
                awk -v ir="$ir" -v base="$base_ir" -v n="$EXTRA_DIRS" \
                    'BEGIN { printf "%-34s extra instructions per PATH directory: %d\n", "", (ir - base) / n }'
            fi
        done
    done
}

if [ "${1:-}" = --inside ]; then
    shift
    inside "$@"
    exit
fi

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
[ "$(id -u)" = 0 ] || {
    echo "startup.sh: the private /tmp needs root" >&2
    exit 1
}
for tool in hyperfine valgrind; do
    command -v "$tool" >/dev/null || {
        echo "startup.sh: $tool is missing (apt-get install $tool)" >&2
        exit 1
    }
done
[ $# -gt 0 ] || set -- "$top/build/setup"
binaries=()
for b in "$@"; do
    binaries+=("$(realpath -- "$b")")
done
echo "PATH: $(echo "$PATH" | tr ':' '\n' | grep -c .) directories, $EXTRA_DIRS extra of $EXTRA_ENTRIES entries"
exec unshare --mount --propagation private -- /bin/bash "$top/bench/startup.sh" --inside "${binaries[@]}"
