#!/usr/bin/env bash
# Creates a Wine prefix ready for Mirelo's tests when it does not exist yet: booted, with the
# settings of wine-prefix.reg (no window manager to wait for, no audio device noise, the Windows
# font names the resources ask for mapped to installed fonts). A prefix made by an older version of this setup is brought up to date.
# Usage: wine-prefix.sh PREFIX
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
prefix=$1
locale=${LC_ALL:-${LANG:-C}}
# The Korean font names stay on Korean and other desktops and go on Japanese and Chinese ones.
case $locale in
    ja_* | zh_*) korean_faces=remove ;;
    *) korean_faces=keep ;;
esac
stamp=$({ cat "$here/wine-prefix.sh" "$here/wine-prefix.reg" "$here/wine-prefix-korean.reg"; echo "$korean_faces"; } |
    sha1sum | cut -c1-40)
ready() { [ "$(cat "$prefix/.mirelo-ready" 2>/dev/null)" = "$stamp" ]; }
ready && exit 0
mkdir -p "$prefix"
# Two test runs may ask for the same prefix at once: one creates it, the other waits.
exec 9>"$prefix/.mirelo-lock"
flock 9
ready && exit 0
source "$here/wine-env.sh"
export WINEPREFIX=$prefix
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=,winedbg.exe=d"}
export WINEDEBUG=-all
timeout 180 wineboot -i >/dev/null 2>&1
# Wine's own fonts (Marlett draws the title-bar buttons, Tahoma is "MS Shell Dlg"; Debian's
# fonts-wine): Wine does not load them from its data folder here, so the prefix's Fonts folder links them.
for font in /usr/share/wine/fonts/*; do
    [ -e "$font" ] && ln -sf "$font" "$prefix/drive_c/windows/Fonts/"
done
# The settings of wine-prefix.reg and wine-prefix-korean.reg in one regedit run. regedit reads a
# Unicode file whatever the prefix's code page: UTF-16 with its byte-order mark.
settings=$prefix/.mirelo-prefix.reg
{
    printf '\xff\xfe'
    {
        cat "$here/wine-prefix.reg"
        if [ "$korean_faces" = keep ]; then
            sed 1d "$here/wine-prefix-korean.reg"
        else
            sed -e 1d -e 's/^\("[^"]*"\)=.*/\1=-/' "$here/wine-prefix-korean.reg"
        fi
    } | iconv -f UTF-8 -t UTF-16LE
} >"$settings"
timeout 60 wine regedit /S "$(winepath -w "$settings")" >/dev/null 2>&1
timeout 60 wineserver -w || true
echo "$stamp" >"$prefix/.mirelo-ready"
