#!/usr/bin/env bash
# Whole runs about the command line and the language: the version, the
# installation bases (only whole trailing components are cut), words that
# look like options, paths the shell would interpret, a work-area directory
# that the installer creates and removes again or keeps, and LANG as later
# commands see it.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole)

# One sandbox run of many command lines; the install area is too small, so
# each run stops before any change, naming its base. Each line: the words,
# the status, the log's lines (a made work-area directory is logged), and the base, the refused path or the version.
fresh
MEDIUM=$(make_medium sized --whole --isize 1000 --tsize 500)
SEED=$(seed_df 5000 100)
PROGRAM=/bin/bash
# shellcheck disable=SC2016 # expanded inside the sandbox
CASES='
base() {
    /mnt/cd/setup "$@" </dev/null >/tmp/e2e.out 2>&1
    local status=$?
    printf "[%s]" "$@"
    echo " $status $(wc -l </tmp/setup.log) $(sed -n -e "s/^There isn.t enough space in \(.*\) to perform .*/\1/p" \
        -e "s/^ERROR: the path \(.*\) contains .*/refused \"\1\"/p" -e "s/^\.*setup 3/version 3/p" /tmp/e2e.out)"
}
for b in /opt /opt/ /opt/Varen /opt/Varen/ /opt/Varen/tvxx /opt/Varen/tvxx// /opt/tvxx-suite \
    /opt/Varen-2026 /opt/Varen-2026/Varen/tvxx "" -v "/opt;touch /tmp/e2e.pwned"; do
    base install "$b"
done
base ""
base -v
base /var/tmp// -v
base /var/tmp/e2e-new -v
base "/var/tmp/e2e a"
ls -d /var/tmp/e2e* /tmp/e2e.pwned /tmp/VarenInstall 2>&1 | sed "s/^ls: //"
mkdir -p /usr/Varen && ln -s /opt/Varen-2026/Varen/tvxx/ /usr/Varen/tvxx
base
'
run bases -c "$CASES"
expect_status 0
expect_eq "bases" "$OUT" '[install][/opt] 0 1 /opt
[install][/opt/] 0 1 /opt
[install][/opt/Varen] 0 1 /opt
[install][/opt/Varen/] 0 1 /opt
[install][/opt/Varen/tvxx] 0 1 /opt
[install][/opt/Varen/tvxx//] 0 1 /opt
[install][/opt/tvxx-suite] 0 1 /opt/tvxx-suite
[install][/opt/Varen-2026] 0 1 /opt/Varen-2026
[install][/opt/Varen-2026/Varen/tvxx] 0 1 /opt/Varen-2026
[install][] 2 1 refused ""
[install][-v] 0 1 /-v
[install][/opt;touch /tmp/e2e.pwned] 2 1 refused "/opt;touch /tmp/e2e.pwned"
[] 2 1 refused ""
[-v] 0 1 version 3.01.67
[/var/tmp//][-v] 0 1 version 3.01.67
[/var/tmp/e2e-new][-v] 0 2 version 3.01.67
[/var/tmp/e2e a] 2 1 refused "/var/tmp/e2e a"
cannot access '\''/tmp/e2e.pwned'\'': No such file or directory
cannot access '\''/tmp/VarenInstall'\'': No such file or directory
/var/tmp/e2e-new
[] 0 1 /opt/Varen-2026
'

# A French installation into a work-area directory that did not exist, its
# name made of the other allowed characters: it is created, used, removed
# again, and every command sees the shortened LANG (the clean-up runs in
# /usr). A work-area directory that exists already is kept.
MEDIUM=$SCRATCH_ROOT/media/whole
WORKDIR=/var/tmp/e2e.dir_1-2+3,4=5:6@7
fresh
ENVS=(LANG=fr_FR.ISO8859-1)
run french_workdir "$WORKDIR"
expect_status 0
expect_log_order "/usr/bin/mkdir -p $WORKDIR" "/usr/bin/cp -p /mnt/cd/disks $WORKDIR/VarenInstall" \
    "/usr/bin/cp -p /mnt/cd/Linuxi386Tvxx.tar.Z $WORKDIR/VarenInstall" "/usr/bin/rm -rf  $WORKDIR/VarenInstall"
expect_absent "$WORKDIR" $W
expect_node $A/vsf f 4755
expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" \
    "tvqadmin -upgrade LANG=fr_FR cwd=/usr
tvqadmin -clean LANG=fr_FR cwd=/usr"

fresh
SEED="mkdir -p /var/tmp/e2e-keep && touch /var/tmp/e2e-keep/mine"
run existing_workdir /var/tmp/e2e-keep/
expect_status 0
expect_lacks "log" "$(log_commands)" "mkdir -p /var/tmp/e2e-keep"
expect_exists /var/tmp/e2e-keep/mine
expect_absent /var/tmp/e2e-keep/VarenInstall

finish
