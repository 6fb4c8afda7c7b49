#!/usr/bin/env bash
# Whole runs from odd media and a 20 MB suite, whose status and last lines tell the truth: failed steps
# (status 3, a summary), a failed command that stops the run, package-list lines skipped whole.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
# NAME|MAKE-MEDIUM OPTIONS|BASH RUN IN THE MEDIUM|STATUS|STANDARD ERROR (%b; "~TEXT": holds
# TEXT)|LOG (expect_log). A marker with a trailing blank ends the join, not the copy (upper-cased
# names after it too); after an exact one nothing is read. With the checksum file a bad piece, or
# one it has no line for, stops the run before any copy; without it the failed command is named.
long=$(printf '%0300d' 0)
LE='ERROR: the list file /mnt/cd/disks'
SUMS='is missing or damaged: it does not match the checksum file /mnt/cd/sha256sums\n'
DAMAGE='dd if=/dev/zero of=pkg_tar.001 bs=1 count=2 conv=notrunc status=none' # after the checksums were written
CP="/usr/bin/cp -p /mnt/cd" UNC="/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"
PLAIN="which is not a plain file name of its directory"
while IFS='|' read -r name opts tweak status err order; do
    fresh
    # shellcheck disable=SC2086 # the options are words
    MEDIUM=$(make_medium "$name" $opts)
    (cd "$MEDIUM" && eval "$tweak") || fail "$name: the medium could not be made odd"
    run "$name"
    expect_status "$status"
    if [ "$status" = 0 ]; then expect_nodes $A/vsf f 4755; expect_exists /tmp/tvqadmin.calls; expect_absent $W
        expect_eq "edited tvxx.cfg" "$(file_text $A/tvxx.cfg)" "level=3.01.67"
    else expect_absent /usr/Varen /tmp/tvqadmin.calls $W; fi
    want=$(printf '%b' "$err"; printf x)
    case $err in "~"*) expect_contains "standard error" "$ERR" "${err#"~"}" ;;
    *) expect_eq "standard error" "$ERR" "${want%x}" ;; esac
    expect_log "$order"
done <<CASES
upper_case|--upper --pieces 2||0||$CP/DISKS $W;$CP/PKG_TAR.001 $W;$CP/PKG_TAR.002 $W;$UNC
out_of_order|--pieces 3 --order 3,1,2||0||$CP/pkg_tar.003 $W;$CP/pkg_tar.001 $W;$CP/pkg_tar.002 $W
marker_blank|--pieces 2 --marker-blank|head -c 300 /dev/urandom >pkg_tar.009; echo extra.txt pkg_tar.009 >>disks; \
echo x >extra.txt; rm sha256sums|0||$CP/pkg_tar.002 $W;$CP/extra.txt $W;$CP/pkg_tar.009 $W;$UNC
marker_exact|--pieces 2|echo extra.txt >>disks; echo x >extra.txt; rm sha256sums|0||!extra.txt
upper_blank|--upper --pieces 2 --marker-blank|echo extra_z.txt >>DISKS; echo x >EXTRA_Z.TXT; rm SHA256SUMS|0||\
$CP/EXTRA_Z.TXT $W
no_self|--pieces 2 --no-self||1|ERROR: can't open file, VarenInstall/disks\n|$CP/pkg_tar.001 $W;$CP/pkg_tar.002 $W;\
!uncompress
list_separators|--pieces 2|printf '%b' 'disks\tpkg_tar.001\r\n\npkg_tar.002\nend_of_list\n' >disks; rm sha256sums|0||
list_long|--pieces 2|printf '%b' 'disks pkg_tar.001 $long\nend_of_list\n' >disks; rm sha256sums|1|\
$LE names a file longer than 254 characters: ${long:0:40}...\n|!cp -p
list_empty|--pieces 2|: >disks; rm sha256sums|1|$LE names no file to copy\n|!cp -p
list_marker|--pieces 2|echo end_of_list >disks; rm sha256sums|1|$LE names no file to copy\n|!cp -p
list_letters|--pieces 2|printf 'disks pkg_tar.001 pkg_tar.002\na b c\n' >disks; echo >a; echo >b; echo >c; \
rm sha256sums|0||$CP/a $W;$CP/b $W;$CP/c $W
list_letters_semicolon|--pieces 2|printf 'a b ;' >disks; echo >a; echo >b; rm sha256sums|1|$LE names ;, $PLAIN\n|\
!cp -p
list_dotdot|--pieces 2|echo disks ../cd/pkg_tar.001 >disks; rm sha256sums|1|$LE names ../cd/pkg_tar.001, $PLAIN\n|\
!cp -p
missing_with_sums|--pieces 2|rm pkg_tar.002|1|ERROR: pkg_tar.002 $SUMS|!cp -p
damaged_with_sums|--pieces 2|$DAMAGE|1|ERROR: pkg_tar.001 $SUMS|!uncompress
sums_without_line|--pieces 2|$DAMAGE; sed -i /pkg_tar.001/d sha256sums|1|\
ERROR: pkg_tar.001 has no line in the checksum file /mnt/cd/sha256sums, so it cannot be checked\n|!cp -p /mnt/cd/pkg
sums_one_line|--pieces 2|sed -i 1q sha256sums|1|~has no line in the checksum file /mnt/cd/sha256sums|!cp -p /mnt/cd/pkg
missing_without_sums|--pieces 2|rm pkg_tar.002 sha256sums|1|~failed command: /usr/bin/sh -c "|
damaged_without_sums|--pieces 2 --damage|rm sha256sums|1|~failed command: /usr/bin/sh -c "|
damaged_archive|--pieces 2 --damage||1|failed command: /usr/bin/sh -c "$UNC\n\
  gzip: $W/Linuxi386Tvxx.tar.Z: not in gzip format\n|$UNC
CASES
expect_eq "last command" "$(log_commands | tail -n 1)" "/usr/bin/uncompress  $W/Linuxi386Tvxx.tar.Z"
expect_contains "output" "$OUT" "ERROR: "
# A medium at / and the work area in / (setup /), in a chroot: a damaged piece is named against
# /sha256sums, then it installs.
fresh
MEDIUM=$(make_medium top --pieces 2) PROGRAM=/bin/bash
PRE="mkdir /mnt/root && cp -a /mnt/cd/. /mnt/root && cd /mnt/root && ln -s usr/bin bin && ln -s usr/lib lib &&
    ln -s usr/lib64 lib64 && for t in usr etc var opt tmp run dev proc; do mkdir \$t && mount --rbind /\$t \$t; done"
run top_level -c "cp pkg_tar.001 /tmp/e2e.p && $DAMAGE && chroot . /setup / 2>/tmp/e2e.err
    cp /tmp/e2e.p pkg_tar.001 && mkdir -m 777 u && chroot . env -C /u /setup /" # from a directory open to all
expect_eq "status; the damaged run's error" "$STATUS; $(file_text /tmp/e2e.err)" \
    "0; ERROR: pkg_tar.001 $(printf '%b' "${SUMS/\/mnt\/cd/}")"
expect_log "/usr/bin/cp -p /disks /VarenInstall;/usr/bin/sha256sum -c --strict --quiet /VarenInstall/sha256sums;\
/usr/bin/tar xvfp /VarenInstall/Linuxi386Tvxx.tar;/usr/bin/rm -rf  /VarenInstall"
# A medium that setup could not read (over 999 piece names) is not written.
"$MAKE_MEDIUM" --setup "$SETUP_BIN" --piece-size 1 "$FIXTURE_COPY" "$SCRATCH_ROOT/media/tiny" \
    2>/dev/null && fail "make-medium wrote a medium of more than 999 pieces"
expect_eq "conflicting options" "$("$MAKE_MEDIUM" --setup "$SETUP_BIN" --pieces 2 --piece-size 9 "$FIXTURE_COPY" \
    "$SCRATCH_ROOT/media/both" 2>&1)" "make-medium: --pieces and --piece-size exclude each other: give one"
R="" expect_absent "$SCRATCH_ROOT"/media/{tiny,both} "$TMPDIR"/make-medium.*
LIST=$W/pkg/pkg.list
SH='/usr/bin/sh -c "'
SEE_LOG="Every failure is in the log /tmp/setup.log."
# src NAME BASH: a copy of the fixture, changed by BASH run in its folder.
src() {
    SRC=$SCRATCH_ROOT/src/$1 && mkdir -p -- "$SRC" && cp -r -- "$FIXTURE_COPY/." "$SRC" && (cd "$SRC" && eval "$2")
}
# ---- a full install base: the copies that find no room are counted
fresh
src full 'head -c 400K /dev/urandom >pkg/lib/blob'
MEDIUM=$(make_medium full --isize 0)
PRE='mount -t tmpfs -o size=256k e2e-full /opt'
run full_base install /opt
expect_status 3
expect_eq "standard error" "$ERR" "2 step(s) of the installation failed; the first of them, as logged:
  ${SH}/usr/bin/cp -pr $W/pkg/lib /opt/Varen/tvxx
  ${SH}/usr/bin/cp -p $W/pkg/tvxx.cfg /opt/Varen/tvxx
$SEE_LOG
"
expect_eq "warnings in the log" "$(grep -c '^WARNING_MSG: exit status 1$' <<<"$LOG")" 2
# ---- an upgrade under /opt with /usr read-only: the wrapper is not written; tvqadmin fails, logged
fresh
SEED=$(seed_installation /opt)$'\n'"touch /tmp/e2e.tvqadmin-fails"
PRE='mount -o remount,ro /usr'
run readonly_usr
expect_status 3
expect_eq "standard error" "$ERR" "ERROR: can't open file, /usr/bin/tvadmin
3 step(s) of the installation failed; the first of them, as logged:
  couldn't write /usr/bin/tvadmin
  /opt/Varen/tvxx/tvqadmin -upgrade
  /opt/Varen/tvxx/tvqadmin -clean
$SEE_LOG
"
expect_contains "log" "$LOG" "WARNING: couldn't write /usr/bin/tvadmin"
expect_contains "log" "$LOG" "/opt/Varen/tvxx/tvqadmin -clean
tvqadmin -clean failed
WARNING_MSG: exit status 4"
expect_eq "installed" "$(file_text /opt/Varen/tvxx/tvxx.cfg)" "level=3.01.67"
# ---- a tar that cannot run: the stop names it
fresh
MEDIUM=$(make_medium plain)
SEED='chmod 000 /usr/bin/tar'
run hidden_tar
expect_status 1
expect_eq "end of standard output" "${OUT##*.}" "ERROR: exit status 126
"
expect_eq "standard error" "$ERR" "failed command: ${SH}/usr/bin/tar xvfp $W/Linuxi386Tvxx.tar
  /usr/bin/sh: 1: /usr/bin/tar: Permission denied
"
expect_absent /usr/Varen
# ---- 20 MB of random bytes in a few pieces, installed whole. Skipped whole: a comment longer than
# the line limit, a NUL byte, a command substitution in a mode, a name that climbs out; later lines
# are carried out.
fresh
src big "head -c 20M /dev/urandom >pkg/big.bin
  { printf '# %0508d t e2e.tail mode 644 %090d\n' 0 0
  printf 't e2e.nul\0 mode 600\n'
  printf 't e2e.mode mode \$(touch\${IFS}/etc/e2e.pwned)\n'
  printf 't ../../../../etc/e2e.dotdot\n'
  printf 'c big.bin bat ../../etc/e2e.bat\n'
  cat pkg/pkg.list; echo c big.bin; } >pkg/new.list && mv pkg/new.list pkg/pkg.list"
MEDIUM=$(make_medium big)
run big_bad_list
expect_status 3
expect_eq "standard error" "$ERR" "5 step(s) of the installation failed; the first of them, as logged:
  package list $LIST line 1 skipped, longer than the line limit
  package list $LIST line 2 skipped, holds a NUL byte
  package list $LIST line 3 skipped, word not allowed: \$(touch\${IFS}/etc/e2e.pwned)
$SEE_LOG
"
expect_contains "log" "$LOG" "WARNING: package list $LIST line 4 skipped, word not allowed: ../../../../etc/e2e.dotdot"
expect_contains "log" "$LOG" "WARNING: package list $LIST line 5 skipped, word not allowed: ../../etc/e2e.bat"
expect_absent /etc/e2e.pwned /etc/e2e.dotdot /etc/e2e.bat $A/e2e.tail $A/e2e.nul $A/e2e.mode
expect_eq "edited tvxx.cfg" "$(file_text $A/tvxx.cfg)" "level=3.01.67"
expect_unchanged etc
expect_eq "pieces" "$(cd "$MEDIUM" && echo pkg_tar.*)" "pkg_tar.001 pkg_tar.002 pkg_tar.003"
cmp -s "$SRC/pkg/big.bin" "$R$A/big.bin" || fail "big.bin is not installed byte for byte"
finish
