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
