#!/usr/bin/env bash
# Signed media on hosts that trust keys: the checksum file covers all that runs, reads or is copied;
# the proof rule over gpgv's status lines; key files judged alone; the release record and
# downgrades; the host's installer from the Debian package (when built) with --medium; media changed
# after signing: only checked copies of list and release read, an upper-case medium reads only
# DISKS, named files are the medium's own regular files.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need gpg gpgv
export GNUPGHOME=$SCRATCH_ROOT/gnupg KEYS=$SCRATCH_ROOT/keys K=/etc/Varen/trusted.gpg.d
mkdir -m 700 "$GNUPGHOME" "$KEYS"
gen() { gpg --batch --passphrase '' ${2:+--faked-system-time $2} --quick-gen-key "$1@e2e.test" ed25519 sign \
    "${3:-never}" 2>/dev/null; }
Y=20200101T000000 && gen one && gen two && gen rev && gen old $Y 1y && gen aged $Y || fail "no keys"
# sign DIR KEY [GPG OPTION...]: the checksum file of DIR signed anew.
sign() { gpg --batch --yes -u "$2@e2e.test" "${@:3}" --detach-sign -o "$1/sha256sums.sig" "$1/sha256sums" 2>/dev/null; }
# The media. Those signed by rev are made before its revocation is imported.
declare -A M
for m in revoked setup_replaced expired_key expired_sig sha1 cosigned damaged_key extra malformed nul \
    isize_changed older same unreleased no_gpgv listed_release zero no_self upper upper_both; do
    case $m in older) o=(--release 1) ;; same) o=(--release 2) ;; unreleased) o=() ;; *) o=(--release 3) ;; esac
    case $m in no_self) o+=(--no-self) ;; upper*) o+=(--upper) ;; esac
    M[$m]=$(make_medium "$m" --pieces 2 --sign one@e2e.test "${o[@]}")
done
T=--faked-system-time=20200601T000000
{ sign "${M[revoked]}" rev && sign "${M[expired_key]}" old $T && sign "${M[sha1]}" one --digest-algo SHA1 &&
    sign "${M[expired_sig]}" aged $T --default-sig-expire 1y && sign "${M[cosigned]}" one -u two@e2e.test; } ||
    fail "signing failed"
fpr=$(gpg --with-colons -k rev@e2e.test | awk -F: '/^fpr/{print $10; exit}')
sed 's/^:-----/-----/' "$GNUPGHOME/openpgp-revocs.d/$fpr.rev" | gpg --batch --import 2>/dev/null || fail "no revocation"
for who in one rev old aged; do gpg --export $who@e2e.test >"$KEYS/$who.gpg"; done
head -c 40 "$KEYS/one.gpg" >"$KEYS/cut.gpg"
# one.gpg with its packets' headers in the new format: the first with a five-octet length, the rest one octet.
python3 - "$KEYS/one.gpg" "$KEYS/new.gpg" <<'PY' || fail "no new-format key"
import sys
d, out, i = open(sys.argv[1], "rb").read(), b"", 0
while i < len(d):
    n = {0: 1, 1: 2, 2: 4}[d[i] & 3]
    size = int.from_bytes(d[i + 1:i + 1 + n], "big")
    head = b"\xff" + size.to_bytes(4, "big") if i == 0 else bytes([size])
    assert d[i] & 0xc0 == 0x80 and size < 192
    out += bytes([0xc0 | (d[i] >> 2) & 15]) + head + d[i + 1 + n:i + 1 + n + size]
    i += 1 + n + size
open(sys.argv[2], "wb").write(out)
PY
WRAP='#!/bin/sh\ntouch /etc/e2e.pwned\nexec /mnt/cd/setup.real "$@"\n'
{ (cd "${M[setup_replaced]}" && mv setup setup.real && printf '%b' "$WRAP" >setup && chmod 755 setup) &&
    (cd "${M[extra]}" && mkdir lost+found && echo x >TRANS.TBL && echo x >README) &&
    (cd "${M[malformed]}" && sed -i 's/^.\(.* isize\)$/\1/' sha256sums && sign . one) &&
    (cd "${M[nul]}" && printf '\0%s  pkg_tar.009\n' "$(printf '%064d' 0)" >>sha256sums && sign . one) &&
    (cd "${M[isize_changed]}" && echo 1 >isize) && (cd "${M[zero]}" && ln -sf /dev/zero release) &&
    cp "${M[upper_both]}/DISKS" "${M[upper_both]}/disks" &&
    (cd "${M[listed_release]}" && sed -i 's/^end_of_list$/release\n&/' disks && sed -i '/  disks$/d' sha256sums &&
    sha256sum disks >>sha256sums && sign . one && echo 1 >release); } || fail "the media were not changed"
REC="mkdir -p /var/lib/varen-tvxx && echo 'release 2' >/var/lib/varen-tvxx/installed"
TRUST="mkdir -p $K && cp $KEYS/one.gpg $KEYS/rev.gpg $KEYS/old.gpg $KEYS/aged.gpg $K && $REC"
NOT="ERROR: the signature /mnt/cd/sha256sums.sig does not prove the checksum file:"
DMG="is missing or damaged: it does not match the checksum file /mnt/cd/sha256sums"
DOWN="the medium's release 1 sorts before the installed release 2"
NOTREG="not a regular file of the medium's directory; nothing was read from it"
# The host's installer: the package's when it was built, else the binary copied to the same place.
DEB=$(find "$TOP/build/debs" -name 'varen-setup_*.deb' 2>/dev/null | tail -n 1)
HOST="cp $SETUP_BIN /usr/sbin/varen-setup"
[ -z "$DEB" ] || HOST="dpkg -i $DEB >/dev/null"
KEEP='cp -a --parents /var/lib/varen-tvxx /tmp/varen-setup.log "$SANDBOX_OUT/root/" 2>/dev/null'
# NAME|MEDIUM|SEED|PROGRAM AND ARGUMENTS|STATUS|STANDARD ERROR ("~TEXT": holds TEXT)
while IFS='|' read -r name medium seed args status err; do
    fresh
    MEDIUM=${M[$medium]} SEED=$seed AFTER=$KEEP
    read -r -a words <<<"$args"
    PROGRAM=${words[0]} run "$name" "${words[@]:1}"
    [ "${words[0]}" = /mnt/cd/setup ] || LOG=$(cat "$R/tmp/varen-setup.log" 2>/dev/null)
    expect_status "$status"
    case $err in "~"*) expect_contains "standard error" "$ERR" "${err#"~"}" ;;
        *) expect_eq "standard error" "$ERR" "$err${err:+$'\n'}" ;; esac
    expect_absent /etc/e2e.pwned; expect_lacks "the log" "$LOG" "TRANS.TBL"
    case $err in WARNING:*) expect_contains "the log" "$LOG" "$err" ;; esac
    if [ "$status" = 0 ]; then expect_eq "installed" "$(file_text $A/tvxx.cfg)" "level=3.01.67"
        expect_nodes /var/lib/varen-tvxx d 755 /var/lib/varen-tvxx/installed f 644
        expect_eq "record" "$(file_text /var/lib/varen-tvxx/installed | head -n 2)" \
            "release $(cat "$MEDIUM"/[rR][eE][lL]*)"$'\n'"sums $(sha256sum <"$MEDIUM"/[sS][hH]*[sS] | cut -c1-64)"
    else expect_absent $A; expect_contains "the log" "$LOG" "ERROR: "
        expect_eq "record" "$(file_text /var/lib/varen-tvxx/installed)" "release 2"; fi
done <<CASES
setup_replaced|setup_replaced|$TRUST && $HOST|/usr/sbin/varen-setup --medium /mnt/cd|1|ERROR: setup $DMG
host_installer|extra|$TRUST && $HOST|/usr/sbin/varen-setup --medium /mnt/cd|0|
revoked|revoked|$TRUST|/mnt/cd/setup|1|$NOT the key that made it has been revoked
expired_key|expired_key|$TRUST|/mnt/cd/setup|1|$NOT the key that made it has expired
expired_sig|expired_sig|$TRUST|/mnt/cd/setup|1|$NOT the signature has expired
sha1|sha1|$TRUST|/mnt/cd/setup|1|~$NOT its digest is weaker than SHA-256 (sign with
cosigned|cosigned|$TRUST|/mnt/cd/setup|0|
damaged_key|damaged_key|$TRUST && cp $KEYS/cut.gpg $K|/mnt/cd/setup|0|WARNING: the key file $K/cut.gpg cannot be \
read as an OpenPGP key; it is skipped and its keys are not trusted
new_format_key|damaged_key|mkdir -p $K && cp $KEYS/new.gpg $K && $REC|/mnt/cd/setup|0|
malformed|malformed|$TRUST|/mnt/cd/setup|1|~ERROR: the checksum file /mnt/cd/sha256sums has a malformed line for isize:
nul|nul|$TRUST|/mnt/cd/setup|1|ERROR: /mnt/cd/sha256sums holds a NUL byte (or gpgv's report on it does), which \
would hide what follows it; the medium is refused
isize_changed|isize_changed|$TRUST|/mnt/cd/setup|1|ERROR: isize $DMG
older|older|$TRUST|/mnt/cd/setup|1|ERROR: $DOWN; this host installs it only with --allow-downgrade
older_allowed|older|$TRUST|/mnt/cd/setup --allow-downgrade|0|WARNING: $DOWN; it is installed all the same
older_untrusted|older|$REC|/mnt/cd/setup|0|WARNING: $DOWN; it is installed all the same
same|same|$TRUST|/mnt/cd/setup|0|
unreleased|unreleased|$TRUST|/mnt/cd/setup|1|~ERROR: the medium's release none sorts before the installed release 2;
no_gpgv|no_gpgv|$TRUST && rm /usr/bin/gpgv|/mnt/cd/setup|1|ERROR: this host trusts the keys in $K but has no gpgv \
to check a signature with (install the Debian package gpgv)
listed_release|listed_release|$TRUST|/mnt/cd/setup|1|ERROR: release $DMG
zero|zero|$TRUST|/mnt/cd/setup|1|ERROR: /mnt/cd/release is a symbolic link to a character device, $NOTREG
nul_status|same|$TRUST && printf '%s\n' '#!/bin/sh' 'printf "x\\0y"' >/usr/bin/gpgv|/mnt/cd/setup|1|ERROR: \
/mnt/cd/sha256sums.sig holds a NUL byte (or gpgv's report on it does), which would hide what follows it; the \
medium is refused
no_self|no_self|$TRUST|/mnt/cd/setup|1|ERROR: disks has no line in the checksum file /mnt/cd/sha256sums, so it \
cannot be checked
upper|upper|$TRUST|/mnt/cd/setup|0|
upper_both|upper_both|$TRUST|/mnt/cd/setup|1|ERROR: /mnt/cd/disks is a second list file beside /mnt/cd/DISKS, $NOTREG
CASES
# ---- A host that trusts the keys SEED puts in $K, moving its installation from /usr to /opt: moved
# only once the medium is proven, nothing copied before.
gpg --armor --export one@e2e.test >"$KEYS/one.asc" || fail "no keys"
ONE="mkdir -p $K && cp $KEYS/one.gpg $K"
BAD="ERROR: the signature /mnt/cd/sha256sums.sig does not prove the checksum file: it is bad or damaged, or \
the checksum file was changed after it was signed"
KEYFILE="may not stand among the trusted keys: only root's regular files NAME.gpg, NAME made of letters, digits \
and . _ - + , = : @ % only (rename any other, e.g. mv 'media (1).gpg' media-1.gpg), in binary form, that nobody \
else may write (gpg --export KEY > NAME.gpg; for an armored key gpg --dearmor < KEY.asc > NAME.gpg; then chown \
root NAME.gpg; chmod 644 NAME.gpg)"
# NAME|MAKE-MEDIUM OPTIONS|BASH RUN IN THE MEDIUM|SEED|STATUS|STANDARD ERROR
while IFS='|' read -r name opts tweak seed status err; do
    fresh
    # shellcheck disable=SC2086 # the options are words
    MEDIUM=$(make_medium "$name" $opts)
    (cd "$MEDIUM" && eval "$tweak") || fail "$name: the medium could not be changed"
    SEED="$(seed_installation /usr)
$seed"
    run "$name" install /opt
    expect_status "$status"
    expect_eq "standard error" "$ERR" "$err${err:+$'\n'}"
    o=0 && [ "$seed" != : ] || o=1
    expect_eq "origin not checked" "$(grep -c "^the medium's origin is not checked" <<<"$LOG")" $o
    if [ "$status" = 0 ]; then expect_eq "installed" "$(file_text /opt/Varen/tvxx/tvxx.cfg)" "level=3.01.67"
        expect_dots_of_full_run
    else expect_eq "the earlier installation" "$(file_text $A/queues/q1)" "queue data"; expect_absent /opt/Varen
        expect_log "!cp -p /mnt/cd/pkg"; expect_contains "the reason in the log" "$LOG" "$err"
        [ -z "$OUT" ] || expect_eq "the dot line ended" "${OUT: -1}" $'\n'; fi
done <<CASES
signed|--pieces 2 --sign one@e2e.test||$ONE|0|
signed_upper|--upper --pieces 2 --sign one@e2e.test||$ONE|0|
unsigned_untrusted|--pieces 2||:|0|
piece_out|--pieces 2|ln -sf /etc/hostname pkg_tar.002|true|1|ERROR: /mnt/cd/pkg_tar.002 is a symbolic link that leads \
out of the medium's directory, $NOTREG
unsigned|--pieces 2||$ONE|1|ERROR: /mnt/cd/sha256sums.sig is missing: this host installs only media whose \
checksum file is signed by a key in $K
replaced|--pieces 2 --sign one@e2e.test|head -c 99 /dev/urandom >pkg_tar.002; sha256sum disks pkg_tar.00? \
>sha256sums|$ONE|1|$BAD
damaged_sig|--pieces 2 --sign one@e2e.test|truncate -s 30 sha256sums.sig|$ONE|1|$BAD
other_key|--pieces 2 --sign two@e2e.test||$ONE|1|ERROR: the checksum file /mnt/cd/sha256sums is signed by a \
key that this host does not trust (none of the keys in $K)
asc_name|--sign one@e2e.test||$ONE && cp $KEYS/one.asc $K|1|ERROR: $K/one.asc $KEYFILE
key_link|--sign one@e2e.test||mkdir -p $K && ln -s $KEYS/one.gpg $K|1|ERROR: $K/one.gpg $KEYFILE
group_writable|--sign one@e2e.test||$ONE && chmod g+w $K/one.gpg|1|ERROR: $K/one.gpg $KEYFILE
open_dir|--sign one@e2e.test||$ONE && chmod 777 /etc/Varen|1|ERROR: the directory of trusted keys $K is not \
safe: it and every directory above it must be a directory of root's that nobody else may write (chown root DIR; \
chmod go-w DIR)
CASES
gpgconf --kill gpg-agent
# An empty key to sign with is refused and leaves nothing.
"$MAKE_MEDIUM" --setup "$SETUP_BIN" --sign "" "$FIXTURE_COPY" "$SCRATCH_ROOT/media/empty" 2>/dev/null
expect_eq "make-medium --sign ''" "$?" 2
R="" expect_absent "$SCRATCH_ROOT/media/empty"
finish
