#!/usr/bin/env bash
# Installs everything the build, the demo and the tests need on Debian 12 (run as root).
# Idempotent and quiet when everything is already in place.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
deps_cache=${MIRELO_DEPS_CACHE:-/var/cache/mirelo-deps}
export DEBIAN_FRONTEND=noninteractive

log() { printf 'setup: %s\n' "$*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

packages=(
    build-essential cmake ninja-build pkg-config
    mingw-w64 g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64
    xvfb xauth xdotool x11-utils imagemagick
    fonts-nanum fonts-ipafont-gothic fonts-wqy-microhei fonts-wine locales
    python3 python3-pytest
    googletest libgtest-dev
    libjsoncpp-dev libpugixml-dev libexpat1-dev libxml2-dev libxml2-utils
    espeak-ng sox
    valgrind
    clang libclang-rt-14-dev
    dpkg-dev
    nsis p7zip-full
)

apt_updated=0
apt_update_once() {
    if [ $apt_updated -eq 0 ]; then
        log "apt-get update"
        as_root apt-get update -qq >/dev/null
        apt_updated=1
    fi
}

# Where the kernel runs 32-bit programs, Wine runs the shipped 32-bit binaries and needs wine32 from
# the i386 architecture. Where it does not, the tests run 64-bit builds under the 64-bit loader
# (scripts/wine-env.sh) and wine32 is not needed.
target=$("$here/windows-target.sh")
if [ "$target" = win32 ]; then
    packages+=(wine32)
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        log "enabling the i386 architecture"
        as_root dpkg --add-architecture i386
        apt_update_once
    fi
fi

missing=()
for p in "${packages[@]}"; do
    arch_p=$p
    [ "$p" = wine32 ] && arch_p=wine32:i386
    if ! dpkg-query -W -f='${Status}' "$arch_p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$arch_p")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    apt_update_once
    log "installing ${missing[*]}"
    as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The UTF-8 locales the tests run Wine in: each gives Wine its code page (949, 1252, 932, 936) and
# the program its resource language.
locales=(ko_KR.UTF-8 en_US.UTF-8 ja_JP.UTF-8 zh_CN.UTF-8)
need_locale=0
for loc in "${locales[@]}"; do
    if ! locale -a 2>/dev/null | grep -qix "${loc/UTF-8/utf8}"; then need_locale=1; fi
done
if [ $need_locale -eq 1 ]; then
    log "generating ${locales[*]}"
    for loc in "${locales[@]}"; do
        if ! grep -q "^$loc UTF-8" /etc/locale.gen 2>/dev/null; then
            echo "$loc UTF-8" | as_root tee -a /etc/locale.gen >/dev/null
        fi
    done
    as_root locale-gen >/dev/null
fi

"$here/build-mingw-deps.sh" "$deps_cache" i686-w64-mingw32
if [ "$target" = win64 ]; then
    "$here/build-mingw-deps.sh" "$deps_cache" x86_64-w64-mingw32
fi
