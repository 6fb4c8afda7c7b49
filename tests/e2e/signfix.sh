#!/usr/bin/env bash
# Signed media changed after signing: only the checked copies of the list, size and release files are read, an
# upper-case medium reads only DISKS, and every named file is the medium's own regular file before it is copied.
# shellcheck source=tests/e2e/lib.sh
. "$(dirname "$0")/lib.sh"
need gpg gpgv
export GNUPGHOME=$SCRATCH_ROOT/gnupg
mkdir -m 700 "$GNUPGHOME" && gpg --batch --passphrase '' --quick-gen-key one@e2e.test ed25519 sign never 2>/dev/null &&
    gpg --export one@e2e.test >"$SCRATCH_ROOT/one.gpg" || fail "no key"
declare -A M
for m in listed_release fifo zero no_self upper upper_both; do
    o=(--release 3) && case $m in no_self) o+=(--no-self) ;; upper*) o+=(--upper) ;; esac
    M[$m]=$(make_medium "$m" --pieces 2 --sign one@e2e.test "${o[@]}")
done
# The signer's list names release; the medium's release is then changed (as by someone racing the run).
{ (cd "${M[listed_release]}" && sed -i 's/^end_of_list$/release\n&/' disks && sed -i '/  disks$/d' sha256sums &&
    sha256sum disks >>sha256sums && gpg --batch --yes -u one@e2e.test --detach-sign -o sha256sums.sig sha256sums &&
    echo 1 >release) && (cd "${M[fifo]}" && rm release && mkfifo release) &&
    (cd "${M[zero]}" && ln -sf /dev/zero release) && cp "${M[upper_both]}/DISKS" "${M[upper_both]}/disks"; } ||
    fail "the media could not be changed"
gpgconf --kill gpg-agent
TRUST="mkdir -p /etc/Varen/trusted.gpg.d /var/lib/varen-tvxx && cp $SCRATCH_ROOT/one.gpg /etc/Varen/trusted.gpg.d &&
echo 'release 2' >/var/lib/varen-tvxx/installed"
NOTREG="not a regular file of the medium's directory; nothing was read from it"
# MEDIUM|STATUS|STANDARD ERROR
while IFS='|' read -r medium status err; do
    fresh
    MEDIUM=${M[$medium]} SEED=$TRUST AFTER='cp -a --parents /var/lib/varen-tvxx "$SANDBOX_OUT/root/"'
    run "$medium"
    expect_status "$status"
    expect_eq "standard error" "$ERR" "$err${err:+$'\n'}"
    [ "$status" = 0 ] && expect_contains "record" "$(file_text /var/lib/varen-tvxx/installed)" "release 3"
    [ "$status" = 0 ] || expect_eq "record" "$(file_text /var/lib/varen-tvxx/installed)" "release 2"
done <<CASES
listed_release|1|ERROR: release is missing or damaged: it does not match the checksum file /mnt/cd/sha256sums
fifo|1|ERROR: /mnt/cd/release is a FIFO, $NOTREG
zero|1|ERROR: /mnt/cd/release is a symbolic link to a character device, $NOTREG
no_self|1|ERROR: disks has no line in the checksum file /mnt/cd/sha256sums, so it cannot be checked
upper|0|
upper_both|1|ERROR: /mnt/cd/disks is a second list file beside /mnt/cd/DISKS, $NOTREG
CASES
finish
