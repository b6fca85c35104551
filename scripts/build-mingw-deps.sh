#!/usr/bin/env bash
# Builds jsoncpp, pugixml and expat for a mingw-w64 target from Debian's own source packages into a
# cached prefix outside the clone: <cache>/<triple>/{include,lib}.
# Usage: build-mingw-deps.sh [CACHE] [TRIPLE]   (TRIPLE: i686-w64-mingw32, the default, or x86_64-w64-mingw32)
set -euo pipefail

cache=${1:-/var/cache/mirelo-deps}
triple=${2:-i686-w64-mingw32}
case "$triple" in
    i686-w64-mingw32) processor=x86 ;;
    x86_64-w64-mingw32) processor=AMD64 ;;
    *) echo "build-mingw-deps.sh: unknown target $triple" >&2; exit 2 ;;
esac
prefix=$cache/$triple
stamp=$prefix/.complete-v2
[ -f "$stamp" ] && exit 0
# Several clones may share the cache: one builds, the others wait and find the stamp.
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
[ -f "$stamp" ] && exit 0

log() { printf 'setup: %s\n' "$*" >&2; }
as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Source indexes: derived from the binary sources this machine already uses, so that no archive
# host is ever named here.
enable_source_indexes() {
    local codename out=/etc/apt/sources.list.d/mirelo-deb-src.sources
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
    if apt-get indextargets 2>/dev/null | grep -q '^Identifier: Sources$'; then
        return 0
    fi
    log "enabling source indexes"
    local tmp
    tmp=$(mktemp)
    # One-line format: deb lines of the release become deb-src lines.
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        grep -E "^deb[[:space:]].*[[:space:]]$codename(-[a-z]+)?[[:space:]]" "$f" |
            sed -E 's/^deb([[:space:]])/deb-src\1/' >>"$tmp.list" || true
    done
    # deb822 format: stanzas of the release get Types: deb-src.
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        [ "$f" = "$out" ] && continue
        awk -v cn="$codename" '
            BEGIN { RS = ""; ORS = "\n\n" }
            /(^|\n)Types:[^\n]*deb/ && /(^|\n)Suites:[^\n]*/ {
                if ($0 !~ ("Suites:[^\n]*" cn)) next
                if ($0 ~ /(^|\n)Enabled:[[:space:]]*no/) next
                gsub(/(^|\n)#[^\n]*/, "")
                sub(/Types:[^\n]*/, "Types: deb-src")
                print
            }' "$f" >>"$tmp"
    done
    if [ -s "$tmp" ]; then as_root install -m 0644 "$tmp" "$out"; fi
    if [ -s "$tmp.list" ]; then as_root install -m 0644 "$tmp.list" /etc/apt/sources.list.d/mirelo-deb-src.list; fi
    rm -f "$tmp" "$tmp.list"
    as_root apt-get update -qq >/dev/null
}

enable_source_indexes

work=$cache/src-$triple
rm -rf "$work"
mkdir -p "$work" "$prefix"
cd "$work"
# The newest source of a package, or else an older version the archive still holds (a mirror may
# lack the newest security update's source).
fetch_source() {
    local package=$1 version
    apt-get source -qq --download-only "$package" >/dev/null 2>&1 && return 0
    for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -rV); do
        apt-get source -qq --download-only "$package=$version" >/dev/null 2>&1 && return 0
    done
    log "no source of $package could be fetched"
    return 1
}

log "fetching jsoncpp, pugixml and expat sources"
for package in libjsoncpp pugixml expat; do fetch_source "$package"; done
for dsc in *.dsc; do dpkg-source -x "$dsc" >/dev/null; done

common=(
    -G Ninja
    -DCMAKE_SYSTEM_NAME=Windows
    -DCMAKE_SYSTEM_PROCESSOR=$processor
    -DCMAKE_C_COMPILER=$triple-gcc-posix
    -DCMAKE_CXX_COMPILER=$triple-g++-posix
    -DCMAKE_RC_COMPILER=$triple-windres
    -DCMAKE_FIND_ROOT_PATH=/usr/$triple
    -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix"
    -DBUILD_SHARED_LIBS=OFF
)

log "building jsoncpp for $triple"
src=$(find "$work" -maxdepth 1 -type d -name '*jsoncpp-*' | head -1)
cmake -S "$src" -B "$work/build-jsoncpp" "${common[@]}" \
    -DBUILD_STATIC_LIBS=ON -DBUILD_OBJECT_LIBS=OFF \
    -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
    -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF >/dev/null
cmake --build "$work/build-jsoncpp" >/dev/null
cmake --install "$work/build-jsoncpp" >/dev/null

log "building pugixml for $triple"
src=$(find "$work" -maxdepth 1 -type d -name 'pugixml-*' | head -1)
cmake -S "$src" -B "$work/build-pugixml" "${common[@]}" -DPUGIXML_BUILD_TESTS=OFF >/dev/null
cmake --build "$work/build-pugixml" >/dev/null
cmake --install "$work/build-pugixml" >/dev/null

log "building expat for $triple"
src=$(find "$work" -maxdepth 1 -type d -name 'expat-*' | head -1)
cmake -S "$src/expat" -B "$work/build-expat" "${common[@]}" \
    -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF \
    -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF >/dev/null
# Debian's patches test "XML_DTD == 1", as its autotools build defines it; CMake defines it empty.
sed -i 's/^#define XML_DTD$/#define XML_DTD 1/' "$work/build-expat/expat_config.h"
cmake --build "$work/build-expat" >/dev/null
cmake --install "$work/build-expat" >/dev/null

rm -rf "$work"
touch "$stamp"
