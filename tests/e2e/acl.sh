#!/usr/bin/env bash
# shellcheck disable=SC2016 # a literal "$(" in the expected text
# Whole runs against what a local user gets from ACLs, from group root and from a directory she
# makes first where the run was about to make it: each run refuses before anything changes, or
# finishes as its own.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need setfacl getfacl setpriv
MEDIUM=$(make_medium whole --whole)
fresh
SEED="$SPOOLER_LPRNG" PROGRAM=/bin/bash TIMEOUT=90
IFS= read -r -d '' ACLS <<'SCRIPT' || :
try() {   # try NAME [ARG...]: from a host without the suite: the status and the first error line up to ";"
    rm -rf /usr/Varen /opt/Varen /var/spool/Varen /usr/bin/tvadmin /tmp/VarenInstall
    /mnt/cd/setup "${@:2}" </dev/null >/tmp/e2e.out 2>/tmp/e2e.err
    echo "$1: $? $(ls -d /usr/Varen 2>/dev/null | tr "\n" " ")$(grep -m 1 ERROR /tmp/e2e.err | cut -d ";" -f 1)"
}
mkdir -p /var/tmp/w /var/tmp/r /var/tmp/d /opt/b /opt/g /opt/share /etc/Varen/trusted.gpg.d
setfacl -m u:nobody:-wx /var/tmp/w && setfacl -m u:nobody:rwx /opt/b /etc/Varen/trusted.gpg.d
setfacl -m g:staff:rw /opt/g
setfacl -m u:nobody:r-x /var/tmp/r && setfacl -d -m u:nobody:rwx,o::rwx /var/tmp/d
setfacl -d -m u:nobody:rwx,u:daemon:r-x,g:staff:rwx /opt/share
try work_acl /var/tmp/w
try base_acl install /opt/b
try group_acl install /opt/g
try keys_acl
setfacl -b /etc/Varen/trusted.gpg.d && setfacl -d -m u:nobody:rwx /etc/Varen/trusted.gpg.d
try keys_default
try work_read_only /var/tmp/r
try work_default /var/tmp/d
echo "inherited: $(stat -c %A /usr/Varen/tvxx/tvxx.cfg) $(getfacl -p /usr/Varen/tvxx/lib | grep -c default)"
mkdir /opt/sg && chown root:staff /opt/sg && chmod 2755 /opt/sg && try setgid install /opt/sg
echo "groups: $(stat -c "%G %A" /opt/sg/Varen /opt/sg/Varen/tvxx | paste -s -d " ")"
setfacl -m u:nobody:rwx /usr/bin && try wrapper_dir install /opt && setfacl -b /usr/bin
try base_default install /opt/share
echo "opened: $(getfacl -R -p /opt/share/Varen 2>&1 | grep -c -e user:nobody:.w -e group:staff:.w -e ^default)" \
    "kept: $(getfacl -p /opt/share/Varen | grep -e '^user:daemon' -e '^mask')" \
    "modes: $(stat -c %A /opt/share/Varen/tvxx /opt/share/Varen/tvxx/tvqadmin | paste -s -d " ")"
# A user whose primary group is root's, and one that group root names: only root's own modes are
# closed. Group root's second line names one, and without getent a primary group "00" is root's too.
printf "%s\n" e2eroot:x:4242:00::/:/bin/false e2emember:x:4243:100::/:/bin/false >>/etc/passwd
echo wheel0:x:0:e2emember >>/etc/group && mkdir -m 775 /opt/gr
try group_root install /opt/gr
mv /usr/bin/getent /usr/bin/getent.off && try group_root_host install /opt && mv /usr/bin/getent.off /usr/bin/getent
echo "modes: $(stat -c %A /usr/Varen /opt/Varen/tvxx /var/spool/Varen | paste -s -d " ")" \
    "$(grep -c "besides root (e2eroot,e2emember)" /tmp/setup.log)"
sed -i "/^e2e/d" /etc/passwd && sed -i "/^wheel0:/d" /etc/group
# The stand-in mkdir: she makes the directory first, as her own, between the run's check and mkdir.
mv /usr/bin/mkdir /usr/bin/mkdir.real && cat >/usr/bin/mkdir.standin <<"MKDIR" && chmod 755 /usr/bin/mkdir.standin
#!/bin/sh
for a; do case $a in /tmp/newbase|/var/tmp/Varen) nobody /usr/bin/mkdir.real -m 777 "$a" ;; esac; done
exec /usr/bin/mkdir.real "$@"
MKDIR
sed -i "s|nobody |setpriv --reuid=65534 --regid=65534 --clear-groups -- |" /usr/bin/mkdir.standin
for base in /tmp/newbase /var/tmp; do
    rm -rf /tmp/newbase && cp /usr/bin/mkdir.standin /usr/bin/mkdir && try "race $base" install $base
    echo "in hers: $(find /tmp/newbase /var/tmp/Varen -mindepth 1 2>/dev/null | wc -l)" \
        "$(ls -d /usr/Varen/tvxx 2>&1 | cut -d : -f 3)"
    rm -rf /tmp/newbase /var/tmp/Varen && cp /usr/bin/mkdir.real /usr/bin/mkdir && try "rerun $base" install $base
    echo "own: $(stat -c "%U %A" $base/Varen/tvxx) $(readlink /usr/Varen/tvxx)"
done
# The whole base made hers after the command line's check (at the unpacking): found, never adopted.
mv /usr/bin/tar /usr/bin/tar.real && printf '%s\n' '#!/bin/sh' "$(grep -o 'setpriv[^)]*-- ' /usr/bin/mkdir.standin)\
/usr/bin/mkdir.real -p -m 777 /tmp/newbase/Varen/tvxx" 'exec /usr/bin/tar.real "$@"' >/usr/bin/tar &&
    chmod 755 /usr/bin/tar
rm -rf /tmp/newbase && try "made whole" install /tmp/newbase && find /tmp/newbase -mindepth 3 | wc -l
SCRIPT
run acls -c "$ACLS"
expect_status 0
U="can be changed by users other than root through its ACL entry"
M="which the installer was making, is not its own: another user made it first or can change it. The installer \
stopped before putting anything in it. Remove it, or make it root's and closed, and run the installer again."
expect_eq "runs" "$OUT" "work_acl: 1 ERROR: /var/tmp/w (owner root:root, mode drwxrwxr-x+) $U user:nobody:-wx
base_acl: 1 ERROR: /opt/b (owner root:root, mode drwxrwxr-x+) $U user:nobody:rwx
group_acl: 1 ERROR: /opt/g (owner root:root, mode drwxrwxr-x+) $U group:staff:rw-
keys_acl: 1 ERROR: /etc/Varen/trusted.gpg.d (owner root:root, mode drwxrwxr-x+) $U user:nobody:rwx
keys_default: 0 /usr/Varen 
work_read_only: 0 /usr/Varen 
work_default: 0 /usr/Varen 
inherited: -rw-r--r-- 0
setgid: 0 /usr/Varen 
groups: root drwxr-xr-x root drwxrwxr-x
wrapper_dir: 1 ERROR: unable to locate system command 'df'
base_default: 0 /usr/Varen 
opened: 0 kept: user:daemon:r-x
mask::r-x modes: drwxrwxr-x -rwxr-xr-x
group_root: 1 ERROR: /opt/gr (owner root:root, mode drwxrwxr-x) can be changed by members of group root other than \
root: e2eroot,e2emember
group_root_host: 0 /usr/Varen 
modes: drwxr-xr-x drwxr-xr-x drwxr-xr-x 1
race /tmp/newbase: 1 /usr/Varen ERROR: /tmp/newbase (owner nobody:nogroup, mode drwxrwxrwx), $M
in hers: 0  No such file or directory
rerun /tmp/newbase: 0 /usr/Varen 
own: root drwxrwxr-x /tmp/newbase/Varen/tvxx
race /var/tmp: 1 /usr/Varen ERROR: /var/tmp/Varen (owner nobody:nogroup, mode drwxrwxrwx), $M
in hers: 0  No such file or directory
rerun /var/tmp: 0 /usr/Varen 
own: root drwxrwxr-x /var/tmp/Varen/tvxx
made whole: 1 /usr/Varen ERROR: /tmp/newbase (owner nobody:nogroup, mode drwxr-xr-x), $M
0
"
finish
