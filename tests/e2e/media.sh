#!/usr/bin/env bash
# Whole runs from odd install media built by scripts/make-medium: upper-case
# media, pieces named out of order, the end marker with a trailing blank and
# with lines after it, a list that does not name itself, a missing piece and
# a damaged archive.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"

W=/tmp/VarenInstall

# A complete installation happened.
expect_complete() {
    expect_status 0
    expect_node /usr/Varen/tvxx/vsf f 4755
    expect_eq "edited tvxx.cfg" "$(file_text /usr/Varen/tvxx/tvxx.cfg)" "level=3.01.67"
    expect_exists /tmp/tvqadmin.calls
    expect_absent $W
}

# The run ended with a failed command: status 1 and an ERROR line on
# standard output, nothing installed.
expect_failed_command() {
    expect_status 1
    expect_contains "standard output" "$OUT" "ERROR: "
    expect_contains "log" "$LOG" "ERROR: "
    expect_absent /usr/Varen
    expect_absent /tmp/tvqadmin.calls
}

# DISKS with lower-case names: read in upper case, pieces PKG_TAR.*.
fresh
MEDIUM=$(make_medium upper --upper --pieces 2)
run upper_case
expect_complete
expect_log_order "/usr/bin/cp -p /mnt/cd/DISKS $W" "/usr/bin/cp -p /mnt/cd/PKG_TAR.001 $W" \
    "/usr/bin/cp -p /mnt/cd/PKG_TAR.002 $W" "/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"

# The archive's parts are stored as pkg_tar.003, .001, .002 and listed so:
# only a join in list order gives the archive back.
fresh
MEDIUM=$(make_medium order --pieces 3 --order 3,1,2)
run out_of_order
expect_complete
expect_log_order "/usr/bin/cp -p /mnt/cd/pkg_tar.003 $W" "/usr/bin/cp -p /mnt/cd/pkg_tar.001 $W" \
    "/usr/bin/cp -p /mnt/cd/pkg_tar.002 $W"

# A marker line with a trailing blank ends the join but not the copy; a piece
# named after it is copied and not joined (joined, it would spoil the
# archive).
fresh
MEDIUM=$(make_medium blank --pieces 2 --marker-blank)
head -c 300 /dev/urandom >"$MEDIUM/pkg_tar.009"
printf 'extra.txt pkg_tar.009\n' >>"$MEDIUM/disks"
echo extra >"$MEDIUM/extra.txt"
run marker_blank
expect_complete
expect_log_order "/usr/bin/cp -p /mnt/cd/pkg_tar.002 $W" "/usr/bin/cp -p /mnt/cd/extra.txt $W" \
    "/usr/bin/cp -p /mnt/cd/pkg_tar.009 $W" "/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"

# After an exact marker line nothing is read.
fresh
MEDIUM=$(make_medium exact --pieces 2)
printf 'extra.txt\n' >>"$MEDIUM/disks"
echo extra >"$MEDIUM/extra.txt"
run marker_exact
expect_complete
expect_lacks "log" "$(log_commands)" "extra.txt"

# A list that does not name itself: every file is copied, then the joining
# step cannot read the list: message 21, status 1.
fresh
MEDIUM=$(make_medium noself --pieces 2 --no-self)
run no_self
expect_status 1
expect_eq "standard error" "$ERR" "ERROR: can't open file, VarenInstall/disks
"
expect_log_order "/usr/bin/cp -p /mnt/cd/pkg_tar.001 $W" "/usr/bin/cp -p /mnt/cd/pkg_tar.002 $W"
expect_lacks "log" "$(log_commands)" "uncompress"
expect_absent /usr/Varen

fresh
MEDIUM=$(make_medium missing --pieces 2 --omit-piece 2)
run missing_piece
expect_failed_command
expect_eq "last command" "$(log_commands | tail -n 1)" "/usr/bin/cp -p /mnt/cd/pkg_tar.002 $W"

fresh
MEDIUM=$(make_medium damaged --pieces 2 --damage)
run damaged_archive
expect_failed_command
expect_eq "last command" "$(log_commands | tail -n 1)" "/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"

finish
