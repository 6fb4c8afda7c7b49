#!/usr/bin/env bash
# Whole runs about the command line (version, bases, option-like words, paths the shell would interpret,
# work-area directories), LANG as later commands see it, and the free-space stops in each language.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
# The medium asks for 1000 (install) and 500 (work area): with the margin of 40, 1040 and 540.
MEDIUM=$(make_medium sized --whole --isize 1000 --tsize 500)
# Many command lines, each stopped by a too small install area before any change: the words, the
# status, whether the earlier log was left as it was (1: a run that began none of its work), and the
# base, refused path or version. Then bases from links, a user who is not root, and root without whoami.
SEED=$(seed_df 5000 100) PROGRAM=/bin/bash TIMEOUT=60
IFS= read -r -d '' CASES <<'SCRIPT' || :
echo kept >/tmp/setup.log
for w in --help -x; do
    /mnt/cd/setup "$w" >/tmp/e2e.out 2>/tmp/e2e.err
    echo "$w $? $(head -n 1 /tmp/e2e.out)|$(head -n 1 /tmp/e2e.err)"
done
echo "$(cat /tmp/setup.log) $(ls /run/VarenInstall.lock 2>&1 | sed "s/^ls: //")"
base() {
    echo earlier >/tmp/setup.log; /mnt/cd/setup "$@" </dev/null >/tmp/e2e.out 2>&1; local status=$?
    printf "[%s]" "$@"
    echo " $status $(grep -c "^earlier" /tmp/setup.log) $(sed -n /tmp/e2e.out -e "s/^setup 3/version 3/p" \
        -e "s/^There isn.t enough space in \(.*\) to perform .*/\1/p" \
        -e "s/^ERROR: the path \(.*\) contains .*/refused \"\1\"/p" \
        -e "s/^ERROR: \(.*\) is not an option .*/option \1/p")"
}
for b in /opt /opt/Varen/ /opt/Varen/tvxx// /opt/tvxx-suite /opt/Varen-2026 /opt/Varen-2026/Varen/tvxx "" -v \
    "/opt;touch /tmp/e2e.pwned"; do base install "$b"; done
base ""
base -v
base /var/tmp/e2e-new -v
base /var/tmp/e2e-made
base "/var/tmp/e2e a"
base --medium /mnt/cd && base --medium /mnt/cd/setup && base --medium
ls -d /var/tmp/e2e* /tmp/e2e.pwned /tmp/VarenInstall 2>&1 | sed "s/^ls: //"
stat -c "lock %A %U %h" /run/VarenInstall.lock
mkdir -p /usr/Varen /opt/Varen-2026/Varen/tvxx && touch /opt/Varen-2026/Varen/tvxx/tvqadmin
ln -s /opt/Varen-2026/Varen/tvxx/ /usr/Varen/tvxx
base
ln -sfn "/opt/a b/Varen/tvxx" /usr/Varen/tvxx
base
L=$(printf "d%.0s" $(seq 245)) && mkdir -p "/opt/$L/Varen/tvxx" && touch "/opt/$L/Varen/tvxx/tvqadmin"
ln -sfn "/opt/$L/Varen/tvxx" /usr/Varen/tvxx && base | sed "s|$L|LONG|"
rm /usr/Varen/tvxx && sed -i "s/ 0 100 / 0 5000 /" /usr/bin/df
nobody() {
    rm /tmp/setup.log; setpriv --reuid=65534 --regid=65534 --clear-groups -- /mnt/cd/setup | sed "/^\.*$/d"
    echo "${PIPESTATUS[0]} $(stat -c "%a %U" /tmp/setup.log) [$(ls -A /usr/Varen)] $(grep -c "tar xvfp" /tmp/setup.log)"
}
nobody && rm /usr/bin/whoami && nobody
(sleep 0.3; exec /mnt/cd/setup) </dev/null 2>/dev/null | true
echo "pipe ${PIPESTATUS[0]} $(ls -d /tmp/VarenInstall 2>&1 | sed "s/^ls: //")"
/mnt/cd/setup </dev/null >/dev/null 2>&1; echo "root without whoami $?"
SCRIPT
run bases -c "$CASES"
expect_status 0
expect_eq "bases" "$OUT" '--help 0 Usage: setup [WORKDIR] [install BASE] [--medium DIR] [--allow-downgrade] [-v]|
-x 2 |ERROR: -x is not an option in this place; a directory whose name begins with "-" is written ./-x
kept cannot access '\''/run/VarenInstall.lock'\'': No such file or directory
[install][/opt] 1 0 /opt
[install][/opt/Varen/] 1 0 /opt
[install][/opt/Varen/tvxx//] 1 0 /opt
[install][/opt/tvxx-suite] 1 0 /opt/tvxx-suite
[install][/opt/Varen-2026] 1 0 /opt/Varen-2026
[install][/opt/Varen-2026/Varen/tvxx] 1 0 /opt/Varen-2026
[install][] 2 1 refused ""
[install][-v] 2 1 option -v
[install][/opt;touch /tmp/e2e.pwned] 2 1 refused "/opt;touch /tmp/e2e.pwned"
[] 2 1 refused ""
[-v] 0 1 version 3.01.67
[/var/tmp/e2e-new][-v] 0 1 version 3.01.67
[/var/tmp/e2e-made] 1 0 
[/var/tmp/e2e a] 2 1 refused "/var/tmp/e2e a"
[--medium][/mnt/cd] 1 0 /usr
[--medium][/mnt/cd/setup] 2 1 
[--medium] 2 1 option --medium
cannot access '\''/tmp/e2e.pwned'\'': No such file or directory
cannot access '\''/tmp/VarenInstall'\'': No such file or directory
/var/tmp/e2e-new
lock -rw------- root 1
[] 1 0 /opt/Varen-2026
[] 2 0 refused "/opt/a b"
[] 1 0 /opt/LONG
nobody is logged in
You must become root to run setup
1 644 nobody [] 0
User ID:  65534 is logged in
You must become root to run setup
1 644 nobody [] 0
pipe 141 cannot access '\''/tmp/VarenInstall'\'': No such file or directory
root without whoami 0
'
# A French installation into a new work-area directory named with the other allowed characters:
# made, used, removed; commands see the shortened LANG. An existing one, and a made one left holding
# a file, are kept. A descriptor 9 setup was started with is not passed on.
WORKDIR=/var/tmp/e2e.dir_1-2+3,4=5:6@7
fresh
SEED='mv /usr/bin/uncompress /usr/bin/uncompress.real && mkdir -p /var/tmp/e2e-keep && touch /var/tmp/e2e-keep/mine
printf "%s\n" "#!/bin/sh" "N=/var/tmp/e2e-new/theirs; ! [ -d /var/tmp/e2e-new ] || { touch \$N && chown 65534 \$N; }" \
    "exec /usr/bin/uncompress.real \"\$@\"" >/usr/bin/uncompress && chmod 755 /usr/bin/uncompress'
PROGRAM=/bin/bash
run workdirs -c "LANG=fr_FR.ISO8859-1 /mnt/cd/setup '$WORKDIR' 9>/var/tmp/e2e.nine && cp /tmp/setup.log /tmp/e2e.log1 &&
    mv /tmp/tvqadmin.calls /tmp/e2e.calls && /mnt/cd/setup /var/tmp/e2e-keep/ && cp /tmp/setup.log /tmp/e2e.log2 &&
    /mnt/cd/setup /var/tmp/e2e-new"
expect_status 0
expect_lacks "log of the second run" "$(file_text /tmp/e2e.log2)" "mkdir -p /var/tmp/e2e-keep"
expect_contains "log of the third run" "$LOG" "mkdir -p -m 755 /var/tmp/e2e-new"
expect_exists /var/tmp/e2e-keep/mine /var/tmp/e2e-new/theirs
expect_absent "$WORKDIR" $W /var/tmp/e2e-keep/VarenInstall /var/tmp/e2e-new/VarenInstall
LOG=$(file_text /tmp/e2e.log1)
expect_log "/usr/bin/mkdir -p -m 755 $WORKDIR;/usr/bin/cp -p /mnt/cd/disks $WORKDIR/VarenInstall;\
/usr/bin/cp -p /mnt/cd/Linuxi386Tvxx.tar.Z $WORKDIR/VarenInstall;/usr/bin/rm -rf  $WORKDIR/VarenInstall;\
/usr/bin/rm -rf  $WORKDIR"
expect_nodes $A/vsf f 4755
expect_eq "tvqadmin calls" "$(file_text /tmp/e2e.calls)" "tvqadmin -upgrade LANG=fr_FR cwd=/usr
tvqadmin -clean LANG=fr_FR cwd=/usr"
NOSPACE='ERROR: there is not enough free space for the installation; nothing was installed.'
NOSIZE='ERROR: the size file /mnt/cd' UNREAD=' is missing or cannot be read; nothing was installed.'
NODET='Could not determine how much space needed for install, missing isize.' WA=/tmp/VarenInstall
# NAME|SEED (bash)|LANG|WORDS OF THE MESSAGE|ITS ARGUMENTS (empty: it passes)|THE REFUSAL ON
# STANDARD ERROR. The work area is tested first; a probe of 17 or less means a full area.
while IFS='|' read -r name seed lang words args refusal; do
    fresh
    SEED=$(eval "$seed")
    [ -z "$lang" ] || ENVS=("LANG=$lang")
    run "$name"
    [ -n "$words" ] || { expect_status 0; expect_nodes $A/vsf f 4755; expect_dots_of_full_run; continue; }
    expect_status 1
    for w in "$words" $args; do expect_contains "standard output" "$OUT" "$w"; done
    expect_eq "standard error" "$ERR" "$(printf '%b' "$refusal")"$'\n'
    expect_eq "log" "$LOG" "${FIRST_LINE_ONLY}stopped with status 1, nothing was installed: $ERR"
    expect_absent $W /usr/Varen
done <<CASES
work_short|seed_df 539 100||The temporary work area should be at least|$WA 5.400000e+02|$NOSPACE
install_short|seed_df 540 1039||The install area should be at least|/usr 1.040000e+03|$NOSPACE
install_short_german|seed_df 540 1039|ge_GE|Der Installationsbereich sollte mindestens|/usr 1.040000e+03|\
FEHLER: nicht gen\374gend freier Platz f\374r die Installation; es wurde nichts installiert.
shared_short|seed_df 0 1579 shared||on the same partition as the install directory you have selected, \
/usr this install requires 1.580000e+03|$WA|$NOSPACE
probe_full|seed_df 5000 17||space in /usr to perform the installation activities. Free some space there||$NOSPACE
size_file_missing|echo rm /mnt/cd/isize||$NODET||$NOSIZE/isize$UNREAD
size_file_negative|echo "echo -1 >/mnt/cd/isize"||$NODET||$NOSIZE/isize$UNREAD
size_file_infinite|echo "echo inf >/mnt/cd/tsize"||$NODET||$NOSIZE/tsize$UNREAD
separate_exact|seed_df 540 1040|||
shared_exact|seed_df 0 1580 shared|||
CASES
finish
