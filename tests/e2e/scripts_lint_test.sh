#!/usr/bin/env bash
# The scripts that the installer writes (the queue interface scripts
# VarenPrinttvxx and VarenVSF, and the wrapper command that the sample
# package list asks for) pass the shell's syntax check and shellcheck at
# error severity. They are taken from a real installation of the sample
# suite (examples/medium) in the sandbox.
# Usage: scripts_lint_test.sh SETUP   (run as root; works in the current
# directory, below scripts_lint_test.*)
set -uo pipefail
setup=${1:?usage: scripts_lint_test.sh SETUP}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: needs root (the sandbox uses mount and process namespaces)"
    exit 77
fi
command -v shellcheck >/dev/null || {
    echo "FAIL: shellcheck is missing (Debian package shellcheck)"
    exit 1
}

work=$(mktemp -d "$PWD/scripts_lint_test.XXXXXX")
cat >"$work/after.sh" <<'AFTER'
mkdir -p "$SANDBOX_OUT/scripts"
cp /usr/Varen/tvxx/VarenPrinttvxx /usr/Varen/tvxx/VarenVSF /usr/bin/tvqadmin "$SANDBOX_OUT/scripts/"
AFTER
"$top/scripts/make-medium" --setup "$setup" "$top/examples/medium" "$work/medium" >/dev/null ||
    {
        echo "FAIL: make-medium"
        exit 1
    }
"$top/scripts/sandbox" --scratch "$work/sandbox" --medium "$work/medium" --after "$work/after.sh" \
    --timeout 60 -- /mnt/cd/setup </dev/null >"$work/setup.out" 2>&1
status=$?

fail=0
bad() {
    echo "FAIL: $*"
    fail=1
}
[ "$status" = 0 ] || bad "setup ended with status $status: $(cat "$work/setup.out")"
for name in VarenPrinttvxx VarenVSF tvqadmin; do
    f=$work/sandbox/out/scripts/$name
    if [ ! -s "$f" ]; then
        bad "the installation left no script $name"
        continue
    fi
    [ "$(head -n 1 "$f")" = "#!/bin/sh" ] || bad "$name does not start with #!/bin/sh"
    msg=$(sh -n "$f" 2>&1) || bad "sh -n $name: $msg"
    msg=$(shellcheck --shell=sh --severity=error "$f" 2>&1) || bad "shellcheck $name: $msg"
done

if [ "$fail" = 0 ]; then
    echo "generated scripts pass sh -n and shellcheck --severity=error"
    rm -rf "$work"
else
    echo "results kept in $work"
fi
exit "$fail"
