#!/usr/bin/env bash
# Whole runs from odd install media built by scripts/make-medium: upper-case
# media, pieces named out of order, the end marker with a trailing blank and
# with lines after it, a list that does not name itself, lists with names
# that may not be used, a missing or damaged piece with and without the
# checksum file, a damaged archive, and a suite of 20 MB on a medium made
# with the defaults.
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
rm "$MEDIUM/sha256sums"
run marker_blank
expect_complete
expect_log_order "/usr/bin/cp -p /mnt/cd/pkg_tar.002 $W" "/usr/bin/cp -p /mnt/cd/extra.txt $W" \
    "/usr/bin/cp -p /mnt/cd/pkg_tar.009 $W" "/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"

# After an exact marker line nothing is read.
fresh
MEDIUM=$(make_medium exact --pieces 2)
printf 'extra.txt\n' >>"$MEDIUM/disks"
echo extra >"$MEDIUM/extra.txt"
rm "$MEDIUM/sha256sums"
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

# Lists of names that cannot be used stop the run before anything is
# copied: CASE|LIST (printf %b)|standard error. A tab separates like a blank.
long=$(printf '%0300d' 0)
while IFS='|' read -r name list err; do
    fresh
    MEDIUM=$(make_medium "list_$name" --pieces 2)
    printf '%b' "$list" >"$MEDIUM/disks"
    rm "$MEDIUM/sha256sums"
    run "list_$name"
    if [ -z "$err" ]; then
        expect_complete
        continue
    fi
    expect_status 1
    expect_eq "standard error" "$ERR" "ERROR: the list file /mnt/cd/disks $err
"
    expect_lacks "log" "$LOG" "cp -p"
done <<LISTS
tabs|disks\tpkg_tar.001\tpkg_tar.002\nend_of_list\n|
long|disks pkg_tar.001 $long\nend_of_list\n|names a file longer than 254 characters: ${long:0:254}
empty||names no file to copy
marker|end_of_list\n|names no file to copy
semicolon|disks pkg_tar.001;touch\${IFS}x pkg_tar.002\n|names pkg_tar.001;touch\${IFS}x, which is not a plain file name of its directory
dotdot|disks ../cd/pkg_tar.001\n|names ../cd/pkg_tar.001, which is not a plain file name of its directory
LISTS

# A piece missing from the medium or damaged on it: with the checksum file
# the run stops naming it before anything is copied (missing) or joined
# (damaged); without it the command that then fails is named.
for sums in with without; do
    for fault in missing damaged; do
        fresh
        MEDIUM=$(make_medium "${fault}_$sums" --pieces 2)
        if [ "$fault" = missing ]; then
            rm "$MEDIUM/pkg_tar.002"
        else
            printf 'XXXX' | dd of="$MEDIUM/pkg_tar.002" bs=1 seek=100 conv=notrunc status=none
        fi
        [ "$sums" = with ] || rm "$MEDIUM/sha256sums"
        run "${fault}_piece_${sums}_sums"
        expect_status 1
        expect_absent /usr/Varen
        if [ "$sums" = with ]; then
            expect_eq "standard error" "$ERR" "ERROR: pkg_tar.002 is missing or damaged: it does not match the checksum file /mnt/cd/sha256sums
"
            expect_lacks "log" "$(log_commands)" "uncompress"
        else
            expect_contains "standard error" "$ERR" "failed command: /usr/bin/sh -c \""
        fi
    done
done

fresh
MEDIUM=$(make_medium damaged --pieces 2 --damage)
run damaged_archive
expect_failed_command
expect_eq "last command" "$(log_commands | tail -n 1)" "/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"
expect_eq "standard error" "$ERR" "failed command: /usr/bin/sh -c \"/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z
"

# A medium that setup could not read (over 999 piece names) is not written.
"$MAKE_MEDIUM" --setup "$SETUP_BIN" --piece-size 1 "$FIXTURE_COPY" "$SCRATCH_ROOT/media/tiny" \
    2>/dev/null && fail "make-medium wrote a medium of more than 999 pieces"

# A suite of 20 MB of random bytes (a compressed archive of about 26 MB) on
# a medium made with make-medium's defaults: a few pieces, installed whole.
SRC=$SCRATCH_ROOT/big-src
cp -r -- "$FIXTURE_COPY" "$SRC"
head -c 20M /dev/urandom >"$SRC/pkg/big.bin"
echo "c big.bin" >>"$SRC/pkg/pkg.list"
fresh
MEDIUM=$(make_medium big)
run big_suite
expect_complete
expect_eq "standard error" "$ERR" ""
expect_eq "pieces" "$(cd "$MEDIUM" && echo pkg_tar.*)" "pkg_tar.001 pkg_tar.002 pkg_tar.003"
cmp -s "$SRC/pkg/big.bin" "$R/usr/Varen/tvxx/big.bin" || fail "big.bin is not installed byte for byte"

finish
