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

# fetch_lprng DIR: prints the path of Debian's lprng package in DIR, after
# downloading it there when it is missing; fails when it cannot be had. The
# whole-run test of the LPRng spooler installs it inside the sandbox only,
# never on this machine (its lp and lpstat clash with those of CUPS).
fetch_lprng() {
    local dir=$1 deb try
    mkdir -p "$dir" || return 1
    for try in cached fetched updated; do
        for deb in "$dir"/lprng_*.deb; do
            if [ -f "$deb" ]; then
                printf '%s\n' "$deb"
                return 0
            fi
        done
        case $try in
        cached) (cd "$dir" && apt-get download lprng) >&2 ;;
        fetched)
            [ "$(id -u)" = 0 ] || return 1
            apt-get update >&2 && (cd "$dir" && apt-get download lprng) >&2
            ;;
        esac
    done
    return 1
}
