# shellcheck shell=bash
# Packages the project needs to build, test and try out, installed on demand.
# Sourced by scripts/test and scripts/try-install.
SETUP_PACKAGES=(cmake g++ make libgtest-dev libbenchmark-dev ncompress procps util-linux
    coreutils tar gzip sed shellcheck groff-base man-db cups-daemon cups-client
    ansible-core ansible-lint)

ensure_packages() {
    local missing=() p
    for p in "${SETUP_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "missing packages: ${missing[*]} (run as root to install them)" >&2
        return 1
    fi
    echo "== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
}

# fetch_lprng DIR: downloads Debian's lprng package into DIR unless it is
# there; fails when it cannot be had. The whole-run test of the LPRng spooler
# (tests/e2e/lprng.sh, which looks for it in build/debs) installs it inside
# the sandbox only, never on this machine, whose CUPS client it conflicts with.
fetch_lprng() {
    local dir=$1 deb
    for deb in "$dir"/lprng_*.deb; do
        [ -f "$deb" ] && return 0
    done
    mkdir -p "$dir" && (cd "$dir" && apt-get download lprng) && return 0
    [ "$(id -u)" = 0 ] && apt-get update && (cd "$dir" && apt-get download lprng)
}
