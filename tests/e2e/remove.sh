#!/usr/bin/env bash
# shellcheck disable=SC2016 # a literal "$" in the sandbox's bash text
# setup --remove: with no record (5); while a suite program runs (4); after an upgrade with another
# package's file in /usr/bin, a foreign file in a recorded directory, a changed configuration file, a
# file changed at its size and a user's file in an open directory (kept, listed; --purge), root's trees
# there of 64 and 65 levels (the deeper one stays); after a move to /opt with a link
# planted in place of a recorded directory and a user's file and link in the 2775 log directory
# (never followed); a removal killed mid-way and finished by the next one; a move committed but not
# recorded (refused); an application directory on a mount of its own (read-only first); an
# installation over what an interrupted removal left.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need python3 setpriv
SRC=$SCRATCH_ROOT/remove-src && cp -a -- "$FIXTURE_COPY" "$SRC" &&
    printf '%s\n' "newdir log mode 2775 group lp link /var/log/varen-tvxx" "t e2e.t link /usr/Varen/tv" \
        >>"$SRC/pkg/pkg.list"
MEDIUM=$(make_medium logdir)
REC=/var/lib/varen-tvxx
KEEP="cp -a --parents $REC /etc/e2e.* /usr/bin/e2e.* /var/log/varen-tvxx \$SANDBOX_OUT/root/ 2>/dev/null || :"
# ---- no record, a move committed but not recorded, a running suite program, then the upgraded suite removed in
# three passes
fresh
PROGRAM=/bin/bash AFTER=$KEEP TIMEOUT=60
IFS= read -r -d '' UPGRADE <<'SCRIPT' || :
s() { "$@" </dev/null >>/var/tmp/e2e.out 2>&1; echo -n "$? "; cat /tmp/setup.log >>/var/tmp/e2e.log; }
s /mnt/cd/setup --remove && s /mnt/cd/setup && s /mnt/cd/setup
s setpriv --reuid=nobody --clear-groups /mnt/cd/setup --remove
mkdir -p /opt/Varen && cp -a /usr/Varen/tvxx /opt/Varen && mv /usr/Varen/tvxx /var/tmp/app
ln -s /opt/Varen/tvxx /usr/Varen/tvxx && s /mnt/cd/setup --remove
rm /usr/Varen/tvxx && mv /var/tmp/app /usr/Varen/tvxx && rm -r /opt/Varen
cp /bin/sleep /var/tmp/vsf && { /var/tmp/vsf 20 & } && s /mnt/cd/setup --remove --running=quit && kill $!
A=/usr/Varen/tvxx && echo other >/usr/bin/e2e.other && echo mine >$A/lib/e2e.foreign && echo x >>$A/tvxx.cfg
sed -i '1s/^#/@/' $A/tvrtvxxtty  # changed, its size kept
echo u >$A/queues/e2e.user && chown nobody $A/queues/e2e.user && : >$A/queues/e2e.root && P=/etc/cups/ppd
mkdir -p $A/queues/e2e.64/$(printf 'd/%.0s' {1..63}) $A/queues/e2e.65/$(printf 'd/%.0s' {1..64})  # levels
mkdir -p $P && echo "*cupsFilter: \"x 0 $A/VarenPrinttvxx\"" >$P/e2eq.ppd && cp $P/e2eq.ppd $P/e2eu.ppd
chown nobody $P/e2eu.ppd && ln -s e2eq.ppd $P/e2el.ppd
printf 'lp1|e2e:\\\n :if=%s:\nlp2:if=/bin/cat:\n' $A/VarenVSF >/etc/printcap
mkdir /var/spool/Varen/tvyy && echo job >/var/spool/Varen/tvyy/job1
s /mnt/cd/setup --remove && cp /var/lib/varen-tvxx/installed /etc/e2e.kept
find $A/queues -path '*/e2e.6*' -type d | wc -l >/etc/e2e.deep && rm -r $A/queues/e2e.65
s /mnt/cd/setup --remove --purge && rm $A/lib/e2e.foreign && mv /var/spool/Varen/tvyy /etc/e2e.tvyy
s /mnt/cd/setup --remove && s /mnt/cd/setup --remove
SCRIPT
run upgrade -c "$UPGRADE"
expect_eq "statuses" "$OUT" "5 0 0 1 1 4 0 0 0 5 "
OUT=$(cat "$R/var/tmp/e2e.out") LOG=$(cat "$R/var/tmp/e2e.log")
expect_contains "output" "$OUT" "no installation is recorded"
expect_contains "output" "$OUT" $'nobody is logged in\nYou must become root to run setup\n'
expect_contains "output" "$OUT" "The removal was stopped as answered; nothing was removed."
expect_contains "output" "$OUT" "the record describes the installation at /usr/Varen/tvxx, but /usr/Varen/tvxx \
now leads to /opt/Varen/tvxx: a move was interrupted"
expect_contains "log" "$LOG" "stopped with status 4, nothing was removed"
A=/usr/Varen/tvxx
for l in "$A/tvxx.cfg is kept: it changed" "$A/tvrtvxxtty is kept: it changed" \
    "$A/lib/e2e.foreign is kept: it is not the suite's" \
    "$A/queues/e2e.user is kept: it is not the suite's" "The suite is removed but for " "The suite is removed."; do
    expect_contains "output" "$OUT" "$l"; done
expect_contains "log" "$LOG" $'The suite is removed.\n'
expect_lacks "output" "$OUT" "e2e.root is kept"
# Root's trees in an open directory are emptied 64 levels deep: a tree of 65 stays whole.
expect_eq "directories left of the trees of 64 and 65 levels" "$(cat "$R/etc/e2e.deep")" 65
expect_contains "output" "$OUT" "/var/spool/Varen/tvyy is kept: it is not the suite's"
expect_exists /etc/e2e.tvyy/job1
Q="WARNING: the print queue"
expect_contains "output" "$OUT" "$Q e2eq (/etc/cups/ppd/e2eq.ppd) still uses VarenPrinttvxx;"
expect_contains "output" "$OUT" "$Q lp1 (/etc/printcap) still uses VarenVSF;"
expect_eq "queue warnings" "$(grep -c "$Q" <<<"$OUT")" 6
expect_contains "log" "$LOG" "$Q lp1 (/etc/printcap) still uses VarenVSF"$'\n'
expect_eq "kept entries" "$(grep -c $'^E\tkept' "$R/etc/e2e.kept")" 7
expect_contains "kept record" "$(cat "$R/etc/e2e.kept")" $'\nstate removing\n'
expect_absent /usr/Varen /var/spool/Varen /usr/bin/tvadmin $REC
expect_exists /usr/bin/e2e.other
# A link /usr/Varen/tv is no directory above the application directory: it goes before the tool.
expect_log "/usr/bin/rm -f /usr/Varen/tv;/usr/bin/rm -f $A/tvqadmin"
expect_log "/usr/bin/rm -f /usr/bin/tvadmin;/usr/bin/rm -f -d $A;/usr/bin/rm -f $REC/installed;/usr/bin/rm -f -d $REC"
# ---- moved to /opt: a link planted in place of a recorded directory, a user's file (never recorded) and link
# in the log directory; the removal killed mid-way (its 5th progress dot blocks on a full pipe), finished by a rerun
fresh
PROGRAM=/bin/bash AFTER=$KEEP TIMEOUT=60
IFS= read -r -d '' MOVED <<'SCRIPT' || :
s() { "$@" </dev/null >>/var/tmp/e2e.out 2>&1; echo -n "$? "; cat /tmp/setup.log >>/var/tmp/e2e.log; }
s /mnt/cd/setup && U=/usr/Varen/tvxx/log/e2e.user && echo u >$U && chown lp $U
s /mnt/cd/setup install /opt && A=/opt/Varen/tvxx && mkdir /etc/e2e.lib && grep -c "$A/log/e2e.user$" /var/lib/v*/inst*
cp -p $A/lib/forms.txt /etc/e2e.lib && rm -r $A/lib && ln -s /etc/e2e.lib $A/lib && echo s >/etc/e2e.secret
ln -s /etc/e2e.secret $A/log/e2e.link && chown -h lp $A/log/e2e.link && mkdir -p $A/log/e2e.d/d
touch $A/log/e2e.d/d/f && chown -R lp $A/log/e2e.d
python3 - <<'PY'
import fcntl, os, subprocess, termios, time
r, w = os.pipe()
fcntl.fcntl(w, 1031, 4096)  # F_SETPIPE_SZ: 4 more bytes fit
os.write(w, b"x" * 4092)
p = subprocess.Popen(["/mnt/cd/setup", "--remove"], stdout=w, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for _ in range(200):
    if fcntl.ioctl(r, termios.FIONREAD, b"    ") == (4096).to_bytes(4, "little"): break
    time.sleep(0.05)
time.sleep(0.2)
p.kill(); print(-p.wait(), end=" ", flush=True)
PY
grep -c '^state removing' /var/lib/varen-tvxx/installed >/etc/e2e.state && cp /tmp/setup.log /etc/e2e.killed
ls $A/tvqadmin >>/etc/e2e.state
s /mnt/cd/setup --remove && s /mnt/cd/setup --remove --purge && chmod o+w $A && s /mnt/cd/setup --remove
chmod o-w $A && chmod o+w /var/lib/varen-tvxx/installed && s /mnt/cd/setup --remove
SCRIPT
run moved -c "$MOVED"
expect_eq "statuses" "$OUT" "0 0 0
9 0 0 3 1 "
OUT=$(cat "$R/var/tmp/e2e.out") LOG=$(cat "$R/var/tmp/e2e.log")
expect_eq "killed mid-way" "$(cat "$R/etc/e2e.state"; grep -c "rm -f" "$R/etc/e2e.killed")" \
    $'1\n/opt/Varen/tvxx/tvqadmin\n3'
A=/opt/Varen/tvxx
expect_contains "output" "$OUT" "$A/lib is kept: it changed"
expect_contains "output" "$OUT" "$A/log/e2e.user is kept: it is not the suite's"
expect_contains "output" "$OUT" $'\nERROR: '"$A/lib could not be removed"$'\n'
expect_contains "log" "$LOG" "WARNING: $A/lib could not be removed"
expect_lacks "output" "$OUT" "e2e.d could not"
expect_contains "output" "$OUT" "$A/log/e2e.d is kept: it is not the suite's"
expect_contains "output" "$OUT" "ERROR: the record of the installation cannot be trusted: $REC/installed"
expect_contains "output" "$OUT" "ERROR: $A (owner root:root, mode drwxr-xrwx) can be changed by users other than root"
expect_eq "what is left" "$(cd "$R" && find opt etc/e2e.lib etc/e2e.secret | sort)" "etc/e2e.lib
etc/e2e.lib/forms.txt
etc/e2e.secret
opt
opt/Varen
opt/Varen/tvxx
opt/Varen/tvxx/lib"
expect_link $A/lib /etc/e2e.lib
expect_log "/usr/bin/rm -f /usr/Varen/tvxx;/usr/bin/rm -f $A/tvqadmin"  # what stands elsewhere goes before the tool
expect_absent /usr/Varen /var/spool/Varen /var/log/varen-tvxx
# ---- the application directory on a mount of its own: emptied, the mount point stays
fresh
PROGRAM=/bin/bash TIMEOUT=30
run mounted -c 'mkdir -p /usr/Varen/tvxx && mount -t tmpfs tmpfs /usr/Varen/tvxx && s=/mnt/cd/setup &&
    $s </dev/null >/dev/null && mount -o remount,ro /usr/Varen/tvxx && $s --remove >/dev/null 2>/var/tmp/e
    echo "$? $(grep -c "could not be removed" /var/tmp/e)" && mount -o remount,rw /usr/Varen/tvxx
    $s --remove >/var/tmp/o; echo "$? $(ls -A /usr/Varen/tvxx | wc -l) $(tail -n 1 /var/tmp/o)"
    $s --remove 2>/dev/null; echo $?'
# Read-only first: every entry there could not be removed (named, status 3); then emptied.
expect_eq "a mount point emptied" "$OUT" $'3 12\n0 0 The suite is removed.\n5\n'
# ---- what an interrupted removal took (the spool tree, the log link, a newdir directory, a wrapper) an
# installation over it makes again, as a fresh one does; the record then verifies clean
MEDIUM=$(SRC=$TOP/examples/medium make_medium sample)
fresh
PROGRAM=/bin/bash TIMEOUT=60
run reinstalled -c 's=/mnt/cd/setup; $s </dev/null >/dev/null; sed -i "s/^state complete$/state removing/" $0
    rm -r /var/spool/Varen /var/log/varen-tvxx /usr/Varen/tvxx/log /usr/bin/tvqadmin && $s </dev/null >/dev/null
    echo $?; $s --verify; echo $?; find /var/spool/Varen /var/log/varen-tvxx /usr/bin/tvqadmin -maxdepth 2 | sort' \
    /var/lib/varen-tvxx/installed
expect_eq "made again" "$OUT" "0
0
/usr/bin/tvqadmin
/var/log/varen-tvxx
/var/spool/Varen
/var/spool/Varen/tvxx
/var/spool/Varen/tvxx/__tva_download__
/var/spool/Varen/tvxx/forms
"
finish
