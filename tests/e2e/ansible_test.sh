#!/usr/bin/env bash
# The Ansible role and playbook against four inventory hosts, each its own sandbox that the play
# reaches through a local connection whose Python enters the sandbox's namespaces: wrong settings
# and check mode, a rollout that goes on past a failing first host, a read-only log directory, a
# base through a link, an emptied installation, "false" from INI and -e, keys taken out of the list,
# a signed medium installed by the package's installer and a host that trusts keys without it, a
# rerun while setup waits and setup killed; a changed mode named by setup --verify, a removal and one with
# nothing recorded. Also ansible-lint and the role's documentation.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need ansible-playbook ansible-doc nsenter unshare gpg dpkg-deb
PB=$TOP/examples/ansible/install-suite.yml ROLE=$TOP/examples/ansible/roles/varen_tvxx
export HOME=$SCRATCH_ROOT/home ANSIBLE_LOCAL_TEMP=$SCRATCH_ROOT/home/tmp ANSIBLE_NOCOLOR=1 LC_ALL=C.UTF-8 \
    ANSIBLE_PIPELINING=1
mkdir -p "$ANSIBLE_LOCAL_TEMP"
msg=$(ansible-playbook -i "$TOP/examples/ansible/inventory.ini" --syntax-check "$PB" 2>&1) || fail "syntax check: $msg"
! command -v ansible-lint >/dev/null || msg=$(cd "$TOP/examples/ansible" &&
    ansible-lint --offline --nocolor --profile production install-suite.yml roles 2>&1) || fail "ansible-lint: $msg"
# Every default is documented where ansible-doc looks.
doc=$(ansible-doc -t role -r "$ROLE/.." varen_tvxx 2>&1) || fail "ansible-doc: $doc"
tasks=$(ansible-playbook -i "$TOP/examples/ansible/inventory.ini" "$PB" --list-tasks --tags varen_tvxx 2>&1)
grep -q 'Run setup' <<<"$tasks" || fail "--tags varen_tvxx does not run setup: $tasks"
tasks=$(ansible-playbook -i "$TOP/examples/ansible/inventory.ini" "$PB" --list-tasks --tags other 2>&1)
grep -q 'Check the settings' <<<"$tasks" || fail "another tag does not check the settings: $tasks"
for v in $(grep -o '^varen_[a-z_]*' "$ROLE/defaults/main.yml"); do
    grep -q -- "$v" <<<"$doc" || fail "ansible-doc lacks $v"; done

export GNUPGHOME=$SCRATCH_ROOT/gnupg && mkdir -m 700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key site@e2e.test ed25519 sign never 2>/dev/null || fail "no key"
# The installer's package: the one scripts/build-deb left, else built once here.
DEB=$(find "$TOP/build/debs" -name 'varen-setup_*.deb' 2>/dev/null | tail -n 1)
[ -n "$DEB" ] || { "$TOP/scripts/build-deb" >/dev/null && DEB=$(find "$TOP/build/debs" -name 'varen-setup_*.deb'); } ||
    fail "scripts/build-deb failed"
SRC=$TOP/examples/medium make_medium good >/dev/null
SRC=$TOP/examples/medium make_medium signed --sign site@e2e.test --release 2 >/dev/null
MEDIA=$SCRATCH_ROOT/media L=$SCRATCH_ROOT/logs RO=$SCRATCH_ROOT/rolog INV=$SCRATCH_ROOT/hosts.ini R=""
cp -a "$MEDIA/good" "$MEDIA/damaged" && truncate -s 1000 "$MEDIA/damaged/pkg_tar.001"
mkdir -p "$RO" "$SCRATCH_ROOT/host_vars"
gpg --export site@e2e.test >"$SCRATCH_ROOT/a.gpg" && echo b >"$SCRATCH_ROOT/b.gpg"
printf '%s\n' '[printservers:vars]' ansible_connection=local "varen_medium_src=$MEDIA/good" "varen_log_dir=$L" \
    '[printservers]' >"$INV"
declare -A PID
# host NAME SEED [VAR=VALUE...]: a sandbox that lives until stop (bounded), its Python and its inventory line.
host() {
    local d=$SCRATCH_ROOT/hosts/$1 p
    mkdir -p "$d/sb/rtmp" && printf '%s\n' "$COMMON_SEED" "$2" >"$d/seed" && printf '%s\n' "$COMMON_AFTER" >"$d/after"
    # The module files that the controller writes reach the host at the same path.
    "$SANDBOX" --scratch "$d/sb" --medium "$MEDIA/good" --seed "$d/seed" --after "$d/after" --timeout 900 -- bash -c \
        'mount --bind /mnt/.sandbox/scratch/rtmp "$1" && : >/mnt/.sandbox/scratch/ready
        for _ in $(seq 8900); do [ -e /mnt/.sandbox/scratch/stop ] && break; sleep 0.1; done' "fleet-$1" "$d/sb/rtmp" \
        >"$d/out" 2>&1 &
    for _ in $(seq 300); do [ -e "$d/sb/ready" ] && break; sleep 0.1; done
    # The host's own sandbox, not a host of the same name in a test running beside this one.
    for p in $(pgrep -f -- "fleet-$1 $d/sb/rtmp"); do
        [ "$(readlink /proc/"$p"/ns/pid)" = "$(readlink /proc/self/ns/pid)" ] || PID[$1]=$p; done
    printf '#!/bin/sh\nexec env TMPDIR=/tmp nsenter -t %s -m -p -- /usr/bin/python3 "$@"\n' "${PID[$1]}" >"$d/python"
    chmod 755 "$d/python"
    echo "$1 ansible_python_interpreter=$d/python ansible_remote_tmp=$d/sb/rtmp ${*:3}" >>"$INV"
}
at() { cat "/proc/${PID[$1]}/root$2" 2>&1; }   # at HOST PATH: a file of the running host
absent_at() { local p; for p in "${@:2}"; do [ ! -e "/proc/${PID[$1]}/root$p" ] || fail "$p exists on $1"; done; }
# listing HOST PATH [MINDEPTH]: names and modes below PATH on the host
listing() { find "/proc/${PID[$1]}/root$2" -mindepth "${3:-0}" -printf '%P %m\n' | sort | paste -s -d ';'; }
trap 'for h in "${!PID[@]}"; do : >"$SCRATCH_ROOT/hosts/$h/sb/stop"; done; wait' EXIT
host h4 'mkdir -p /var/lib/varen-tvxx-medium && echo kept >/var/lib/varen-tvxx-medium/other' \
    "varen_medium_src=$MEDIA/damaged"
host h1 "" "varen_log_dir=$RO"
host h2 'mkdir -p /opt /var/print && ln -s /var/print /opt/print' \
    'varen_medium_on_host=/mnt/cd varen_setup_args="/var/tmp install //opt/print/."'
host h3 'mkdir -p /usr/local/lib/e2e && printf "#!/bin/sh\nsleep 880\n" >/usr/local/lib/e2e/tvqadmin
chmod 755 /usr/local/lib/e2e/tvqadmin
/usr/local/lib/e2e/tvqadmin </dev/null >/dev/null 2>&1 &' varen_running=quit varen_answered_stop_ok=false
play() {   # play NAME ANSIBLE-PLAYBOOK-ARGS...: sets OUT and STATUS
    scenario=$1 && timeout 300 ansible-playbook -i "$INV" "$PB" "${@:2}" >"$SCRATCH_ROOT/$1.out" 2>&1
    STATUS=$? OUT=$(cat "$SCRATCH_ROOT/$1.out")
}
recap() {   # recap HOST CHANGED FAILED (regular expressions; "-": the host did not run)
    local r && r=$(grep "^$1 " <<<"$OUT" | tr -s ' ')
    if [ "$2" = - ]; then [ -z "$r" ] || fail "$1 ran: $r"
    else grep -Eq "changed=$2 unreachable=0 failed=$3 " <<<"$r" ||
        fail "recap of $1 is not changed=$2 failed=$3: $r"; fi
}
says() { tr -s '\n ' '  ' <<<"$OUT" | grep -q -- "$1" || fail "the play does not say $1"; }
hv() { printf '%s\n' "${@:2}" >"$SCRATCH_ROOT/host_vars/$1.yml"; }   # hv HOST YAML-LINE...: the host's variables

hv h3 'varen_setup_args: "-v"' && hv h4 'varen_timeout: -1'
play check --check -e varen_serial=4
expect_status 2; recap h1 1 0; recap h2 1 0; recap h3 0 1; recap h4 0 1
says '"msg": "Would make a first installation under /usr"'; says 'Would make a first installation under /var/print"'
says 'install BASE\]\\" (a word is not an absolute path'; says 'varen_timeout is at least 1'
absent_at h1 /usr/Varen /var/lib/varen-tvxx-medium; absent_at h2 /usr/Varen; expect_absent "$L"
rm "$SCRATCH_ROOT"/host_vars/*
# The first batch (h4, a damaged medium) fails, the others run; h1's logs go to a read-only directory.
scenario=first && timeout 300 unshare -m --propagation private bash -c 'mount --bind "$1" "$1" &&
    mount -o remount,bind,ro "$1" && shift && exec "$@"' - "$RO" ansible-playbook -i "$INV" "$PB" \
    -e '{"varen_max_fail_percentage": 100, "varen_serial": [1, 3]}' >"$SCRATCH_ROOT/first.out" 2>&1
STATUS=$? OUT=$(cat "$SCRATCH_ROOT/first.out")
expect_status 2; recap h4 0 1; recap h1 '[1-9]' 1; recap h2 '[1-9]' 0; recap h3 '[1-9]' 1
says 'setup ended with status 1: stopped: .*pkg_tar.001 is missing or damaged.* The host now holds no installation'
says 'setup installed the suite under /usr (status 0) and the medium is recorded, but .*Read-only file system'
says 'setup ended with status 4: stopped as answered part-way'
expect_eq "h4's stage parent" "$(listing h4 /var/lib/varen-tvxx-medium)" " 755;other 644"
expect_eq "h1's stage parent" "$(listing h1 /var/lib/varen-tvxx-medium)" " 700"
expect_eq "h2's installation" "$(readlink "/proc/${PID[h2]}/root/usr/Varen/tvxx")" /var/print/Varen/tvxx
for h in h1 h2; do
    expect_eq "$h's record" "$(at $h /var/lib/varen-tvxx/installed-medium.sha256sums)" "$(cat "$MEDIA/good/sha256sums")"
done
expect_eq "fetched log of h2" "$(cat "$L/h2/setup.log")" "$(at h2 /tmp/setup.log)"
grep -qF "cp -p /mnt/cd/disks /var/tmp/VarenInstall" "$L/h2/setup.log" || fail "setup on h2 lacks its arguments"
absent_at h3 /var/lib/varen-tvxx/installed-medium.sha256sums
# An emptied installation, a key of other means on h2 and two keys listed for it; h4 trusts one and
# installs a signed medium with the package's installer.
find "/proc/${PID[h1]}/root/usr/Varen/tvxx" -mindepth 1 -delete &&
    mkdir -p "/proc/${PID[h2]}/root/etc/Varen/trusted.gpg.d" &&
    echo o >"/proc/${PID[h2]}/root/etc/Varen/trusted.gpg.d/other.gpg"
hv h2 "varen_trusted_keys: [$SCRATCH_ROOT/a.gpg, $SCRATCH_ROOT/b.gpg]"
hv h4 "varen_trusted_keys: [$SCRATCH_ROOT/a.gpg]" "varen_setup_deb: $DEB" "varen_medium_src: $MEDIA/signed"
play second -e varen_force_reinstall=false -e varen_serial=4
expect_status 2; recap h1 '[1-9]' 0; recap h2 '[1-9]' 0; recap h3 0 1; recap h4 '[1-9]' 0
grep -q 'Good signature' "$L/h4/varen-setup.log" || fail "h4's fetched log: $(cat "$L/h4/varen-setup.log")"
says '"msg": "Makes a first installation under /usr"'
says 'Makes no change: this medium is installed under /var/print"'
says 'setup ended with status 4: stopped as answered before anything was installed'
says 'WARNING\]: /etc/Varen/trusted.gpg.d holds keys placed by other means, left as they are .*: other.gpg'
[ -f "/proc/${PID[h1]}/root/usr/Varen/tvxx/tvqadmin" ] || fail "h1's suite was not installed again"
expect_eq "h2's keys" "$(listing h2 /etc/Varen/trusted.gpg.d 1)" "a.gpg 644;b.gpg 644;other.gpg 644"
chmod 700 "/proc/${PID[h1]}/root$A/vsf"
# setup waits on h3 for the suite's program; a rerun then is refused unchanged; setup is killed.
(play waits --limit h3 -e varen_running=wait) &
waiter=$!
setup_pid() { local p; for p in $(pgrep -f '^/var/lib/varen-tvxx-medium/run[.][^/]*/setup'); do
    [ "$(readlink "/proc/$p/ns/pid")" != "$(readlink "/proc/${PID[h3]}/ns/pid")" ] || echo "$p"; done; }
lock=/proc/${PID[h3]}/root/run/VarenInstall.lock
for _ in $(seq 300); do [ -n "$(setup_pid)" ] && [ -e "$lock" ] && ! flock -n "$lock" true && break; sleep 0.1; done
log=$(at h3 /tmp/setup.log) stage=$(listing h3 /var/lib/varen-tvxx-medium 1 | wc -c)
hv h2 "varen_trusted_keys: [$SCRATCH_ROOT/a.gpg]" && hv h4 "varen_trusted_keys: []"
play rerun --limit h1,h2,h3,h4 -e varen_serial=4
expect_status 2; recap h1 0 0; recap h2 '[1-9]' 0; recap h3 0 1; recap h4 0 1
says "WARNING\\]: setup --verify finds that the installation under /usr differs .*: [.]M[.]\{7\} $A/vsf[.] varen_repair"
says 'An installation is under way on this host'; says 'would remove the last key this host trusts (a.gpg)'
expect_eq "h3's log after the rerun" "$(at h3 /tmp/setup.log)" "$log"
expect_eq "h3's stage after the rerun" "$(listing h3 /var/lib/varen-tvxx-medium 1 | wc -c)" "$stage"
expect_eq "h2's keys" "$(listing h2 /etc/Varen/trusted.gpg.d 1)" "a.gpg 644;other.gpg 644"
expect_eq "h4's keys" "$(listing h4 /etc/Varen/trusted.gpg.d 1)" "a.gpg 644"
kill -KILL "$(setup_pid)" && wait "$waiter"; OUT=$(cat "$SCRATCH_ROOT/waits.out") scenario=waits
recap h3 0 1; says 'status -9: interrupted by SIGKILL; the installation on this host may be incomplete, a rerun'
expect_eq "h3's stage parent" "$(listing h3 /var/lib/varen-tvxx-medium)" " 700"
# h2 trusts keys but has no host installer: it fails before setup runs. h1 is removed, then has nothing to remove.
hv h1 'varen_state: absent'
play stop_ok --limit h1,h2,h3 -e varen_answered_stop_ok=yes -e varen_force_reinstall=yes -e varen_serial=3
expect_status 2; recap h3 0 0; says 'WARNING\]: setup stopped as answered, before anything was installed'
recap h2 0 1; says 'This host trusts keys .* Set varen_setup_deb'
recap h1 '[1-9]' 0; absent_at h1 $A /usr/bin/tvadmin /var/lib/varen-tvxx
play gone --limit h1; expect_status 0; recap h1 0 0
# Refused unchanged: a stage parent in a directory others may write, a listed key whose name a key
# of other means holds, a medium others may change, a key name setup refuses; an unreachable first
# batch stops no other host.
mkdir -p "$SCRATCH_ROOT/k" && echo x >"$SCRATCH_ROOT/k/other.gpg" && echo y >"$SCRATCH_ROOT/k/site key.gpg"
hv h1 'varen_stage_dir: /var/tmp/stage' && hv h2 "varen_trusted_keys: [$SCRATCH_ROOT/k/other.gpg]"
hv h3 'varen_medium_on_host: /tmp' && hv h4 "varen_trusted_keys: [\"$SCRATCH_ROOT/k/site key.gpg\"]"
sed -i '/^\[printservers\]$/a u0 ansible_connection=ssh ansible_host=127.0.0.1 ansible_port=1' "$INV"
play refused -e '{"varen_max_fail_percentage": 100, "varen_serial": [1, 4]}'
expect_status 2; for h in u0 h1 h2 h3 h4; do recap $h 0 1; done
says 'u0.*The host cannot be reached'; says 'stage: others than root may change /var/tmp (mode 1777). Nothing'
says 'holds other.gpg with other content'; says 'cannot be run by root: others than root may change /tmp (mode 1777)'
says 'made of letters, digits'; absent_at h1 /var/tmp/stage
expect_eq "h2's key" "$(at h2 /etc/Varen/trusted.gpg.d/other.gpg)" o
finish
