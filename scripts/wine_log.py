#!/usr/bin/env python3
"""Decodes the client's "[Mirelo] " debug lines from Wine's stderr (WINEDEBUG=+debugstr).

As a program it filters stdin to stdout, one decoded line per debug line, printed as soon as it is
whole:
    wine Mirelo.exe 2>&1 | scripts/wine_log.py --code-page cp949
"""
from __future__ import annotations

import argparse
import os
import re
import select
import sys

# Wine cuts a long debug string after about 300 characters and marks the cut with "...". With
# WINEDEBUG=+timestamp each line starts with the time in seconds.
DEBUGSTR = re.compile(r'^(?: *\d+\.\d+:)?[0-9a-f]+:(?:warn|trace|fixme|err):debugstr:OutputDebugStringA "(.*)"(\.\.\.)?$')
_SIMPLE_ESCAPES = {'n': 10, 'r': 13, 't': 9, '\\': 92, '"': 34, '0': 0}
# The client writes a long line in pieces of this many bytes (client/win/log.cpp): a shorter piece
# ends its line, a full one may be continued by a "[Mirelo+] " piece.
PIECE_BYTES = 64
# A full piece that nothing continues within this time ended its line.
QUIET_SECONDS = 0.2


# The ANSI code page Wine derives from each locale the tests run in.
_CODE_PAGES = {'ko_KR': 'cp949', 'ja_JP': 'cp932', 'zh_CN': 'gbk'}


def code_page_of(locale: str) -> str:
    return _CODE_PAGES.get(locale.split('.')[0], 'cp1252')


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


def debug_bytes(raw: str) -> tuple[bytes, bool] | None:
    """The bytes of one debug-string line and whether Wine cut it; None for other lines."""
    m = DEBUGSTR.match(raw.rstrip('\n'))
    if not m:
        return None
    return unescape_debugstr(m.group(1)), bool(m.group(2))


class LogJoiner:
    """Joins the pieces of long "[Mirelo] " lines ("[Mirelo+] " continues the line before)."""

    def __init__(self, code_page: str):
        self.code_page = code_page
        self.pending: bytearray | None = None
        self.cut = False

    def feed(self, raw: str) -> list[str]:
        """Takes one stderr line; returns the log lines it completed."""
        parsed = debug_bytes(raw)
        if parsed is None:
            return []
        data, cut = parsed
        done: list[str] = []
        if data.startswith(b'[Mirelo+] ') and self.pending is not None:
            piece = data[len(b'[Mirelo+] '):]
            self.pending += piece
            self.cut = self.cut or cut
        elif data.startswith((b'[Mirelo] ', b'[Mirelo+] ')):
            # A continuation with nothing to continue (its line was already printed) stands alone.
            done = self.flush()
            piece = data.split(b'] ', 1)[1]
            self.pending = bytearray(piece)
            self.cut = cut
        else:
            return []
        if len(piece) < PIECE_BYTES and not cut:
            done += self.flush()
        return done

    def flush(self) -> list[str]:
        if self.pending is None:
            return []
        text = bytes(self.pending).decode(self.code_page, errors='replace').rstrip('\r\n')
        if self.cut:
            text += '...'
        self.pending = None
        return [text]


def parse_log(stderr_text: str, code_page: str) -> list[str]:
    joiner = LogJoiner(code_page)
    lines: list[str] = []
    for raw in stderr_text.splitlines():
        lines += joiner.feed(raw)
    return lines + joiner.flush()


def stdin_lines(quiet: float):
    """Lines of stdin as they come, decoded as latin-1; None after `quiet` seconds without input."""
    fd = sys.stdin.fileno()
    buffer = b''
    while True:
        while b'\n' in buffer:
            line, buffer = buffer.split(b'\n', 1)
            yield line.decode('latin-1')
        ready, _, _ = select.select([fd], [], [], quiet)
        if not ready:
            yield None
            continue
        chunk = os.read(fd, 65536)
        if not chunk:
            if buffer:
                yield buffer.decode('latin-1')
            return
        buffer += chunk


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--code-page', default='cp949', help='ANSI code page of the client (cp949, cp1252)')
    args = parser.parse_args()
    joiner = LogJoiner(args.code_page)
    for raw in stdin_lines(QUIET_SECONDS):
        lines = joiner.flush() if raw is None else joiner.feed(raw)
        for line in lines:
            print(f'[Mirelo] {line}', flush=True)
    for line in joiner.flush():
        print(f'[Mirelo] {line}', flush=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
