# deps.sh - sourced by the scripts: installs missing Debian packages.
#
# need_packages PKG...  installs the packages that are not installed yet,
# when running as root; otherwise names them and fails.
need_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' ||
            missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${missing[*]} (install them, or run this as root)" >&2
        return 1
    fi
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [ -z "${MAVO_APT_UPDATED:-}" ]; then
        apt-get update -qq
        MAVO_APT_UPDATED=1
    fi
    apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The packages every build needs.
BUILD_PACKAGES=(cmake ninja-build g++ libxxhash-dev)
