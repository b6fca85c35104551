#!/usr/bin/env bash
# Prints the Windows build that this machine runs under Wine: "win32" (the shipped i686 binaries)
# where the kernel runs 32-bit programs, "win64" (the same sources built for x86_64) where it does
# not: some sandboxed kernels refuse 32-bit ELF, and then Debian's 32-bit Wine cannot start.
# MIRELO_WINE_TARGET=win32|win64 overrides the probe.
set -euo pipefail

if [ -n "${MIRELO_WINE_TARGET:-}" ]; then
    echo "$MIRELO_WINE_TARGET"
    exit 0
fi

# A minimal static i386 ELF program that only calls exit(0).
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'\
'\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'\
'\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08'\
'\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00'\
'\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
chmod +x "$probe"
if "$probe" 2>/dev/null; then echo win32; else echo win64; fi
