#!/usr/bin/env bash
# The Ansible role and playbook against four inventory hosts, each its own sandbox that the play reaches
# through a local connection whose Python enters the sandbox's namespaces: check mode, a first rollout with
# per-host settings (one under /opt from a medium on the host, one where a suite program runs and the
# answer is 2), a second run that changes nothing, a damaged medium that stops a rolling rollout, keys.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need ansible-playbook nsenter
PB=$TOP/examples/ansible/install-suite.yml
export HOME=$SCRATCH_ROOT/home ANSIBLE_LOCAL_TEMP=$SCRATCH_ROOT/home/tmp ANSIBLE_NOCOLOR=1 LC_ALL=C.UTF-8 ANSIBLE_PIPELINING=1
mkdir -p "$ANSIBLE_LOCAL_TEMP"
msg=$(ansible-playbook -i "$TOP/examples/ansible/inventory.ini" --syntax-check "$PB" 2>&1) || fail "syntax check: $msg"
! command -v ansible-lint >/dev/null || msg=$(cd "$TOP/examples/ansible" &&
    ansible-lint --offline --nocolor --profile production install-suite.yml roles 2>&1) || fail "ansible-lint: $msg"

SRC=$TOP/examples/medium make_medium good >/dev/null
MEDIA=$SCRATCH_ROOT/media L=$SCRATCH_ROOT/logs INV=$SCRATCH_ROOT/hosts.ini R=""
cp -a "$MEDIA/good" "$MEDIA/damaged" && truncate -s 1000 "$MEDIA/damaged/pkg_tar.001" && echo key >"$SCRATCH_ROOT/site.gpg"
printf '[printservers:vars]\nansible_connection=local\nvaren_medium_src=%s/good\n[printservers]\n' "$MEDIA" >"$INV"
declare -A PID
# host NAME SEED [VAR=VALUE...]: a sandbox that lives until stop (bounded), its Python and its inventory line.
host() {
    local d=$SCRATCH_ROOT/hosts/$1 p
    mkdir -p "$d/sb/rtmp" && printf '%s\n' "$COMMON_SEED" "$2" >"$d/seed" && printf '%s\n' "$COMMON_AFTER" >"$d/after"
    # The module files that the controller writes reach the host at the same path.
    "$SANDBOX" --scratch "$d/sb" --medium "$MEDIA/good" --seed "$d/seed" --after "$d/after" --timeout 280 -- bash -c \
        'mount --bind /mnt/.sandbox/scratch/rtmp "$1" && : >/mnt/.sandbox/scratch/ready
        for _ in $(seq 2700); do [ -e /mnt/.sandbox/scratch/stop ] && break; sleep 0.1; done' "fleet-$1" "$d/sb/rtmp" \
        >"$d/out" 2>&1 &
    for _ in $(seq 300); do [ -e "$d/sb/ready" ] && break; sleep 0.1; done
    # The host's own sandbox, not a host of the same name in a test running beside this one.
    for p in $(pgrep -f -- "fleet-$1 $d/sb/rtmp"); do [ "$(readlink /proc/"$p"/ns/pid)" = "$(readlink /proc/self/ns/pid)" ] || PID[$1]=$p; done
    printf '#!/bin/sh\nexec env TMPDIR=/tmp nsenter -t %s -m -p -- /usr/bin/python3 "$@"\n' "${PID[$1]}" >"$d/python"
    chmod 755 "$d/python" && echo "$1 ansible_python_interpreter=$d/python ansible_remote_tmp=$d/sb/rtmp ${*:3}" >>"$INV"
}
at() { cat "/proc/${PID[$1]}/root$2" 2>&1; }   # at HOST PATH: a file of the running host
absent_at() { local p; for p in "${@:2}"; do [ ! -e "/proc/${PID[$1]}/root$p" ] || fail "$p exists on $1"; done; }
trap 'for h in "${!PID[@]}"; do : >"$SCRATCH_ROOT/hosts/$h/sb/stop"; done; wait' EXIT
host h1 ""
host h4 "" "varen_medium_src=$MEDIA/damaged"
host h2 "" 'varen_medium_on_host=/mnt/cd varen_setup_args="/var/tmp install /opt"'
host h3 'mkdir -p /usr/local/lib/e2e && printf "#!/bin/sh\nsleep 250\n" >/usr/local/lib/e2e/tvqadmin && chmod 755 /usr/local/lib/e2e/tvqadmin
/usr/local/lib/e2e/tvqadmin </dev/null >/dev/null 2>&1 &' varen_answer_running=2 varen_answered_stop_ok=true
play() {   # play NAME ANSIBLE-PLAYBOOK-ARGS...: sets OUT and STATUS
    scenario=$1 && timeout 150 ansible-playbook -i "$INV" "$PB" -e "varen_log_dir=$L" "${@:2}" >"$SCRATCH_ROOT/$1.out" 2>&1
    STATUS=$? OUT=$(cat "$SCRATCH_ROOT/$1.out")
}
recap() {   # recap HOST CHANGED FAILED (regular expressions; "-": the host did not run)
    local r && r=$(grep "^$1 " <<<"$OUT" | tr -s ' ')
    if [ "$2" = - ]; then [ -z "$r" ] || fail "$1 ran: $r"; else grep -Eq "changed=$2 unreachable=0 failed=$3 " <<<"$r" ||
        fail "recap of $1 is not changed=$2 failed=$3: $r"; fi
}
says() { tr -s '\n ' '  ' <<<"$OUT" | grep -q -- "$1" || fail "the play does not say $1"; }

play check_fresh --check --limit h1,h2
expect_status 0; recap h1 1 0; recap h2 1 0
says '"msg": "Would make a first installation under /usr"'; says '"msg": "Would make a first installation under /opt"'
absent_at h1 /usr/Varen /var/lib/varen-tvxx-medium; absent_at h2 /usr/Varen /var/lib/varen-tvxx-medium; expect_absent "$L"
play first --limit h1,h2,h3 -e varen_serial=3
expect_status 2; recap h1 '[1-9]' 0; recap h2 '[1-9]' 0; recap h3 '[1-9]' 1
grep -q sample <<<"$(at h1 /usr/Varen/tvxx/tvxx.conf)" || fail "h1 holds no installation"
expect_eq "h2's installation" "$(readlink "/proc/${PID[h2]}/root/usr/Varen/tvxx")" /opt/Varen/tvxx
for h in h1 h2; do expect_eq "$h's record" "$(at $h /var/lib/varen-tvxx/installed-medium.sha256sums)" "$(cat "$MEDIA/good/sha256sums")"
    expect_eq "fetched log of $h" "$(cat "$L/$h/setup.log")" "$(at $h /tmp/setup.log)"; done
grep -qF "cp -p /mnt/cd/disks /var/tmp/VarenInstall" "$L/h2/setup.log" || fail "setup on h2 lacks its arguments"
says 'setup ended with status 4: stopped as answered part-way: the installation is incomplete, a rerun completes it. Its standard error ended:.*The installation was stopped as answered while programs of the suite were running: it is incomplete. Run setup again to complete it. Its standard output'
absent_at h1 /var/lib/varen-tvxx-medium; absent_at h3 /var/lib/varen-tvxx-medium /var/lib/varen-tvxx/installed-medium.sha256sums
echo "edited" >>"/proc/${PID[h1]}/root/usr/Varen/tvxx/tvxx.conf"
play second --limit h1,h2,h3
expect_status 0; recap h1 0 0; recap h2 0 0; recap h3 '[1-9]' 0
says '\[WARNING\]: setup stopped as answered, before anything was installed: The installation was stopped as answered; nothing was installed. Nothing was installed; an earlier installation is kept.'
expect_eq "h1's edited file" "$(at h1 /usr/Varen/tvxx/tvxx.conf | tail -n 1)" edited
play check_installed --check --limit h1,h2 -e '{"varen_setup_args": "install /opt"}'
expect_status 0; recap h1 1 0; recap h2 0 0
says '"msg": "Would make a move of the installation from /usr to /opt, upgraded from the medium"'
says '"msg": "Would make no change: this medium is installed under /opt"'
# Batches of two: h1 (nothing to do) and h4, then h2, which the failure of h4 keeps from running.
play damaged --limit h4,h1,h2 -e varen_serial=2
expect_status 2; recap h1 0 0; recap h4 '[1-9]' 1; recap h2 -
says 'setup ended with status 1: stopped: .*pkg_tar.001 is missing or damaged'
play keys --limit h1 -e "{\"varen_trusted_keys\": [\"$SCRATCH_ROOT/site.gpg\"]}"
expect_status 0; recap h1 2 0
expect_eq "trusted key" "$(find "/proc/${PID[h1]}/root/etc/Varen" -printf '%P %m %u %g;' | tr ';' '\n' | sort | paste -s -d ';')" \
    " 755 root root;trusted.gpg.d 755 root root;trusted.gpg.d/site.gpg 644 root root"
finish
