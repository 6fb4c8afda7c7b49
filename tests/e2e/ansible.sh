#!/usr/bin/env bash
# The Ansible example (examples/ansible): ansible-playbook --syntax-check and
# ansible-lint (when installed) on the playbook, then, in one sandbox, three
# plays against the local host as an administrator would run them: a first
# installation from the sample medium (examples/medium) copied to the host,
# an upgrade in place from a medium already on the host, over an earlier
# release (the continue question answered from the playbook's input), and a
# damaged medium, which must fail the host and say why. Ansible's home and temporary files stay inside the sandbox.
# Usage: ansible_test.sh SETUP   (run as root; works in the current
# directory, below ansible_test.*)
set -uo pipefail
setup=${1:?usage: ansible_test.sh SETUP}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
playbook=$top/examples/ansible/install-suite.yml
if [ "$(id -u)" != 0 ]; then
    echo "SKIP: needs root (the sandbox uses mount and process namespaces)"
    exit 77
fi
command -v ansible-playbook >/dev/null || {
    echo "FAIL: ansible-playbook is missing (Debian package ansible-core)"
    exit 1
}

work=$(mktemp -d "$PWD/ansible_test.XXXXXX")
fail=0
bad() {
    echo "FAIL: $*"
    fail=1
}

# Checks outside the sandbox write only below $work.
export HOME=$work/home ANSIBLE_LOCAL_TEMP=$work/home/tmp ANSIBLE_NOCOLOR=1
mkdir -p "$ANSIBLE_LOCAL_TEMP"
msg=$(ansible-playbook -i "$top/examples/ansible/inventory.ini" --syntax-check "$playbook" 2>&1) ||
    bad "syntax check: $msg"
if command -v ansible-lint >/dev/null; then
    msg=$(cd "$top/examples/ansible" && ansible-lint --offline --nocolor -p install-suite.yml 2>&1) ||
        bad "ansible-lint: $msg"
fi

# The media the plays copy from, at /mnt/cd in the sandbox: the sample, and
# the sample with its last archive piece cut short.
"$top/scripts/make-medium" --setup "$setup" "$top/examples/medium" "$work/media/good" >/dev/null ||
    {
        echo "FAIL: make-medium"
        exit 1
    }
cp -a "$work/media/good" "$work/media/damaged"
last=$(find "$work/media/damaged" -name 'pkg_tar.*' | sort | tail -n 1)
truncate -s 1000 "$last"

cat >"$work/inside.sh" <<'INSIDE'
e=/tmp/e2e
export HOME=$e/home ANSIBLE_LOCAL_TEMP=$e/home/tmp ANSIBLE_REMOTE_TEMP=$e/home/remote ANSIBLE_NOCOLOR=1
mkdir -p "$ANSIBLE_LOCAL_TEMP"
# play NAME VARIABLE=VALUE...: one run of the playbook; its output, status,
# the state the checks need and the fetched log go to /tmp/e2e/NAME.
play() {
    local name=$1 v
    local -a vars=()
    shift
    for v in "$@"; do vars+=(-e "$v"); done
    mkdir -p "$e/$name"
    set -- "$name"
    ansible-playbook -i localhost, -c local -e varen_hosts=localhost \
        -e ansible_python_interpreter=/usr/bin/python3 "${vars[@]}" \
        -e "varen_log_dir=$e/$1/logs" "$PLAYBOOK" >"$e/$1/out" 2>&1
    echo $? >"$e/$1/status"
    cmp -s /tmp/setup.log "$e/$1/logs/localhost/setup.log" && echo same >"$e/$1/log"
    [ -e /var/lib/varen-tvxx-medium ] && echo left >"$e/$1/stage"
    cat /usr/Varen/tvxx/tvxx.conf /usr/Varen/tvxx/e2e.keep /etc/rc2.d/KVarenPrintD >"$e/$1/app" 2>&1
}
play first varen_medium_src=/mnt/cd/good
# An earlier release's daemon makes setup ask whether to go on.
echo kept >/usr/Varen/tvxx/e2e.keep
touch /usr/Varen/tvxx/TolvarD
mkdir -p /etc/rc2.d && ln -s ../init.d/VarenPrintD /etc/rc2.d/KVarenPrintD
play upgrade varen_medium_on_host=/mnt/cd/good 'varen_setup_args=/var/tmp'
play damaged varen_medium_src=/mnt/cd/damaged
true
INSIDE
cat >"$work/after.sh" <<'AFTER'
cp -a /tmp/e2e/. "$SANDBOX_OUT/"
AFTER
"$top/scripts/sandbox" --scratch "$work/sandbox" --medium "$work/media" --after "$work/after.sh" \
    --timeout 150 --env "PLAYBOOK=$playbook" -- bash "$work/inside.sh" </dev/null
status=$?
out=$work/sandbox/out
[ "$status" = 0 ] || bad "the sandbox run ended with status $status"

# check NAME STATUS SETUP FAILED: the play's status, how the setup task
# ended for the host (changed or ok) and the failed count of the recap.
check() {
    local name=$1
    [ "$(cat "$out/$name/status" 2>/dev/null)" = "$2" ] ||
        bad "$name: ansible-playbook ended with $(cat "$out/$name/status" 2>/dev/null), not $2"
    [ "$(grep -A1 '^TASK \[Run setup\]' "$out/$name/out" 2>/dev/null | tail -n 1)" = "$3: [localhost]" ] ||
        bad "$name: the setup task did not report $3"
    grep -Eq "^localhost +: .* unreachable=0 +failed=$4 " "$out/$name/out" 2>/dev/null ||
        bad "$name: the recap is not failed=$4: $(grep '^localhost ' "$out/$name/out" 2>/dev/null)"
    [ -f "$out/$name/log" ] || bad "$name: the fetched log is not the host's /tmp/setup.log"
    [ ! -f "$out/$name/stage" ] || bad "$name: the copied medium was left on the host"
}
check first 0 changed 0
grep -q sample "$out/first/app" || bad "first: no installed tvxx.conf: $(cat "$out/first/app")"
check upgrade 0 changed 0
grep -qx kept "$out/upgrade/app" || bad "upgrade: a file of the installation was lost"
grep -qF "cp -p /mnt/cd/good/disks /var/tmp/VarenInstall" "$out/upgrade/logs/localhost/setup.log" ||
    bad "upgrade: setup did not get its arguments (work area /var/tmp, medium on the host)"
grep -q "KVarenPrintD.*No such file" "$out/upgrade/app" ||
    bad "upgrade: the continue question was not answered yes (the daemon's link is still there)"
check damaged 2 ok 1
# The reason: the damaged piece named, or the unpacking that it broke.
grep -Eq "setup ended with status 1: stopped.*($(basename "$last")|Unexpected EOF in archive)" \
    "$out/damaged/out" ||
    bad "damaged: the failure does not give the status and the reason: $(grep -A3 'FAILED' "$out/damaged/out")"

if [ "$fail" = 0 ]; then
    echo "the Ansible example installs, upgrades in place and fails a damaged medium"
    rm -rf "$work"
else
    echo "results kept in $work"
fi
exit "$fail"
