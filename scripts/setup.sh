#!/usr/bin/env bash
# Shared set-up of ./zem and ./test: installs the Debian packages the build
# needs (only those missing) and configures and builds into a build folder.
set -euo pipefail

ZEM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# What the interpreter's build needs; the tests need ZEM_TEST_PACKAGES besides.
ZEM_PACKAGES=(g++ cmake make pkg-config libpcre2-dev liblapack-dev libblas-dev)
ZEM_TEST_PACKAGES=(libgtest-dev python3 sqlite3 libxml2-utils)

# Installs the packages of ZEM_PACKAGES that are missing.
zem_install_packages() {
    local installed missing=() p
    installed="$(dpkg-query -W -f='${Package} ${Status}\n' "${ZEM_PACKAGES[@]}" 2>/dev/null \
                 | awk '/ install ok installed$/ {print $1}')" || true
    for p in "${ZEM_PACKAGES[@]}"; do
        grep -qx -- "$p" <<<"$installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}" >&2
    $sudo apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
}

# zem_configure DIR [-DNAME=VALUE...]: configures the build folder when it is
# new or when one of the settings is not yet in its cache.
zem_configure() {
    local dir="$1"; shift
    local cache="$dir/CMakeCache.txt" setting name value
    if [ -f "$cache" ]; then
        for setting in "$@"; do
            name="${setting#-D}"; value="${name#*=}"; name="${name%%=*}"
            grep -q "^$name:[A-Z]*=$value\$" "$cache" || {
                cmake -S "$ZEM_ROOT" -B "$dir" "$@" >&2
                return
            }
        done
        return 0
    fi
    cmake -S "$ZEM_ROOT" -B "$dir" "$@" >&2
}

# zem_build DIR [-DNAME=VALUE...]: configures when needed, then builds every
# target of the folder incrementally.
zem_build() {
    local dir="$1"; shift
    zem_configure "$dir" "$@"
    cmake --build "$dir" -j "$(nproc)" >&2
}
