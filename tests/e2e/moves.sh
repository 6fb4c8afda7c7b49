#!/usr/bin/env bash
# Whole runs that find an earlier installation and move it, or must not:
# /usr to /opt, /opt back to /usr, another spelling of the same place, an
# installation under /opt upgraded where it is (absolute and relative link),
# and a link whose target the shell would interpret.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

MEDIUM=$(make_medium whole --whole)

# The installation's own data survived and the upgrade ran in APP ($1).
expect_kept_and_upgraded() {
    expect_eq "queue data in $1" "$(file_text "$1/queues/q1")" "queue data"
    expect_node "$1/vsf" f 4755
    expect_contains "$1/VarenPrinttvxx" "$(file_text "$1/VarenPrinttvxx")" "ToolPath=\"$1\""
    expect_eq "tvqadmin calls" "$(file_text /tmp/tvqadmin.calls)" \
        "tvqadmin -upgrade LANG=unset cwd=/
tvqadmin -clean LANG=unset cwd=/"
}

fresh
SEED=$(seed_installation /usr)
run usr_to_opt install /opt
expect_status 0
# /usr and /opt are separate file systems in the sandbox: the copy is made
# under a staging name, the link committed, the old copy removed last.
expect_log_order \
    "/usr/bin/rm -rf  /opt/Varen/tvxx" \
    "/usr/bin/mkdir -p /opt/Varen" \
    "/usr/bin/chmod  755 /opt/Varen" \
    "/usr/bin/ln  -s /opt/Varen/tvxx /usr/Varen/tvxx.link" \
    "/usr/bin/cp -pr /usr/Varen/tvxx /opt/Varen/tvxx.partial" \
    "/usr/bin/mv -f -T /opt/Varen/tvxx.partial /opt/Varen/tvxx" \
    "/usr/bin/mv -f -T /usr/Varen/tvxx /usr/Varen/tvxx.old" \
    "/usr/bin/mv -f -T /usr/Varen/tvxx.link /usr/Varen/tvxx" \
    "/usr/bin/rm -rf  /usr/Varen/tvxx.old" \
    "/usr/bin/cp -p /mnt/cd/disks /tmp/VarenInstall"
expect_link /usr/Varen/tvxx /opt/Varen/tvxx
expect_node /opt/Varen d 755
expect_node /opt/Varen/tvxx d 755
expect_kept_and_upgraded /opt/Varen/tvxx

fresh
SEED=$(seed_installation /opt)
run opt_to_usr install /usr
expect_status 0
expect_log_order \
    "/usr/bin/chmod  755 /usr/Varen" \
    "/usr/bin/cp -pr /opt/Varen/tvxx /usr/Varen/tvxx.partial" \
    "/usr/bin/mv -f -T /usr/Varen/tvxx /usr/Varen/tvxx.old" \
    "/usr/bin/mv -f -T /usr/Varen/tvxx.partial /usr/Varen/tvxx" \
    "/usr/bin/rm -rf  /opt/Varen/tvxx" \
    "/usr/bin/rm -f /usr/Varen/tvxx.old"
expect_lacks "log" "$(log_commands)" "ln  -s"
expect_node /usr/Varen/tvxx d 755
expect_eq "left in /usr/Varen" "$(ls -A "$R/usr/Varen")" tvxx
expect_absent /opt/Varen/tvxx
expect_kept_and_upgraded /usr/Varen/tvxx

# Within one file system the move is a single rename, then the commit.
fresh
SEED=$(seed_installation /opt/a)
# shellcheck disable=SC2016 # expanded inside the sandbox
AFTER='cp -a --parents /opt/a /opt/b "$SANDBOX_OUT/root/"'
run one_file_system install /opt/b
expect_status 0
expect_log_order "/usr/bin/ln  -s /opt/b/Varen/tvxx /usr/Varen/tvxx.link" \
    "/usr/bin/mv -f -T /opt/a/Varen/tvxx /opt/b/Varen/tvxx" \
    "/usr/bin/mv -f -T /usr/Varen/tvxx.link /usr/Varen/tvxx"
expect_lacks "log" "$(log_commands)" "cp -pr /opt/a"
expect_link /usr/Varen/tvxx /opt/b/Varen/tvxx
expect_absent /opt/a/Varen/tvxx
expect_kept_and_upgraded /opt/b/Varen/tvxx

# install /usr/. names the place the installation is in: nothing is removed
# or moved, the upgrade runs in place.
fresh
SEED=$(seed_installation /usr)
run same_place install /usr/.
expect_status 0
expect_lacks "log" "$(log_commands)" "mv -f"
expect_lacks "log" "$(log_commands)" "rm -rf  /usr/./Varen/tvxx"
expect_node /usr/Varen/tvxx d 755
expect_eq "queue data" "$(file_text /usr/Varen/tvxx/queues/q1)" "queue data"
expect_node /usr/Varen/tvxx/vsf f 4755
expect_exists /tmp/tvqadmin.calls

# The link at the fixed place leads to /opt and no base is given: the
# installation stays under /opt and the link stays. On a CUPS host its
# group-writable directories become 755.
fresh
SEED="$SPOOLER_CUPS
$(seed_installation /opt)
chmod 775 /opt/Varen/tvxx /usr/Varen"
run upgrade_opt
expect_status 0
expect_lacks "log" "$(log_commands)" "mv -f"
expect_link /usr/Varen/tvxx /opt/Varen/tvxx
expect_node /opt/Varen/tvxx d 755
expect_node /usr/Varen d 755
expect_kept_and_upgraded /opt/Varen/tvxx

# A relative link target is taken relative to /usr: the base is
# /usr/../../opt, the same as the target, so nothing moves.
fresh
SEED="$(seed_installation /opt)
rm /usr/Varen/tvxx && ln -s ../../opt/Varen/tvxx /usr/Varen/tvxx"
run relative_link
expect_status 0
expect_lacks "log" "$(log_commands)" "mv -f"
expect_link /usr/Varen/tvxx ../../opt/Varen/tvxx
expect_eq "queue data" "$(file_text /opt/Varen/tvxx/queues/q1)" "queue data"
expect_node /opt/Varen/tvxx/vsf f 4755

# A link whose target the shell would interpret is refused before any
# command runs.
fresh
SEED="mkdir -p '/opt/a b/Varen/tvxx' /usr/Varen && ln -s '/opt/a b/Varen/tvxx' /usr/Varen/tvxx"
run unsafe_link
expect_status 2
# shellcheck disable=SC2059 # the message text is the format
expect_eq "standard output" "$OUT" "$(printf "$MSG1" "/opt/a b")
"
expect_eq "log" "$LOG" "initializing system
"
expect_link /usr/Varen/tvxx "/opt/a b/Varen/tvxx"

finish
