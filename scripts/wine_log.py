#!/usr/bin/env python3
"""Decodes the client's "[Mirelo] " debug lines from Wine's stderr (WINEDEBUG=+debugstr).

As a program it filters stdin to stdout, one decoded line per debug line:
    wine Mirelo.exe 2>&1 | scripts/wine_log.py --code-page cp949
"""
from __future__ import annotations

import argparse
import re
import sys

# Wine cuts a long debug string after about 300 characters and marks the cut with "...".
DEBUGSTR = re.compile(r'^[0-9a-f]+:(?:warn|trace|fixme|err):debugstr:OutputDebugStringA "(.*)"(\.\.\.)?$')
_SIMPLE_ESCAPES = {'n': 10, 'r': 13, 't': 9, '\\': 92, '"': 34, '0': 0}


def code_page_of(locale: str) -> str:
    return 'cp949' if locale.startswith('ko_KR') else 'cp1252'


def unescape_debugstr(text: str) -> bytes:
    """Turns Wine's escaped rendering of a debug string back into the bytes the program wrote."""
    out = bytearray()
    i = 0
    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            n = text[i + 1]
            if n == 'x' and i + 4 <= len(text):
                out.append(int(text[i + 2:i + 4], 16))
                i += 4
                continue
            if n in _SIMPLE_ESCAPES:
                out.append(_SIMPLE_ESCAPES[n])
                i += 2
                continue
        out.extend(c.encode('latin-1', errors='replace'))
        i += 1
    return bytes(out)


def decode_line(raw: str, code_page: str) -> str | None:
    """The text of one "[Mirelo] " debug line without prefix and line end, or None for other lines."""
    m = DEBUGSTR.match(raw.rstrip('\n'))
    if not m:
        return None
    text = unescape_debugstr(m.group(1)).decode(code_page, errors='replace').rstrip('\r\n')
    if m.group(2):
        text += '...'
    return text[len('[Mirelo] '):] if text.startswith('[Mirelo] ') else None


def parse_log(stderr_text: str, code_page: str) -> list[str]:
    return [line for line in (decode_line(raw, code_page) for raw in stderr_text.splitlines()) if line is not None]


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--code-page', default='cp949', help='ANSI code page of the client (cp949, cp1252)')
    args = parser.parse_args()
    for raw in sys.stdin.buffer:
        line = decode_line(raw.decode('latin-1'), args.code_page)
        if line is not None:
            print(f'[Mirelo] {line}', flush=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
