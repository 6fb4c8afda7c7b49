#!/usr/bin/env bash
# shellcheck disable=SC2016,SC2053,SC2059 # a literal "$(", a pattern, message formats
# Whole runs as a hostile user and an unlucky administrator try them: a racer on the shared names,
# two runs at once, closed input, media the shell would interpret (interruptions: interrupt.sh).
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
shopt -s extglob
MEDIUM=$(make_medium whole --whole)
# ---- the racer: nobody recreates the work area, the log and the sed temporary name in a tight loop
SEED='echo original >/etc/e2e.victim' PROGRAM=/bin/bash TIMEOUT=60
IFS= read -r -d '' RACE <<'SCRIPT' || :
racer=$(cat <<"PERL"
my ($area, $log) = @ARGV;
while (1) {
    if ($area ne "") { mkdir $area; open(my $w, ">", "/tmp/e2e.won") if -e "$area/disks" && (lstat $area)[4] == $<; }
    symlink "/etc/e2e.victim", "/tmp/setup.tmp";
    next unless $log;
    if (rand() < 0.5) { mkdir "/tmp/setup.log"; open(my $f, ">", "/tmp/setup.log/x"); }
    else { symlink "/etc/e2e.victim", "/tmp/setup.log"; }
}
PERL
)
race() {   # race NAME AREA LOG ARG...: one run while nobody races on AREA (and the log)
    local name=$1 area=$2 log=$3 status how=unsafe pid && shift 3
    rm -rf /usr/Varen /var/spool/Varen /tmp/setup.* /tmp/VarenInstall /var/tmp/VarenInstall
    setpriv --reuid=65534 --regid=65534 --clear-groups perl -e "$racer" "$area" "$log" & pid=$!
    sleep 0.3
    /mnt/cd/setup "$@" </dev/null >/tmp/e2e.out 2>&1; status=$?
    kill $pid; wait $pid 2>/dev/null
    # Whoever wins, the run installs or refuses the work area; the log is its own, or the racer's
    # (named, untouched).
    if [ $status = 0 ] && [ -u /usr/Varen/tvxx/vsf ]; then how=installed
    elif [ $status = 3 ] && [ -u /usr/Varen/tvxx/vsf ] && grep -q "not fully recorded" /tmp/e2e.out; then
        how="installed, no log"
    elif [ $status = 1 ] && ! [ -e /usr/Varen ] && grep -q "work area $area is not" /tmp/e2e.out; then
        how=refused; fi
    log=$(stat -c "%U %a %F" /tmp/setup.log; head -n 1 /tmp/setup.log 2>&1)
    [ "$log" = "root 644 regular file
initializing system" ] || { grep -q "couldn.t open /tmp/setup.log" /tmp/e2e.out &&
        [ -z "$(find /tmp/setup.log -user root)" ]; } || how="unsafe log: $log"
    [ "${how%% *}" != unsafe ] || how="$how; status $status: $(head -c 400 /tmp/e2e.out)"
    echo "$name: $how"
}
race tmp /tmp/VarenInstall ""
race vartmp /var/tmp/VarenInstall log /var/tmp
race logonly "" log
echo "victim: $(cat /etc/e2e.victim), won: $(ls /tmp/e2e.won 2>/dev/null | wc -l)"
echo "owned by nobody: $(find /usr /etc /var /opt /run -path /var/tmp -prune -o -user nobody -print -quit)"
SCRIPT
run racer -c "$RACE"
expect_status 0
[[ $OUT == 'tmp: '@(refused|installed)'
vartmp: '@(refused|installed|"installed, no log")'
logonly: installed'@(|", no log")'
victim: original, won: 0
owned by nobody: 
' ]] || fail "racer runs: $OUT"
expect_unchanged etc
# ---- directories others can change, a vendor directory that is a file, a lock that is not root's or
# cannot be made: each run stops before anything changes, also while a user swaps her directory
# (words that are files: driver_test). An earlier installation in /usr.
fresh
SEED="$(seed_installation /usr)"
IFS= read -r -d '' CHAINS <<'SCRIPT' || :
mkdir -p /var/tmp/alice/d/Varen/tvxx /var/tmp/alice/evil && cp /mnt/cd/* /var/tmp/alice/evil/
printf "#!/bin/sh\ntouch /tmp/e2e.pwned\n" | tee /var/tmp/alice/evil/tvqadmin >/var/tmp/alice/d/Varen/tvxx/tvqadmin
chmod 755 /var/tmp/alice/*/tvqadmin /var/tmp/alice/d/Varen/tvxx/tvqadmin && chown -R 65534:65534 /var/tmp/alice
setpriv --reuid=65534 --regid=65534 --clear-groups -- bash -c "cd /var/tmp/alice && while :; do
    mv -T d e && mv -T evil d && mv -T d evil && mv -T e d; done" & swapper=$!
ln -s /var/tmp/alice/d /opt/e2e-link
try() {   # try NAME [ARG...]: the status and the first part of the error line
    /mnt/cd/setup "${@:2}" </dev/null >/tmp/e2e.out 2>/tmp/e2e.err
    echo "$1: $? $(head -n 1 /tmp/e2e.err | cut -d ";" -f 1)"
}
try work /var/tmp/alice/d/work
try base_link install /opt/e2e-link
try varlocal install /var/local
mkdir /opt/e2e && touch /opt/e2e/Varen && try file_vendor install /opt/e2e
kill $swapper; wait $swapper 2>/dev/null
mv /usr/Varen/tvxx /usr/Varen/e2e.real && ln -s /var/tmp/alice/d/Varen/tvxx /usr/Varen/tvxx
try earlier install /opt
rm /usr/Varen/tvxx && chgrp 50 /usr/Varen && chmod 775 /usr/Varen
sed -i "s/^staff:x:50:/staff::50:/" /etc/group # an empty password field: still named
try usr_varen
mv /usr/Varen/e2e.real /usr/Varen/tvxx && chgrp 0 /usr/Varen && chmod 777 /tmp
try tmp_open
chmod 1777 /tmp && rm -f /run/VarenInstall.lock
ln -s /etc/e2e.lock /run/VarenInstall.lock && try lock_link && rm /run/VarenInstall.lock
mkfifo -m 600 /run/VarenInstall.lock && try lock_fifo && rm /run/VarenInstall.lock
mkdir /run/VarenInstall.lock && try lock_directory && rmdir /run/VarenInstall.lock
touch /run/VarenInstall.lock && ln /run/VarenInstall.lock /run/e2e.lock && try lock_two_names && rm /run/e2e.lock
chown 65534 /run/VarenInstall.lock && try lock_theirs
rm /run/VarenInstall.lock && mount -t tmpfs -o ro e2e-run /run && try lock_readonly && umount /run
echo "after: $(ls -A /usr/Varen /usr/Varen/tvxx/queues | tr "\n" " ")$(find /var/tmp/alice /opt/Varen \
    /tmp/e2e.pwned -user root 2>&1)"
SCRIPT
PROGRAM=/bin/bash TIMEOUT=60
run chains -c "$CHAINS"
expect_status 0
UNSAFE="can be changed by users other than root"
LOCK="ERROR: the lock file /run/VarenInstall.lock is not a regular file of root's with one name (owner root:root, mode"
ALICE="1 ERROR: /var/tmp/alice (owner nobody:nogroup, mode drwxr-xr-x) $UNSAFE"
expect_eq "refusals" "$OUT" "work: $ALICE
base_link: $ALICE
varlocal: 1 ERROR: /var/local (owner root:staff, mode drwxrwsr-x) $UNSAFE
file_vendor: 2 ERROR: /opt/e2e/Varen is not a directory
earlier: $ALICE
usr_varen: 1 ERROR: /usr/Varen (owner root:staff, mode drwxrwxr-x) $UNSAFE
tmp_open: 1 ERROR: /tmp (owner root:root, mode drwxrwxrwx) $UNSAFE
lock_link: 1 $LOCK lrwxrwxrwx, link count 1)
lock_fifo: 1 $LOCK prw-------, link count 1)
lock_directory: 1 $LOCK drwxr-xr-x, link count 2)
lock_two_names: 1 $LOCK -rw-r--r--, link count 2)
lock_theirs: 1 ${LOCK/root:root/nobody:root} -rw-r--r--, link count 1)
lock_readonly: 1 ERROR: the lock file /run/VarenInstall.lock cannot be made or opened (Read-only file system)
after: /usr/Varen: tvxx  /usr/Varen/tvxx/queues: q1 find: '/opt/Varen': No such file or directory
find: '/tmp/e2e.pwned': No such file or directory
"
# ---- unsafe install media, two runs at once, closed standard input (and output and errors)
fresh && PROGRAM=/bin/bash
IFS= read -r -d '' TOGETHER <<'SCRIPT' || :
for dir in "/mnt/cd a" "/mnt/x\$(touch /tmp/e2e.pwned)"; do
    mkdir -p "$dir" && cp -a /mnt/cd/. "$dir/"
    "$dir/setup"; echo "status $?"
done
cp /mnt/cd/setup "/mnt/cd/set up" && "/mnt/cd/set up"; echo "status $?"
ls /tmp/setup.log /tmp/e2e.pwned 2>&1 | sed "s/^ls: //"
/mnt/cd/setup >/tmp/e2e.o1 2>&1 & p1=$!
/mnt/cd/setup >/tmp/e2e.o2 2>&1 & p2=$!
wait $p1; s1=$?; wait $p2; s2=$?
echo "together: $(printf "%s\n" $s1 $s2 | sort | paste -s -d " ") $(grep -c "^initializing system$" \
    /tmp/setup.log) $(ls /usr/Varen/tvxx/vsf)"
grep -h -v "^\.*$" /tmp/e2e.o1 /tmp/e2e.o2
touch /usr/Varen/tvxx/TolvarD
/mnt/cd/setup <&- 2>/tmp/e2e.err | head -c 4000 >/tmp/e2e.out
echo "question: ${PIPESTATUS[0]} $(grep -o "continue with the installation" /tmp/e2e.out | wc -l) $(cat /tmp/e2e.err)"
mkfifo /tmp/e2e.fifo; exec 7<>/tmp/e2e.fifo
/mnt/cd/setup </tmp/e2e.fifo >/tmp/e2e.out 2>/tmp/e2e.err & p=$!
for _ in $(seq 300); do grep -q "continue with the installation" /tmp/e2e.out && break; sleep 0.1; done
kill -TERM $p; wait $p; echo "stopped while asked: $? $(grep -c "No answer" /tmp/e2e.err)"; exec 7>&-
rm /usr/Varen/tvxx/TolvarD
printf "#!/bin/sh\nsleep 30\n" >/tmp/tvqadmin && chmod 755 /tmp/tvqadmin && /tmp/tvqadmin &
sleep 0.3
/mnt/cd/setup <&- 2>/tmp/e2e.err | head -c 4000 >/tmp/e2e.out
echo "menu: ${PIPESTATUS[0]} $(grep -o "Enter a selection" /tmp/e2e.out | wc -l) $(cat /tmp/e2e.err)"
# With 0, 1 and 2 closed the commands still get an open standard error (never a file they open later).
P=/usr/bin/ps && mv $P $P.e2e && printf '#!/bin/sh\n[ -e /proc/self/fd/2 ] || echo shut >/tmp/e2e.fd\nexec %s "$@"\n' \
    $P.e2e >$P && chmod 755 $P && /mnt/cd/setup <&- >&- 2>&-
echo "closed: $? $(cat /tmp/e2e.fd 2>/dev/null || echo open)"
SCRIPT
run together -c "$TOGETHER"
expect_status 0
expect_eq "output" "$OUT" "$(for d in "/mnt/cd a" '/mnt/x$(touch /tmp/e2e.pwned)' "set up"; do
    printf "$MSG1" "$d"; echo "status 2"; done)
cannot access '/tmp/setup.log': No such file or directory
cannot access '/tmp/e2e.pwned': No such file or directory
together: 0 1 1 /usr/Varen/tvxx/vsf
ERROR: another installation is under way (/run/VarenInstall.lock is locked); try again when it has ended.
question: 1 1 $MSG2
stopped while asked: 143 0
menu: 1 1 $MSG2
closed: 1 open
"
# A work area that cannot be removed (a file system mounted in it) is never taken over as it stands.
fresh
PRE="mkdir -p $W/m && mount -t tmpfs e2e $W/m && echo stale >$W/stale"
run work_kept
expect_status 1
expect_contains "output" "$OUT" "ERROR: the work area $W is not this run's own directory"
expect_eq "left in the work area" "$(ls "$R$W")" "m"
expect_absent /usr/Varen/tvxx/tvqadmin
finish
