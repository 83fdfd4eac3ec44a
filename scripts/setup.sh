#!/usr/bin/env bash
# Shared set-up of ./zem and ./test: installs the Debian packages the build
# needs (only those missing) and configures and builds into a build folder.
set -euo pipefail

ZEM_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
ZEM_PACKAGES=(g++ cmake make pkg-config libpcre2-dev liblapack-dev libblas-dev
              libgtest-dev python3 sqlite3 libxml2-utils)

zem_install_packages() {
    local missing=()
    for p in "${ZEM_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}" >&2
    $sudo apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >&2
}

# zem_build DIR [cmake options...]: configure once, then build incrementally.
zem_build() {
    local dir="$1"; shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$ZEM_ROOT" -B "$dir" "$@" >&2
    fi
    cmake --build "$dir" -j "$(nproc)" >&2
}
