#!/usr/bin/env bash
# shellcheck disable=SC2016 # a literal "$" in the sandbox's bash text
# The record of an installation, setup --list and setup --verify, in one sandbox: clean after a first
# installation and after an upgrade (a file the suite's tool writes, the queue database and the log
# directory's files are runtime data); a changed content, mode, owner, a removed file and a file
# replaced by a link each reported in its form (a group too); --list against the tree (a dirto copy in it); a move
# to /opt whose tool failed (status 3, the record incomplete and anew, clean), then its link pointed elsewhere (L);
# what another user cannot examine shown
# as "?"; a record closed to that user; a record others may write refused; one holding a NUL byte;
# an empty one and none: nothing recorded.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need setfacl
SRC=$SCRATCH_ROOT/verify-src && cp -a -- "$FIXTURE_COPY" "$SRC" &&
    printf '%s\n' 't que.vdb' 'newdir log mode 2775 group lp link /var/log/varen-tvxx' 'dirto lib /usr/share' \
        >>"$SRC/pkg/pkg.list" &&
    echo 'date +%N >>"$(dirname "$0")/tool.state"' >>"$SRC/pkg/tvqadmin"
MEDIUM=$(make_medium verify)
fresh
PROGRAM=/bin/bash TIMEOUT=60
IFS= read -r -d '' SCRIPT <<'SCRIPT' || :
s=/mnt/cd/setup A=/usr/Varen/tvxx && mkdir -p /var/spool/Varen  # there before: changed, listed all the same
step() { echo "== $1 $2"; }
$s </dev/null >/dev/null 2>&1; step install $?
$s --verify; step fresh $?
echo job >>$A/que.vdb && echo line >$A/log/today
$s </dev/null >/dev/null 2>&1; step upgrade $?
$s --verify; step upgraded $?
$s --list >/var/tmp/list; step list $?
{ find $A /var/spool/Varen /usr/share/lib; printf '%s\n' /usr/Varen /usr/bin/tvadmin /var/log/varen-tvxx; } | sort |
    diff - /var/tmp/list
echo more >>$A/que.vdb && echo line >>$A/log/today && echo x >>$A/tvxx.cfg && touch -d @1000000000 $A/tvxx.cfg
chmod 700 $A/tvrtvxxtty
chown 1 $A/tvadmin && chgrp 1 $A/tvrtvxxtty && rm $A/lib/forms.txt &&
    rm $A/VarenVSF && ln -s /bin/true $A/VarenVSF && chmod 700 $A/log
chmod 750 /usr/Varen && { $s --verify; step changed $?; } && chmod 755 /usr/Varen
R=/var/lib/varen-tvxx/installed
grep -c $'^E\tmade\truntime\tf' $R; grep -c '^state complete$' $R
touch /tmp/e2e.tvqadmin-fails && { $s install /opt </dev/null >/dev/null 2>&1; step moved $?; }
rm /tmp/e2e.tvqadmin-fails && grep -c '^state incomplete$' $R && { $s --verify; step moved $?; }
T=$(readlink /usr/Varen/tvxx) && ln -sfn /opt/Varen /usr/Varen/tvxx && { $s --verify; step relinked $?; }
ln -sfn "$T" /usr/Varen/tvxx
$s --list | grep -v ^/opt/Varen/tvxx/
chmod 700 /opt/Varen/tvxx/lib && { setpriv --reuid=1 --regid=1 --clear-groups $s --verify; step user $?; }
chmod 600 $R && { setpriv --reuid=1 --regid=1 --clear-groups $s --list; step closed $?; } && chmod 644 $R
chmod 664 $R && chgrp 1 $R && { $s --list; step group-writable $?; } && chmod 644 $R
setfacl -m u:1:rw $R && { $s --verify; step acl $?; } && setfacl -b $R
chmod o+w ${R%/*} && { $s --verify; step dir $?; } && chmod o-w ${R%/*}
printf 'E\tmade\n' >>$R && { $s --verify; step bad-line $?; }
: >$R && { $s --verify; step empty $?; }
printf 'state complete\n\0' >$R && { $s --verify; step nul $?; }
rm $R && { $s --list; step none $?; } && { $s --verify; step none $?; }
SCRIPT
run record -c "$SCRIPT"
expect_eq "what the runs printed" "$OUT" "== install 0
== fresh 0
== upgrade 0
== upgraded 0
== list 0
.M.......   /usr/Varen
?M?....?.   /usr/Varen/tvxx/VarenVSF
missing   /usr/Varen/tvxx/lib/forms.txt
.M.......   /usr/Varen/tvxx/log
.....U...   /usr/Varen/tvxx/tvadmin
.M....G..   /usr/Varen/tvxx/tvrtvxxtty
S.5....T. c /usr/Varen/tvxx/tvxx.cfg
== changed 1
3
1
== moved 3
1
== moved 0
....L....   /usr/Varen/tvxx
== relinked 1
/opt/Varen
/opt/Varen/tvxx
/usr/Varen
/usr/Varen/tvxx
/usr/bin/tvadmin
/usr/share/lib
/usr/share/lib/forms.txt
/var/log/varen-tvxx
/var/spool/Varen
/var/spool/Varen/tvxx
/var/spool/Varen/tvxx/__tva_download__
.M.......   /opt/Varen/tvxx/lib
?????????   /opt/Varen/tvxx/lib/forms.txt
?????????   /opt/Varen/tvxx/log/today
== user 1
== closed 1
== group-writable 1
== acl 1
== dir 1
== bad-line 1
== empty 5
== nul 1
== none 5
== none 5
"
expect_eq "standard error" "$ERR" "ERROR: can't open file, /var/lib/varen-tvxx/installed
ERROR: the record of the installation cannot be trusted: \
/var/lib/varen-tvxx/installed (root daemon -rw-rw-r--) is no regular file or directory of root's that nobody else can \
change; nothing was done
ERROR: the record of the installation cannot be trusted: /var/lib/varen-tvxx/installed (root daemon -rw-rw-r--+) is \
no regular file or directory of root's that nobody else can change; nothing was done
ERROR: the record of the installation cannot be trusted: /var/lib/varen-tvxx (root root drwxr-xrwx) is no regular \
file or directory of root's that nobody else can change; nothing was done
ERROR: the record /var/lib/varen-tvxx/installed cannot be trusted: its line 30 is no record line; nothing was done
no installation is recorded
ERROR: the record /var/lib/varen-tvxx/installed cannot be trusted: its line 1 is no record line; nothing was done
no installation is recorded
no installation is recorded
"
finish
