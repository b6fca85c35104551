#!/usr/bin/env python3
"""Fails when a platform-free source file includes a Windows header.

Platform-free files are the C/C++ sources under client/ and vocelink/ whose names do not end in
_win.cpp/_win.h and which do not live in a win/ folder.
"""
import pathlib
import re
import sys

WINDOWS_HEADERS = re.compile(
    r'^\s*#\s*include\s*[<"](windows|winsock2?|ws2tcpip|wininet|shellapi|commctrl|mmsystem|objbase|'
    r'shlobj|ole2|oleauto|exdisp|winreg|winuser|winbase|tchar|afx\w*)\.h[>"]',
    re.IGNORECASE | re.MULTILINE,
)


def is_platform_free(path: pathlib.Path, root: pathlib.Path) -> bool:
    rel = path.relative_to(root).as_posix()
    if re.search(r'_win\.(cpp|h|hpp)$', rel):
        return False
    return '/win/' not in f'/{rel}'


def main() -> int:
    root = pathlib.Path(sys.argv[1]).resolve()
    offenders = []
    checked = 0
    for top in ('client', 'vocelink'):
        for path in sorted((root / top).rglob('*')):
            if path.suffix not in ('.cpp', '.h', '.hpp', '.c') or not is_platform_free(path, root):
                continue
            checked += 1
            if WINDOWS_HEADERS.search(path.read_text(encoding='utf-8', errors='replace')):
                offenders.append(path.relative_to(root).as_posix())
    for name in offenders:
        print(f'Windows header in platform-free file: {name}')
    print(f'{checked} platform-free files checked, {len(offenders)} offending')
    return 1 if offenders or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main())
