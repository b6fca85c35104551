"""scripts/wine_log.py as the demo runs it: every log line is printed as soon as it is whole."""
from __future__ import annotations

import os
import pathlib
import select
import subprocess
import sys

import pytest

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / 'scripts' / 'wine_log.py'


def debugstr(text: bytes) -> bytes:
    """One line of Wine's stderr for an OutputDebugStringA call of the client."""
    escaped = ''.join(chr(b) if 32 <= b < 127 and b not in b'"\\' else f'\\x{b:02x}' for b in text)
    return f'0024:trace:debugstr:OutputDebugStringA "{escaped}"\n'.encode('latin-1')


def pieces(line: bytes) -> list[bytes]:
    """The pieces the client's logger writes for one line."""
    parts = [line[i:i + 64] for i in range(0, len(line), 64)] or [b'']
    return [(b'[Mirelo] ' if i == 0 else b'[Mirelo+] ') + part for i, part in enumerate(parts)]


@pytest.fixture
def filter_process():
    process = subprocess.Popen([sys.executable, str(SCRIPT), '--code-page', 'cp1252'], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, env={**os.environ, 'PYTHONIOENCODING': 'utf-8'})
    yield process
    process.kill()
    process.wait()


def write(process, *lines: bytes) -> None:
    for line in lines:
        process.stdin.write(line)
    process.stdin.flush()


def read_line(process, timeout: float) -> str | None:
    """One output line, or None when none came within the time."""
    ready, _, _ = select.select([process.stdout], [], [], timeout)
    return process.stdout.readline().decode('utf-8').rstrip('\n') if ready else None


@pytest.mark.parametrize('text', [b'dialog shown\n', b'CNotifyClient - Create', b'x' * 63, b'y' * 130 + b'\n'])
def test_the_newest_line_is_printed_before_anything_follows(filter_process, text):
    write(filter_process, b'0024:fixme:other:noise\n', *(debugstr(p) for p in pieces(text)))
    assert read_line(filter_process, 5) == '[Mirelo] ' + text.decode().rstrip('\n')


@pytest.mark.parametrize('length', [64, 128])
def test_a_line_of_whole_pieces_waits_only_a_moment_for_a_continuation(filter_process, length):
    text = bytes(ord('a') + i % 26 for i in range(length))
    write(filter_process, *(debugstr(p) for p in pieces(text)))
    assert read_line(filter_process, 5) == '[Mirelo] ' + text.decode()


def test_pieces_are_joined_across_separate_writes(filter_process):
    first, second = pieces(b'k' * 64 + b'\xb0\xa1 end\n')
    write(filter_process, debugstr(first))
    assert read_line(filter_process, 0.05) is None
    write(filter_process, debugstr(second))
    assert read_line(filter_process, 5) == '[Mirelo] ' + 'k' * 64 + '°¡ end'


def test_the_end_of_input_prints_what_is_left(filter_process):
    write(filter_process, debugstr(b'[Mirelo] ' + b'z' * 64))
    filter_process.stdin.close()
    assert read_line(filter_process, 5) == '[Mirelo] ' + 'z' * 64
    assert filter_process.wait(5) == 0
    assert os.read(filter_process.stdout.fileno(), 100) == b''


@pytest.mark.parametrize('locale, text', [('ko_KR.UTF-8', '종료'), ('ja_JP.UTF-8', '終了 バージョン情報'),
                                          ('zh_CN.UTF-8', '退出 关于'), ('en_US.UTF-8', 'café')])
def test_a_piece_cut_inside_a_double_byte_character_decodes_whole_in_each_locale(locale, text):
    sys.path.insert(0, str(SCRIPT.parent))
    from wine_log import code_page_of, parse_log
    line = ('x' * 63 + text).encode(code_page_of(locale))  # the first piece ends on a lead byte
    stderr = b''.join(debugstr(piece) for piece in pieces(line)).decode('latin-1')
    assert parse_log(stderr, code_page_of(locale)) == ['x' * 63 + text]
