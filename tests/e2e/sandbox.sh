#!/usr/bin/env bash
# The sandbox runner: the real machine is never changed (also while other whole-run tests run),
# the upper layers show the changes, the environment is clean, a timeout and a TERM end everything.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
readonly TREES=(/usr /etc /var /opt /tmp /run)
snapshot() {   # what the watched places of the real machine hold
    local p
    for p in /usr/Varen /opt/Varen /var/spool/Varen /usr/bin/tvadmin /tmp/setup.log /tmp/VarenInstall \
        /usr/share/printconf /etc/rc2.d /usr/sbin/cupsd /usr/sbin/lpd /usr/bin/df "${TREES[@]/%//e2e-probe}"; do
        find "$p" -printf '%y %m %u %g %s %T@ %p -> %l\n' 2>&1 | LC_ALL=C sort
        find "$p" -type f -exec sha256sum {} + 2>/dev/null | LC_ALL=C sort
    done
}
before=$(snapshot)
scenario=probe dir=$SCRATCH_ROOT/runs/probe
"$SANDBOX" --scratch "$dir" -- sh -c "for d in ${TREES[*]}; do echo probe >\$d/e2e-probe || exit 1; done
    rm /usr/bin/df" </dev/null 2>/dev/null
expect_eq "status of the probe" "$?" 0
for t in "${TREES[@]}"; do expect_eq "probe in the upper layer of $t" "$(cat "$dir/upper$t/e2e-probe" 2>&1)" probe; done
expect_eq "removed df in the upper layer" "$(stat -c '%F %t:%T' "$dir/upper/usr/bin/df" 2>&1)" \
    "character special file 0:0"
scenario=host
expect_eq "the real machine's watched places" "$(snapshot)" "$before"
scenario=runner
got=$(HOST_ONLY=1 "$SANDBOX" --scratch "$dir" --env LANG=fr_FR --env 'X=a b' -- env </dev/null 2>/dev/null |
    LC_ALL=C sort)
expect_eq "environment" "$got" "LANG=fr_FR
PATH=/usr/sbin:/usr/bin:/sbin:/bin
X=a b"
start=$SECONDS
"$SANDBOX" --scratch "$dir" --timeout 2 -- sh -c '(sleep 100 &); sleep 100' </dev/null 2>/dev/null
expect_eq "status after the timeout" "$?" 124
"$SANDBOX" --scratch "$dir" -- sh -c 'sleep 100' </dev/null 2>/dev/null &
sleep 1 && kill -TERM $!
wait $! && fail "a terminated sandbox returned 0"
[ $((SECONDS - start)) -lt 30 ] || fail "the timeout and TERM took $((SECONDS - start)) seconds"
finish
