"""Watching Mirelo.exe through a flood of notifications: when each pop-up showed and closed (from Wine's
time-stamped debug lines) and what the process holds (threads, handles, USER and GDI objects, memory).
Shared by the flood test and bench/flood."""
from __future__ import annotations

import dataclasses
import json
import os
import pathlib
import re
import socket
import time

# Wine puts the time in seconds before each debug line.
TIMESTAMPED = {'WINEDEBUG': '-all,+debugstr,+timestamp'}
_POPUP = re.compile(r'^ *(\d+\.\d+):[0-9a-f]+:[a-z]+:debugstr:OutputDebugStringA "\[Mirelo\] pop-up (\w+) (shown|closed)')


def popup_events(stderr_path: pathlib.Path, family: str) -> list[tuple[float, str]]:
    """(seconds, 'shown' or 'closed') of every pop-up of the family, in the order logged."""
    events = []
    with open(stderr_path, encoding='latin-1') as log:
        for line in log:
            m = _POPUP.match(line)
            if m and m[2] == family:
                events.append((float(m[1]), m[3]))
    return events


def show_to_close_ms(events: list[tuple[float, str]]) -> tuple[list[float], int]:
    """The delays of the pop-ups that closed, in milliseconds, and how many are still open. Pop-ups of
    one family live equally long, so they close in the order they showed."""
    shown: list[float] = []
    delays = []
    for at, what in events:
        if what == 'shown':
            shown.append(at)
        elif shown:
            delays.append((at - shown.pop(0)) * 1000)
    return delays, len(shown)


def percentile(values: list[float], share: float) -> float:
    if not values:
        return float('nan')
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


@dataclasses.dataclass
class ProcessStats:
    threads: int
    handles: int | None  # None where the system does not count them (Wine)
    user_objects: int | None
    gdi_objects: int | None
    windows: int
    rss_kb: int | None
    # What stands in where Wine counts nothing: the used entries of the process's GDI handle table, and
    # the Linux file descriptors of the Wine process (Wine's handles live in its server).
    gdi_table: int | None = None
    linux_fds: int | None = None
    # The used entries of the GDI handle table by object type ('dc', 'region', 'bitmap', 'font', ...;
    # 'stock' for the stock objects).
    gdi_types: dict[str, int] = dataclasses.field(default_factory=dict)


def linux_pid(prefix: pathlib.Path, exe_name: str) -> int | None:
    """The Linux process that runs `exe_name` in this Wine prefix."""
    wanted = f'WINEPREFIX={prefix}'.encode()
    for entry in pathlib.Path('/proc').iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if exe_name.encode() not in (entry / 'cmdline').read_bytes():
                continue
            if wanted in (entry / 'environ').read_bytes().split(b'\0'):
                return int(entry.name)
        except OSError:
            continue
    return None


def rss_kb(pid: int | None) -> int | None:
    if pid is None:
        return None
    try:
        status = pathlib.Path(f'/proc/{pid}/status').read_text()
    except OSError:
        return None
    m = re.search(r'^VmRSS:\s+(\d+) kB', status, re.M)
    return int(m[1]) if m else None


def process_stats(session, tools_dir: pathlib.Path, exe_name: str = 'Mirelo.exe') -> ProcessStats | None:
    """What the program holds, as win-inspect sees it from inside the prefix, with its resident memory."""
    result = session.run([str(tools_dir / 'win-inspect.exe'), 'process', '--name', exe_name], timeout=60)
    try:
        found = json.loads(result.stdout.decode('utf-8'))
    except ValueError:
        return None
    if not found.get('ok'):
        return None
    pid = linux_pid(session.prefix, exe_name)
    return ProcessStats(found['threads'], found['handles'] or found.get('native_handles'), found['user_objects'],
                        found['gdi_objects'], found['windows'], rss_kb(pid), found.get('gdi_table'), linux_fds(pid),
                        found.get('gdi_types', {}))


def linux_fds(pid: int | None) -> int | None:
    """The file descriptors of the Linux process."""
    return _entries(pid, 'fd')


def linux_threads(pid: int | None) -> int | None:
    """The threads of the Linux process (Wine's own included): cheap enough to sample during a flood."""
    return _entries(pid, 'task')


def _entries(pid: int | None, folder: str) -> int | None:
    if pid is None:
        return None
    try:
        return len(os.listdir(f'/proc/{pid}/{folder}'))
    except OSError:
        return None


def mail_datagram(sender) -> bytes:
    """One mail notification as the server sends it (kind 2, with a View function and URL)."""
    result = sender.run('mail', '--sender', 'Kim Cheolsu (R&D)', '--subject', 'Flood', '--function', 'f',
                        '--url', 'http://gw.example/m', '--port', '1', '--dry-run')
    return bytes.fromhex(result.stdout.decode().split()[0])


def send_steadily(datagram: bytes, port: int, count: int, rate: float) -> float:
    """Sends `count` datagrams to the loopback port at `rate` per second; returns how late the last one
    went, in seconds."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        start = time.monotonic()
        for i in range(count):
            due = start + i / rate
            now = time.monotonic()
            if due > now:
                time.sleep(due - now)
            s.sendto(datagram, ('127.0.0.1', port))
        return time.monotonic() - (start + (count - 1) / rate)


def gave_way_count(stderr_path: pathlib.Path, kind: int) -> int:
    """Notifications of the kind whose pop-up gave way to newer ones waiting behind them."""
    needle = f'pop-up of kind {kind} not shown: '.encode()
    return stderr_path.read_bytes().count(needle)


def closed_count(stderr_path: pathlib.Path, family: str) -> int:
    return sum(1 for _, what in popup_events(stderr_path, family) if what == 'closed')
