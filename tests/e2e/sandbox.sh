#!/usr/bin/env bash
# The sandbox runner that every whole-run test relies on: the real machine is
# never changed by a run (checked around a complete installation, a move and
# a command that writes into every tree), COMMAND's status, a timeout that
# ends everything, the clean environment, standard input, and the upper
# layers showing only what COMMAND changed.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

readonly TREES=(/usr /etc /var /opt /tmp /run)
# What the watched places of the real machine hold.
snapshot() {
    local p
    for p in /usr/Varen /opt/Varen /var/spool/Varen /usr/bin/tvadmin /tmp/setup.log /tmp/VarenInstall \
        /tmp/tvqadmin.calls /usr/share/printconf /etc/rc2.d /usr/sbin/cupsd /usr/sbin/lpd /usr/bin/df \
        /usr/bin/du "${TREES[@]/%//e2e-probe}"; do
        find "$p" -printf '%y %m %u %g %s %T@ %p -> %l\n' 2>&1 | LC_ALL=C sort
        find "$p" -type f -exec sha256sum {} + 2>/dev/null | LC_ALL=C sort
    done
}
before=$(snapshot)

# A first installation, then its move to /opt, in one sandbox.
MEDIUM=$(make_medium split --pieces 2)
SEED="$SPOOLER_LPRNG
mkdir -p /usr/share/printconf/util /etc/rc2.d
printf '#!/bin/sh\necho 1 \$1\n' >/usr/bin/du"
PROGRAM=bash
run host_install_move -c '/mnt/cd/setup </dev/null && /mnt/cd/setup install /opt </dev/null'
expect_status 0
expect_node /opt/Varen/tvxx/vsf f 4755
expect_link $A /opt/Varen/tvxx

# A command that writes into every tree and removes a command.
scenario=probe dir=$SCRATCH_ROOT/runs/probe
"$SANDBOX" --scratch "$dir" -- sh -c "for d in ${TREES[*]}; do echo probe >\$d/e2e-probe || exit 1; done; rm /usr/bin/df" </dev/null 2>/dev/null
expect_eq "status of the probe" "$?" 0
for t in "${TREES[@]}"; do expect_eq "probe in the upper layer of $t" "$(cat "$dir/upper$t/e2e-probe" 2>&1)" probe; done
expect_eq "removed df in the upper layer" "$(stat -c '%F %t:%T' "$dir/upper/usr/bin/df" 2>&1)" "character special file 0:0"
scenario=host
expect_eq "the real machine's watched places" "$(snapshot)" "$before"

# Status, environment, standard input, the medium and the installer at
# /mnt/cd; the seed's changes are seen but not in the upper layers.
scenario=runner dir=$SCRATCH_ROOT/runs/runner
mkdir -p "$dir.medium" && echo m >"$dir.medium/isize" && printf '#!/bin/sh\n' >"$dir.setup"
printf 'mkdir -p /opt/seeded && echo s >/opt/seeded/file\n' >"$dir.seed"
got=$(printf 'line one\n' | "$SANDBOX" --scratch "$dir" --env LANG=fr_FR --env 'X=a b' --medium "$dir.medium" \
    --setup "$dir.setup" --seed "$dir.seed" -- sh -c 'read -r l; echo "$l"; env | LC_ALL=C sort
        find /mnt/cd -mindepth 1 -printf "%P %m\n" | LC_ALL=C sort; cat /opt/seeded/file >/opt/seen; exit 7' 2>/dev/null)
expect_eq "status" "$?" 7
expect_eq "input, environment and medium" "$got" "line one
LANG=fr_FR
PATH=/usr/sbin:/usr/bin:/sbin:/bin
PWD=/
X=a b
isize 644
setup 755"
expect_eq "upper layer of /opt" "$(cd "$dir/upper/opt" && find . -type f)" "./seen"
expect_eq "seeded file seen" "$(cat "$dir/upper/opt/seen")" s

# The timeout, and a TERM to the runner, end COMMAND and what it left running
# at once.
start=$SECONDS
"$SANDBOX" --scratch "$dir" --timeout 2 -- sh -c '(sleep 100 &); sleep 100' </dev/null 2>/dev/null
expect_eq "status after the timeout" "$?" 124
"$SANDBOX" --scratch "$dir" -- sh -c 'sleep 100' </dev/null 2>/dev/null &
sleep 1 && kill -TERM $!
wait $! && fail "a terminated sandbox returned 0"
[ $((SECONDS - start)) -lt 30 ] || fail "the timeout and TERM took $((SECONDS - start)) seconds"
finish
