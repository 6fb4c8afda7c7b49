#!/usr/bin/env bash
# shellcheck disable=SC2016 # a literal "$" in the sandbox's bash text
# Hosts a little less plain, where the next run must still finish: a first installation killed right
# after its link step twice, then run again; the entry at a link's place that is none of the
# suite's, and root's own link there left dangling by a move; an application directory that is a
# volume of its own (moved away: refused; empty: filled) or holds something else, a dangling link
# there; a move to a file system too small for it; a read-only work area; a failing command.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need mkfs.ext4
SRC=$SCRATCH_ROOT/rerun-src && cp -a -- "$FIXTURE_COPY" "$SRC" &&
    echo "newdir log mode 2775 group lp link /var/log/varen-tvxx" >>"$SRC/pkg/pkg.list"
MEDIUM=$(make_medium link)
L=/var/log/varen-tvxx
# A stand-in chmod (found before /usr/bin) that kills setup when it makes tvrtvxxtty set-user-id,
# the step after the link's, while /var/tmp/e2e.kill is there.
KILL_AFTER_LINK='printf "%s\n" "#!/bin/sh" "[ -e /var/tmp/e2e.kill ] && case \"\$*\" in *tvrtvxxtty) \
    kill -KILL \$(cat /var/tmp/e2e.pid) ;; esac" "exec /usr/bin/chmod \"\$@\"" >/usr/sbin/chmod
    chmod 755 /usr/sbin/chmod'
KEEP_LINK="cp -a --parents $L \$SANDBOX_OUT/root/"
# ---- a first installation killed right after its link step, its rerun killed there too, then run again
fresh
SEED=$KILL_AFTER_LINK PROGRAM=/bin/bash TIMEOUT=60 AFTER=$KEEP_LINK
IFS= read -r -d '' TWICE <<'SCRIPT' || :
once() {   # a command that outlived setup holds the run lock: it ends first
    setsid bash -c 'echo $$ >/var/tmp/e2e.pid; exec /mnt/cd/setup' </dev/null >/dev/null 2>&1 & wait $!; echo -n "$? "
    for _ in $(seq 100); do pgrep -s "$(cat /var/tmp/e2e.pid)" >/dev/null || break; sleep 0.05; done
}
touch /var/tmp/e2e.kill && once && once && rm /var/tmp/e2e.kill && once && grep -o "link .* already" /tmp/setup.log
/mnt/cd/setup </dev/null >/dev/null 2>&1; echo $?
SCRIPT
run link_killed_twice -c "$TWICE"
expect_eq "statuses" "$OUT" "137 137 0 link $L -> $A/log is there already
0
"
expect_link $L $A/log
expect_nodes $A/log d 2775 $A/vsf f 4755
expect_absent $A/log/log /usr/Varen/tvxx.first /tmp/VarenInstall
# ---- an entry at the link's place that is none of the suite's is left alone: a warning, status 3
fresh
SEED="mkdir -p $L && echo mine >$L/keep" AFTER=$KEEP_LINK
run link_foreign
expect_status 3
expect_contains "log" "$LOG" "WARNING: $L is left as it is: it is no link to $A/log"
expect_eq "what stands there" "$(ls -A "$R$L")" keep
expect_nodes $A/vsf f 4755
# ---- root's own link there that names the earlier installation's entry, dangling once that moved: replaced
fresh
SEED="$(seed_installation /opt)
mkdir -p ${L%/*} && ln -s /opt/Varen/tvxx/log $L" AFTER=$KEEP_LINK
run link_own_dangling install /var/tmp
expect_status 0
expect_link $L /var/tmp/Varen/tvxx/log
# ---- the application directory as a volume of its own (or a bind mount): a move is refused (and the
# leftover pending link of an earlier run undone), an empty volume takes a first installation and stays
# mounted
fresh
VOLUME='mkfs.ext4 -q -F /var/tmp/e2e.img 8M >/dev/null && mkdir -p /usr/Varen/tvxx &&
    mount -o loop /var/tmp/e2e.img /usr/Varen/tvxx'
PRE=$VOLUME PROGRAM=/bin/bash
run volume_first -c "/mnt/cd/setup </dev/null >/dev/null; echo \$? && findmnt -n -o TARGET $A"
expect_eq "status and mount" "$OUT" "0
$A
"
expect_exists $A/tvqadmin $A/lost+found /var/spool/Varen/tvxx/__tva_download__
PROGRAM=""
PRE="$VOLUME && /mnt/cd/setup </dev/null >/dev/null && mkdir -p /opt/Varen/tvxx && ln -s /opt/Varen/tvxx $A.link"
run volume_move install /opt
expect_status 1
expect_contains "standard error" "$ERR" "ERROR: $A is a mount point"
expect_contains "log" "$LOG" "found $A.link of an interrupted move: undone"
expect_absent $A.link
expect_exists $A/tvqadmin
# (a bind mount of a directory on the same file system: only the mount table tells)
PRE="mkdir -p /usr/local/e2e.vol $A && mount --bind /usr/local/e2e.vol $A && /mnt/cd/setup </dev/null >/dev/null"
run volume_bind install /opt
expect_status 1
expect_contains "standard error" "$ERR" "ERROR: $A is a mount point"
# ---- a move's link left behind, and at its place an empty directory that is no copy of it: undone, nothing lost
fresh
SEED="$(seed_installation /usr); mkdir -p /opt/Varen/tvxx.partial /opt/Varen/tvxx; ln -s /opt/Varen/tvxx $A.link"
run empty_target
expect_status 0
expect_contains "log" "$LOG" "found $A.link of an interrupted move: undone"
expect_eq "queue data" "$(file_text $A/queues/q1)" "queue data"
expect_absent $A.link /opt/Varen/tvxx.partial
# ---- a move's link left behind that names no application directory: undone, nothing named after its
# text removed
fresh
SEED="$(seed_installation /usr); mkdir -p /opt/e2e.other.partial && echo mine >/opt/e2e.other.partial/keep
ln -s /opt/e2e.other $A.link" AFTER='cp -a --parents /opt/e2e.other.partial "$SANDBOX_OUT/root/"'
run link_elsewhere
expect_status 0
expect_contains "log" "$LOG" "found $A.link of an interrupted move: undone"
expect_eq "what was there" "$(file_text /opt/e2e.other.partial/keep)" mine
expect_absent $A.link
# ---- a move's link left behind that leads to the fixed place itself: removed, the installation stays
fresh
SEED="$(seed_installation /usr); ln -s $A $A.link"
run link_to_itself
expect_status 0
expect_contains "log" "$LOG" "found $A.link of an interrupted move, leading to $A itself: removed"
expect_absent $A.link
expect_eq "queue data" "$(file_text $A/queues/q1)" "queue data"
# ---- a move's link left behind that leads to a complete copy: the move is finished, not begun again
fresh
SEED="$(seed_installation /usr); mkdir -p /opt/Varen && cp -a $A /opt/Varen/tvxx && ln -s /opt/Varen/tvxx $A.link"
run link_complete
expect_status 0
expect_contains "log" "$LOG" "found $A.link of an interrupted move, /opt/Varen/tvxx complete: the move is finished"
expect_eq "the fixed place" "$(readlink "$R$A")" /opt/Varen/tvxx
# ---- a directory without the suite, and a dangling link, at the fixed place: refused, nothing changed
for seed in "mkdir -p $A && touch $A/mine" "mkdir -p /usr/Varen && ln -s /opt/gone/Varen/tvxx $A"; do
    fresh
    SEED=$seed
    run "not_installation_${#seed}"
    expect_status 1
    case $seed in
    *mine) expect_contains "standard error" "$ERR" "ERROR: $A holds no installation" ;;
    *) expect_contains "standard error" "$ERR" "ERROR: $A is a link to /opt/gone/Varen/tvxx, which does not" ;;
    esac
    expect_absent /var/spool/Varen /usr/bin/tvadmin
    expect_unchanged var
done
# ---- a move to a tmpfs too small for the installation: refused by the space check; with a df that
# tells of room, the copy runs out of space, is removed at once and says so; the installation stays
# where it was
fresh
SEED="$(seed_installation /usr)
head -c 3M /dev/urandom >$A/queues/bulk"
PRE='mount -t tmpfs -o size=2m e2e-small /opt'
run small_opt install /opt
expect_status 1
expect_absent /opt/Varen $A.link
SEED+=$'\n'$(seed_df 1000000 1000000)
run full_opt install /opt
expect_status 1
expect_eq "standard error" "$ERR" "ERROR: no space left on the file system mounted at /opt, where /opt/Varen/tvxx \
was being copied: the partial copy was removed, the installation in /usr/Varen/tvxx is unchanged.
"
expect_absent /opt/Varen/tvxx.partial /opt/Varen/tvxx $A.link $A.old
expect_exists $A/queues/bulk $A/queues/q1
# A cp that does not say why it failed: the full file system is found all the same.
SEED+=$'\n''printf "%s\n" "#!/bin/sh" "/usr/bin/cp \"\$@\" 2>/dev/null || { echo cp: e2e >&2; exit 1; }" >/usr/sbin/cp
chmod 755 /usr/sbin/cp'
FULL=$ERR
run full_opt_quiet_cp install /opt
expect_status 1
expect_eq "standard error" "$ERR" "$FULL"
# ---- a move back to /usr measures /usr, not the file system the link at $A leads to
fresh
SEED="$(seed_installation /opt)"$'\n'$(cat <<'EOF'
cat >/usr/bin/df <<'DF'
#!/bin/sh
echo Filesystem 1K-blocks Used Available Use% Mounted on
case $(readlink -f "$1") in
/usr*) echo "/dev/usr 1000000 0 30 1% /usr" ;;
*) echo "/dev/root 1000000 0 1000000 1% /" ;;
esac
DF
chmod 755 /usr/bin/df
EOF
)
run usr_short install /usr
expect_status 1
expect_contains "standard output" "$OUT" "The install area should be at least"
expect_eq "standard error" "$ERR" "ERROR: there is not enough free space for the installation; nothing was installed.
"
expect_exists /opt/Varen/tvxx/queues/q1 $A
# ---- the medium's read-only directory as the work area; a command that fails shows its last words
fresh
PRE='mount -o remount,ro /mnt/cd'
run readonly_work /mnt/cd
expect_status 1
expect_eq "standard output" "$OUT" "ERROR: the work area /mnt/cd/VarenInstall is not this run's own directory: \
the file system is read-only; nothing is installed.
"
# ---- a work area that cannot be made for want of inodes: no reason is made up for it
fresh
PRE='mkdir -p /var/tmp/e2e.w && mount -t tmpfs -o nr_inodes=1 tmpfs /var/tmp/e2e.w'
run inodes_work /var/tmp/e2e.w
expect_status 1
expect_eq "standard output" "$OUT" "ERROR: the work area /var/tmp/e2e.w/VarenInstall is not this run's own directory \
(it could not be created anew, or it is not a directory of this user closed to others); nothing is installed.
"
fresh
SEED='printf "#!/bin/sh\necho \"tar: e2e \\001bro\\177ken\" >&2\nexit 2\n" >/usr/sbin/tar && chmod 755 /usr/sbin/tar'
run failing_tar
expect_status 1
expect_contains "standard error" "$ERR" '  tar: e2e \001bro\177ken'
finish
