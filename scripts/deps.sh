# shellcheck shell=bash
# Packages the project needs to build, test and try out, installed on demand.
# Sourced by scripts/test and scripts/try-install.
# What scripts/try-install needs to build setup (without its tests) and run
# the sample: none of these starts a service (check_try_packages).
TRY_PACKAGES=(cmake g++ make ncompress procps util-linux mount coreutils tar gzip sed)
# What scripts/test needs besides: the test libraries, the linters, the manual
# page tools, gpg, gpgv and gpg-agent for signed media, setfacl for ACLs, a real CUPS scheduler,
# Ansible, and the tools that build and check the Debian package. cups-daemon would start its
# service on installation; ensure_packages keeps that from happening.
# shellcheck disable=SC2034 # used by scripts/test, which sources this file
TEST_PACKAGES=("${TRY_PACKAGES[@]}" libgtest-dev libbenchmark-dev shellcheck groff-base man-db
    gpg gpgv gpg-agent acl cups-daemon cups-client ansible-core ansible-lint strace
    dpkg-dev debhelper lintian fakeroot)

POLICY=/usr/sbin/policy-rc.d

# ensure_packages PKG...: installs those of the packages that are missing
# (as root). While apt-get runs, a policy-rc.d that denies every start keeps
# their services from starting; the one that was there before (if any) is put
# back afterwards, whatever happened.
ensure_packages() {
    local missing=() p status
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages: ${missing[*]} (run as root to install them)" >&2
        return 1
    fi
    echo "== installing: ${missing[*]} (no service is started)"
    export DEBIAN_FRONTEND=noninteractive
    [ ! -e "$POLICY" ] || mv -f -- "$POLICY" "$POLICY.setup-saved" || return 1
    printf '#!/bin/sh\n# Put here by scripts/deps.sh of setup while it installs packages.\nexit 101\n' >"$POLICY" &&
        chmod 755 "$POLICY"
    apt-get update && apt-get install -y --no-install-recommends "${missing[@]}"
    status=$?
    rm -f -- "$POLICY"
    [ ! -e "$POLICY.setup-saved" ] || mv -f -- "$POLICY.setup-saved" "$POLICY"
    return "$status"
}

# starts_service PKG: true when the installed package PKG ships a service
# that would start on installation: a systemd socket or path unit, a service
# unit that is not a one-shot job, or an init script that starts a daemon.
starts_service() {
    local f
    while IFS= read -r f; do
        case $f in
        */systemd/system/*.socket | */systemd/system/*.path) return 0 ;;
        */systemd/system/*.service) grep -qx 'Type=oneshot' "$f" || return 0 ;;
        /etc/init.d/?*) ! grep -q start-stop-daemon "$f" || return 0 ;;
        esac
    done < <(dpkg -L "$1" 2>/dev/null)
    return 1
}

# check_try_packages: fails, naming it, when a package of try-install's list
# is not installed (so cannot be checked) or starts a service.
check_try_packages() {
    local p bad=0
    for p in "${TRY_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            echo "try-install's package $p is not installed: cannot check it" >&2
            bad=1
        elif starts_service "$p"; then
            echo "try-install's package $p starts a service" >&2
            bad=1
        fi
    done
    return "$bad"
}

# fetch_lprng DIR: downloads Debian's lprng package into DIR unless it is
# there; fails when it cannot be had. The whole-run test of the LPRng spooler
# (tests/e2e/spoolers.sh, which looks for it in build/debs) installs it inside
# the sandbox only, never on this machine, whose CUPS client it conflicts with.
fetch_lprng() {
    local dir=$1 deb
    for deb in "$dir"/lprng_*.deb; do
        [ -f "$deb" ] && return 0
    done
    mkdir -p "$dir" && (cd "$dir" && apt-get download lprng) && return 0
    [ "$(id -u)" = 0 ] && apt-get update && (cd "$dir" && apt-get download lprng)
}
