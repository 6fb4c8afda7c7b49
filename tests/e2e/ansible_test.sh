#!/usr/bin/env bash
# The Ansible example: --syntax-check and ansible-lint (when installed), then in one sandbox three plays:
# a first installation from a copied medium, an upgrade in place (the continue question answered) from a
# medium on the host, a damaged medium (the host fails, and the message says why).
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need ansible-playbook
playbook=$TOP/examples/ansible/install-suite.yml

export HOME=$SCRATCH_ROOT/home ANSIBLE_LOCAL_TEMP=$SCRATCH_ROOT/home/tmp ANSIBLE_NOCOLOR=1 LC_ALL=C.UTF-8
mkdir -p "$ANSIBLE_LOCAL_TEMP"
msg=$(ansible-playbook -i "$TOP/examples/ansible/inventory.ini" --syntax-check "$playbook" 2>&1) || fail "syntax check: $msg"
! command -v ansible-lint >/dev/null || msg=$(cd "$TOP/examples/ansible" &&
    ansible-lint --offline --nocolor -p install-suite.yml 2>&1) || fail "ansible-lint: $msg"

# At /mnt/cd: the sample medium, and the sample with its last piece cut short.
SRC=$TOP/examples/medium make_medium good >/dev/null
MEDIUM=$SCRATCH_ROOT/media
cp -a "$MEDIUM/good" "$MEDIUM/damaged"
last=$(find "$MEDIUM/damaged" -name 'pkg_tar.*' | sort | tail -n 1)
truncate -s 1000 "$last"
cat >"$MEDIUM/inside.sh" <<'INSIDE'
e=/tmp/e2e.ansible
export HOME=$e/home ANSIBLE_LOCAL_TEMP=$e/home/tmp ANSIBLE_REMOTE_TEMP=$e/home/remote ANSIBLE_NOCOLOR=1
mkdir -p "$ANSIBLE_LOCAL_TEMP"
play() {   # play NAME VAR=VALUE [VAR=VALUE]: a run of the playbook; what the checks need goes to $e/NAME
    local d=$e/$1 && mkdir -p "$d"
    ansible-playbook -i localhost, -c local -e varen_hosts=localhost -e ansible_python_interpreter=/usr/bin/python3 \
        -e "$2" ${3:+-e "$3"} -e "varen_log_dir=$d/logs" "$PLAYBOOK" >"$d/out" 2>&1
    echo $? >"$d/status"
    cmp -s /tmp/setup.log "$d/logs/localhost/setup.log" && echo same >"$d/log"
    [ -e /var/lib/varen-tvxx-medium ] && echo left >"$d/stage"
    cat /usr/Varen/tvxx/tvxx.conf /usr/Varen/tvxx/e2e.keep /etc/rc2.d/KVarenPrintD >"$d/app" 2>&1
}
play first varen_medium_src=/mnt/cd/good
# An earlier release's daemon makes setup ask whether to go on.
echo kept >/usr/Varen/tvxx/e2e.keep && touch /usr/Varen/tvxx/TolvarD
mkdir -p /etc/rc2.d && ln -s ../init.d/VarenPrintD /etc/rc2.d/KVarenPrintD
play upgrade varen_medium_on_host=/mnt/cd/good 'varen_setup_args=/var/tmp'
play damaged varen_medium_src=/mnt/cd/damaged
true
INSIDE
PROGRAM=bash TIMEOUT=150 ENVS=("PLAYBOOK=$playbook")
run plays /mnt/cd/inside.sh
expect_status 0
out=/tmp/e2e.ansible

check() {   # check NAME STATUS SETUP FAILED: the play's status, the setup task's end, the recap's failed count
    scenario=$1
    expect_eq "status of ansible-playbook" "$(file_text $out/$1/status)" "$2"
    expect_eq "the setup task" "$(grep -A1 '^TASK \[Run setup\]' "$R$out/$1/out" | tail -n 1)" "$3: [localhost]"
    grep -Eq "^localhost +: .* unreachable=0 +failed=$4 " "$R$out/$1/out" ||
        fail "the recap is not failed=$4: $(grep '^localhost ' "$R$out/$1/out")"
    expect_eq "fetched log is the host's /tmp/setup.log" "$(file_text $out/$1/log)" same
    expect_absent $out/$1/stage
}
check first 0 changed 0
grep -q sample "$R$out/first/app" || fail "no installed tvxx.conf: $(file_text $out/first/app)"
check upgrade 0 changed 0
grep -qx kept "$R$out/upgrade/app" || fail "a file of the installation was lost"
grep -qF "cp -p /mnt/cd/good/disks /var/tmp/VarenInstall" "$R$out/upgrade/logs/localhost/setup.log" || fail "setup lacks its arguments"
grep -q "KVarenPrintD.*No such file" "$R$out/upgrade/app" || fail "the continue question was not answered yes"
check damaged 2 ok 1
# The reason: the damaged piece named, or the unpacking that it broke.
grep -Eq "setup ended with status 1: stopped.*($(basename "$last")|Unexpected EOF in archive)" "$R$out/damaged/out" ||
    fail "the failure does not give the status and the reason: $(grep -A3 'FAILED' "$R$out/damaged/out")"

finish
