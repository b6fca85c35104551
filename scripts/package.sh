#!/usr/bin/env bash
# Builds what an administrator rolls out:
#   client  Mirelo-Setup-<version>.exe, the Windows installer (NSIS), from the win32 build
#   server  vocelink-server_<version>_<arch>.deb, the speech server for a Debian host, with its systemd unit
# Usage: package.sh [--no-build] [--ini FILE] [--out DIR] [--target T] [--windows-dir DIR] [--native-dir DIR]
#                   [client] [server]      (neither client nor server: both)
#   --ini FILE      the program-folder Mirelo.ini to ship (server address, macros, settings Version)
#                   instead of the one from the build
#   --no-build      package what the build folders hold, without building first
#   --out DIR       where the packages go (default build/packages)
#   --target T      the Windows build to package: win32 (shipped), or win64, whose 64-bit installer
#                   Mirelo-Setup-<version>-x64.exe is for Wine where 32-bit programs cannot run
#   --windows-dir DIR  that build's folder (default build/<target>)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/packages
target=win32
windows_dir=''
native_dir=$root/build/native
ini=''
build=1
want_client=0
want_server=0

die() { printf 'package: %s\n' "$*" >&2; exit 1; }

while [ $# -gt 0 ]; do
    case $1 in
        --no-build) build=0 ;;
        --ini) ini=$(realpath "${2:?--ini needs a file}"); shift ;;
        --out) out=${2:?--out needs a folder}; shift ;;
        --target) target=${2:?--target needs win32 or win64}; shift ;;
        --windows-dir) windows_dir=$(realpath "${2:?--windows-dir needs a folder}"); shift ;;
        --native-dir) native_dir=$(realpath "${2:?--native-dir needs a folder}"); shift ;;
        client) want_client=1 ;;
        server) want_server=1 ;;
        -h|--help) sed -n '2,14s/^# \{0,1\}//p' "$0"; exit 0 ;;
        *) die "unknown argument $1 (try --help)" ;;
    esac
    shift
done
if [ $want_client -eq 0 ] && [ $want_server -eq 0 ]; then want_client=1; want_server=1; fi
case $target in win32|win64) ;; *) die "unknown target $target (win32 or win64)" ;; esac
windows_dir=${windows_dir:-$root/build/$target}
mkdir -p "$out"
out=$(realpath "$out")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

read_version() {
    local file=$1/version.txt version
    [ -f "$file" ] || die "$file is missing: configure that build first"
    version=$(tr -d '\r\n' <"$file")
    [[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || die "unexpected version '$version' in $file"
    printf '%s' "$version"
}

# The program-folder INI must carry the settings Version (it decides whether users' settings are
# re-seeded) and the "Macro" section the client expands names from.
check_program_ini() {
    local file=$1
    awk 'BEGIN { section = "" }
         { sub(/\r$/, "") }
         /^\[/ { section = $0; if (section == "[Macro]") macro = 1; next }
         section == "[Server]" && /^Version=[^ ]/ { version = 1 }
         END { exit !(version && macro) }' "$file" ||
        die "$file needs a Version in [Server] and a [Macro] section"
}

# The machine a Windows program is built for, from its PE header: i386 or amd64.
pe_machine() {
    local offset
    offset=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    case $(od -An -tx2 -j$((offset + 4)) -N2 "$1" | tr -d ' ') in
        014c) echo i386 ;;
        8664) echo amd64 ;;
        *) die "$1 is not a Windows program for i386 or amd64" ;;
    esac
}

package_client() {
    if [ $build -eq 1 ]; then
        (cd "$root" && cmake --preset "$target" >/dev/null && cmake --build --preset "$target")
    fi
    local version list stage name source
    version=$(read_version "$windows_dir")
    list=$windows_dir/program-files.txt
    [ -f "$list" ] || die "$list is missing: build the $target configuration first"
    stage=$work/client
    mkdir -p "$stage"
    : >"$stage/files.nsh"
    : >"$stage/delete.nsh"
    while IFS= read -r name; do
        name=${name%$'\r'}
        [ -n "$name" ] || continue
        [[ $name =~ ^[A-Za-z0-9][A-Za-z0-9._-]*$ ]] || die "unexpected file name '$name' in $list"
        source=$windows_dir/$name
        if [ "$name" = Mirelo.ini ] && [ -n "$ini" ]; then source=$ini; fi
        [ -f "$source" ] || die "$source is missing"
        if [ "$name" = Mirelo.ini ]; then check_program_ini "$source"; fi
        printf 'File "/oname=%s" "%s"\n' "$name" "$source" >>"$stage/files.nsh"
        # shellcheck disable=SC2016  # $INSTDIR is the installer's variable
        printf 'Delete "$INSTDIR\\%s"\n' "$name" >>"$stage/delete.nsh"
    done <"$list"
    grep -q '"/oname=Mirelo.exe"' "$stage/files.nsh" || die "$list does not name Mirelo.exe"

    # The installer is built for the machine of the programs it carries.
    local machine setup=$out/Mirelo-Setup-$version.exe
    machine=$(pe_machine "$windows_dir/Mirelo.exe")
    case $target/$machine in
        win32/i386) set -- ;;
        win64/amd64) set -- -DWIN64; setup=$out/Mirelo-Setup-$version-x64.exe ;;
        *) die "$windows_dir/Mirelo.exe is built for $machine, not for $target" ;;
    esac
    makensis -V2 -WX -INPUTCHARSET UTF8 "$@" \
        "-DVERSION=$version" "-DOUT_FILE=$setup" "-DICON=$root/client/resources/icons/mirelo.ico" \
        "-DFILES_NSH=$stage/files.nsh" "-DDELETE_NSH=$stage/delete.nsh" \
        "$root/installer/mirelo.nsi" >&2
    printf '%s\n' "$setup"
}

package_server() {
    if [ $build -eq 1 ]; then
        (cd "$root" && cmake --preset native >/dev/null && cmake --build --preset native --target vocelink-server)
    fi
    local version arch stage pkg binary depends
    version=$(read_version "$native_dir")
    arch=$(dpkg --print-architecture)
    binary=$native_dir/vocelink-server
    [ -x "$binary" ] || die "$binary is missing: build the native configuration first"
    stage=$work/server
    pkg=$stage/vocelink-server
    local files=$root/installer/vocelink-server
    install -D -m 755 "$binary" "$pkg/usr/bin/vocelink-server"
    strip --strip-unneeded "$pkg/usr/bin/vocelink-server"
    install -D -m 644 "$files/vocelink-server.service" "$pkg/lib/systemd/system/vocelink-server.service"
    install -D -m 644 "$files/default" "$pkg/etc/default/vocelink-server"
    install -d "$pkg/DEBIAN"
    install -m 755 "$files/postinst" "$files/prerm" "$files/postrm" "$pkg/DEBIAN/"
    printf '/etc/default/vocelink-server\n' >"$pkg/DEBIAN/conffiles"

    # The shared libraries the binary needs, as dpkg-shlibdeps names them.
    mkdir -p "$stage/shlibs/debian"
    printf 'Source: vocelink-server\n\nPackage: vocelink-server\nArchitecture: any\n' >"$stage/shlibs/debian/control"
    depends=$(cd "$stage/shlibs" && dpkg-shlibdeps -O "$pkg/usr/bin/vocelink-server" 2>/dev/null |
        sed -n 's/^shlibs:Depends=//p')
    [ -n "$depends" ] || die "dpkg-shlibdeps found no dependencies of $binary"
    sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@DEPENDS@/$depends/" \
        -e "s/@SIZE@/$(du -sk --exclude=DEBIAN "$pkg" | cut -f1)/" \
        "$files/control.in" >"$pkg/DEBIAN/control"

    local deb=$out/vocelink-server_${version}_$arch.deb
    dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null
    printf '%s\n' "$deb"
}

if [ $want_client -eq 1 ]; then package_client; fi
if [ $want_server -eq 1 ]; then package_server; fi
