#!/usr/bin/env bash
# Whole runs about the command line and the language: the version, words that
# look like options, paths the shell would interpret, a work-area directory
# that the installer creates and removes again, and LANG as later commands
# see it.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole)
FIRST_LINE_ONLY="initializing system
"

# "-v": the version on standard error and nothing else.
fresh
run version -v
expect_status 0
expect_eq "standard error" "$ERR" "setup 3.01.67
"
expect_eq "standard output" "$OUT" ""
expect_eq "log" "$LOG" "$FIRST_LINE_ONLY"

# A work-area directory before "-v" takes effect first.
fresh
run workdir_then_version /var/tmp/e2e-new -v
expect_status 0
expect_eq "standard error" "$ERR" "setup 3.01.67
"
expect_node /var/tmp/e2e-new d 755
expect_log_order "/usr/bin/mkdir -p /var/tmp/e2e-new"

# "install -v": "-v" is the installation base, no version is printed, and
# the run goes on with that base (relative, or made absolute from /).
fresh
run install_v install -v
expect_lacks "standard error" "$ERR" "3.01.67"
expect_log_order "/usr/bin/cp -p /mnt/cd/disks /tmp/VarenInstall"
log_commands | grep -q -E '^/usr/bin/mkdir -p /?-v/Varen/tvxx$' ||
    fail "the installation did not go on with the base -v"

# Paths that the shell would interpret are refused before any command runs.
fresh
run unsafe_workdir "/var/tmp/e2e a"
expect_status 2
# shellcheck disable=SC2059 # the message text is the format
expect_eq "standard output" "$OUT" "$(printf "$MSG1" "/var/tmp/e2e a")
"
expect_eq "log" "$LOG" "$FIRST_LINE_ONLY"
expect_absent /var/tmp/e2e
expect_absent /tmp/VarenInstall

fresh
run unsafe_base install '/opt;touch /tmp/e2e.pwned'
expect_status 2
# shellcheck disable=SC2059
expect_eq "standard output" "$OUT" "$(printf "$MSG1" "/opt;touch /tmp/e2e.pwned")
"
expect_eq "log" "$LOG" "$FIRST_LINE_ONLY"
expect_absent /tmp/e2e.pwned

# A French installation into a work-area directory that did not exist, its
# name made of every other character that is allowed: the installer creates
# it, installs, removes it again (it is empty then), and every command it
# starts sees the shortened LANG (the clean-up runs in /usr after the second
# removal).
WORKDIR=/var/tmp/e2e.dir_1-2+3,4=5:6@7
fresh
ENVS=(LANG=fr_FR.ISO8859-1)
run french_workdir "$WORKDIR"
expect_status 0
expect_log_order "/usr/bin/mkdir -p $WORKDIR" "/usr/bin/cp -p /mnt/cd/disks $WORKDIR/VarenInstall" \
    "/usr/bin/cp -p /mnt/cd/Linuxi386Tvxx.tar.Z $WORKDIR/VarenInstall" \
    "/usr/bin/rm -rf  $WORKDIR/VarenInstall"
expect_absent "$WORKDIR"
expect_absent /tmp/VarenInstall
expect_node /usr/Varen/tvxx/vsf f 4755
expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" \
    "tvqadmin -upgrade LANG=fr_FR cwd=/usr
tvqadmin -clean LANG=fr_FR cwd=/usr"

# A work-area directory that exists already is kept.
fresh
SEED="mkdir -p /var/tmp/e2e-keep && touch /var/tmp/e2e-keep/mine"
run existing_workdir /var/tmp/e2e-keep/
expect_status 0
expect_lacks "log" "$(log_commands)" "mkdir -p /var/tmp/e2e-keep"
expect_exists /var/tmp/e2e-keep/mine
expect_absent /var/tmp/e2e-keep/VarenInstall

finish
