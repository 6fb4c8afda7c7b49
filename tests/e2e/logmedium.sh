#!/usr/bin/env bash
# shellcheck disable=SC2016 # literal "$" in texts for the sandbox
# Whole runs against what a user may leave at the log's path (cleared by moving it aside, or no log
# and status 3) and against install media whose files are no regular files of their own directory.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
# ---- a directory 301 levels deep, a FIFO and a link at the log's path, each a user's: moved aside
# to /tmp/setup.log.aside.1, untouched; the log is the run's own and holds the whole run.
MEDIUM=$(make_medium whole --whole) PROGRAM=/bin/bash TIMEOUT=90
SEED='echo original >/etc/e2e.victim'
IFS= read -r -d '' OBSTACLES <<'SCRIPT' || :
deep=/tmp/setup.log && for _ in $(seq 301); do deep=$deep/d; done
for kind in deep fifo link; do
    rm -rf /usr/Varen /var/spool/Varen /tmp/VarenInstall /tmp/setup.log*
    case $kind in deep) set -- mkdir -p "$deep" ;; fifo) set -- mkfifo /tmp/setup.log ;;
        link) set -- ln -s /etc/e2e.victim /tmp/setup.log ;; esac
    setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
    /mnt/cd/setup </dev/null >/tmp/e2e.out 2>&1; status=$?
    lines=$(grep -c '^/usr/bin/sh -c "' /tmp/setup.log) dots=$(tr -cd . </tmp/e2e.out | wc -c)
    echo "$kind: $status $(stat -c '%U %a %F' /tmp/setup.log), $(sed -n 2p /tmp/setup.log)"
    echo "  $(stat -c '%U %F' /tmp/setup.log.aside.1) $(find /tmp/setup.log.aside.1 -mindepth 301 | wc -l)," \
        "$((dots - lines)) $(tail -n 1 /tmp/setup.log) $(ls /usr/Varen/tvxx/vsf) $(ls -d /tmp/setup.log.* | wc -l)"
done
rm -rf /usr/Varen /var/spool/Varen /tmp/VarenInstall /tmp/setup.log*
strace -f -o /dev/null -P /tmp/setup.log -e trace=openat -e inject=openat:error=EEXIST:when=1 /mnt/cd/setup \
    </dev/null >/dev/null 2>&1
echo "made first meanwhile: $? $(stat -c '%U %a' /tmp/setup.log)"
echo "victim: $(cat /etc/e2e.victim)"
SCRIPT
run obstacles -c "$OBSTACLES"
expect_status 0
MOVED="found at /tmp/setup.log was moved aside to /tmp/setup.log.aside.1"
LAST="write /var/lib/varen-tvxx/installed 0644 root:root $A/vsf 1"
expect_eq "the obstacles" "$OUT" "deep: 0 root 644 regular file, a directory $MOVED
  nobody directory 1, 2 $LAST
fifo: 0 root 644 regular file, a FIFO $MOVED
  nobody fifo 0, 2 $LAST
link: 0 root 644 regular file, a symbolic link $MOVED
  nobody symbolic link 0, 2 $LAST
made first meanwhile: 0 root 644
victim: original
"
# ---- no log can be made (a mount point at the path, a full or read-only /tmp): one ERROR line, the
# run goes on and installs, and its status 3 and last line say that the log does not hold it.
IFS= read -r -d '' NOLOG <<'SCRIPT' || :
for kind in mount full readonly small filled; do
    rm -rf /usr/Varen /var/spool/Varen /var/tmp/VarenInstall
    case $kind in mount) touch /tmp/setup.log && mount --bind /etc/e2e.victim /tmp/setup.log ;;
        full) mount -t tmpfs -o size=64k e2e /tmp && dd if=/dev/zero of=/tmp/fill bs=4k 2>/dev/null ;;
        readonly) mount -t tmpfs -o ro e2e /tmp ;; small) mount -t tmpfs -o size=32k e2e /tmp ;;
        filled) mount -t tmpfs -o size=1m e2e /tmp && mv /usr/bin/tar /usr/bin/e2e.tar && printf '%s\n' '#!/bin/sh' \
            'dd if=/dev/zero of=/tmp/fill bs=4k 2>/dev/null; exec /usr/bin/e2e.tar "$@"' >/usr/bin/tar &&
            chmod 755 /usr/bin/tar ;; esac
    /mnt/cd/setup /var/tmp </dev/null >/var/tmp/e2e.out 2>/var/tmp/e2e.err; status=$?
    echo "$kind: $status $(grep ERROR /var/tmp/e2e.*) | $(tail -n 1 /var/tmp/e2e.err) | $(ls /usr/Varen/tvxx/vsf)" \
        "$(grep -sc -e '^pkg/pkg.list' -e 'rm -rf  /var/tmp/VarenInstall$' /tmp/setup.log)"
    umount /tmp/setup.log /tmp 2>/dev/null || :
done
SCRIPT
run no_log -c "$NOLOG"
expect_status 0
NOLOG="/var/tmp/e2e.err:ERROR: couldn't open /tmp/setup.log | The log /tmp/setup.log could not be made or written \
whole: this run is not fully recorded. | /usr/Varen/tvxx/vsf"
# A /tmp without room for what the next command may write into the log: status 3 too; one filled
# while tar runs: the room kept beforehand takes its output and the rest of the run, a whole log and
# status 0.
expect_eq "runs without a log" "$OUT" "mount: 3 $NOLOG 0
full: 3 $NOLOG 0
readonly: 3 $NOLOG 
small: 3  | ${NOLOG#*| } 2
filled: 0  |  | /usr/Varen/tvxx/vsf 2
"
# ---- media whose files are links to a root-only file, or no regular files: refused before they are
# read (status 1), the file and its kind named, nothing of the secret shown or logged. A refused
# word is quoted as a short escaped prefix.
MEDIUM=$(make_medium pieces --pieces 2)
NOT=", not a regular file of the medium's directory; nothing was read from it"
OUT_LINK="a symbolic link that leads out of the medium's directory$NOT"
# late 'SWAP': a user's swap after the checks, made by the sha256sum that checks the early copies
# (before the listed files are copied).
IFS= read -r -d '' LATE <<'SCRIPT' || :
late() { mv /usr/bin/sha256sum /usr/bin/e2e.sum && printf '#!/bin/sh\ncd /mnt/cd && %s
mv -f /usr/bin/e2e.sum /usr/bin/sha256sum; exec /usr/bin/sha256sum "$@"\n' "$1" >/usr/bin/sha256sum &&
chmod 755 /usr/bin/sha256sum; }
SCRIPT
MAL="has a malformed line for /etc/e2e.secret: each line must be 64 hexadecimal digits, two blanks (or a blank \
and *) and the file's name, as sha256sum writes it"
while IFS='|' read -r name tweak err; do
    fresh
    SEED='printf "root:\$6\$e2eSECRET:19000:0:99999:7:::\n" >/etc/e2e.secret && chmod 600 /etc/e2e.secret'
    PRE="$LATE cd /mnt/cd && $tweak" run "$name"
    expect_status 1
    want=$(printf '%b' "ERROR: $err\n"; printf x) && expect_eq "standard error" "$ERR" "${want%x}"
    expect_lacks "output, error and log" "$OUT$ERR$LOG" "e2eSECRET"
    expect_absent /usr/Varen $W
done <<CASES
disks_link|ln -sf /etc/e2e.secret disks|/mnt/cd/disks is $OUT_LINK
sums_link|ln -sf /etc/e2e.secret sha256sums|/mnt/cd/sha256sums is $OUT_LINK
isize_link|ln -sf /etc/e2e.secret isize|/mnt/cd/isize is $OUT_LINK
setup_link|cp setup /opt/e2e.setup && ln -sf /opt/e2e.setup setup|/mnt/cd/setup is $OUT_LINK
tsize_fifo|rm tsize && mkfifo tsize|/mnt/cd/tsize is a FIFO$NOT
piece_directory|rm pkg_tar.002 && mkdir pkg_tar.002|/mnt/cd/pkg_tar.002 is a directory$NOT
piece_to_directory|rm pkg_tar.002 && ln -s /etc pkg_tar.002|/mnt/cd/pkg_tar.002 is a symbolic link to a directory$NOT
sig_dangling|ln -s e2e.gone sha256sums.sig|/mnt/cd/sha256sums.sig is a symbolic link that leads nowhere$NOT
late_link|late 'rm disks && ln -s /etc/e2e.secret disks'|sha256sums is missing or damaged: it does not match \
the checksum file /mnt/cd/sha256sums
late_fifo|late 'rm pkg_tar.001 && mkfifo pkg_tar.001'|/mnt/cd/pkg_tar.001 is a FIFO$NOT
sums_absolute|printf '%064d  /etc/e2e.secret\n' 0 >>sha256sums|the checksum file /mnt/cd/sha256sums $MAL
name_escaped|mkfifo "\$(printf 'p\351')" && printf 'p\351\nend_of_list\n' >disks|/mnt/cd/p\\\\351 is a FIFO$NOT
long_word|printf 'disks \\033[2J%0300d\\n' 0 >disks|the list file /mnt/cd/disks names a file longer than 254 \
characters: \\\\033[2J$(printf '%036d' 0)...
CASES
# A medium reached through a link (/mnt/cdrom -> cdrom0), its size file a link inside it: installs.
fresh
# Descriptors 3 to 9 left open by the caller: the commands' output still reaches the log.
PRE="cp -a /mnt/cd /mnt/cdrom0 && ln -s cdrom0 /mnt/cdrom && cd /mnt/cdrom0 && mv isize isize.real &&
    ln -s isize.real isize && exec 3>/dev/null 4>&3 5>&3 6>&3 7>&3 8>&3 9>&3"
PROGRAM=/mnt/cdrom/setup run link_directory
expect_status 0
expect_nodes $A/vsf f 4755
expect_log "/usr/bin/cp -p /mnt/cdrom/disks $W"
expect_contains "tar's listing in the log" "$LOG" "pkg/pkg.list"
finish
