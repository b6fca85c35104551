"""stand-in.exe under Wine: windows of other programs of the suite, and what they received; and the
check programs that call into PingoProxy and the client's forwarding code.

The stand-in logs every window it made ("window index=I hwnd=0x... class=C parent=P"), whether the
z-order of siblings is their creation order, "ready", and one line per WM_COPYDATA received.
"""
from __future__ import annotations

import dataclasses
import pathlib
import re
import subprocess

from wine_session import WineSession, kill_group, wait_until

WINDOW = re.compile(r'^window index=(\d+) hwnd=0x([0-9a-f]+) class=(\S+) parent=(-?\d+)$')
COPYDATA = re.compile(r'^copydata code=(\d+) bytes=(\d+) hex=([0-9a-f]*)'
                      r'(?: window=(-?\d+) class=(\S+) hwnd=0x([0-9a-f]+))?$')


@dataclasses.dataclass(frozen=True)
class Window:
    index: int
    hwnd: int
    cls: str
    parent: int


@dataclasses.dataclass(frozen=True)
class CopyData:
    code: int
    byte_count: int
    data: bytes
    window: int | None


def windows_path(path: pathlib.Path) -> str:
    return 'Z:' + str(path).replace('/', '\\')


class StandIn:
    """One running stand-in.exe."""

    def __init__(self, wine: WineSession, inspector, tools_dir: pathlib.Path, logs: pathlib.Path, name: str,
                 *args: str):
        self.inspector = inspector
        self.log_path = logs / f'{name}.log'
        self.log_path.unlink(missing_ok=True)
        exe = tools_dir / 'stand-in.exe'
        self.process = wine.popen([str(exe), *args, '--log', windows_path(self.log_path)], logs / f'{name}.stderr')

    def wait_ready(self) -> None:
        wait_until(lambda: 'ready' in self.lines() or self.process.poll() is not None, 30)
        assert 'ready' in self.lines(), f'stand-in.exe not ready (exit code {self.process.poll()}): {self.lines()}'

    def stop(self) -> None:
        """Closes the stand-in as a user would (WM_CLOSE to its first window); kills it when that fails."""
        top = [w for w in self.windows() if w.parent < 0]
        if top and self.process.poll() is None:
            self.inspector.close(hwnd=top[0].hwnd, wait_ms=5000)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        kill_group(self.process)

    def lines(self) -> list[str]:
        if not self.log_path.exists():
            return []
        return self.log_path.read_text(encoding='latin-1').splitlines()

    def windows(self) -> list[Window]:
        found = (WINDOW.match(line) for line in self.lines())
        return [Window(int(m[1]), int(m[2], 16), m[3], int(m[4])) for m in found if m]

    def received(self) -> list[CopyData]:
        found = (COPYDATA.match(line) for line in self.lines())
        return [CopyData(int(m[1]), int(m[2]), bytes.fromhex(m[3]), int(m[4]) if m[4] else None)
                for m in found if m]

    def wait_received(self, count: int, timeout: float = 20) -> list[CopyData]:
        wait_until(lambda: len(self.received()) >= count, timeout)
        return self.received()


class StandInDesktop:
    """The stand-ins and check programs of one test. Their logs and output go to the test's own folder;
    every stand-in is ended when the test is over."""

    def __init__(self, wine: WineSession, inspector, tools_dir: pathlib.Path, work_dir: pathlib.Path, test_name: str):
        self.wine, self.inspector, self.tools_dir = wine, inspector, tools_dir
        self.logs = work_dir / 'logs' / re.sub(r'[^A-Za-z0-9_.-]+', '_', test_name)[:80]
        self.logs.mkdir(parents=True, exist_ok=True)
        self.started: list[StandIn] = []
        self.runs = 0

    def __enter__(self) -> StandInDesktop:
        return self

    def __exit__(self, *exc) -> None:
        for stand_in in self.started:
            stand_in.stop()

    def start(self, mode: str, *args: str) -> StandIn:
        """Starts `stand-in.exe MODE ARGS` and waits until it is ready; with several windows their
        siblings must lie in z-order as they were created."""
        stand_in = StandIn(self.wine, self.inspector, self.tools_dir, self.logs, f'{mode}{len(self.started)}', mode,
                           *args)
        self.started.append(stand_in)
        stand_in.wait_ready()
        if stand_in.windows():
            assert 'z-order as created' in stand_in.lines()
        return stand_in

    def run_check(self, exe: pathlib.Path, *args, timeout: float = 60, debug: bool = False) -> tuple[str, bytes]:
        """Runs a check program that must succeed; returns its standard output (with plain line ends) and
        its stderr. Both go through files: Wine's system processes, started by the first program of a
        session, inherit them and would hold pipes open long after the program ended."""
        if not exe.exists():
            raise AssertionError(f'{exe.name} is not built in {exe.parent}')
        self.runs += 1
        out_path = self.logs / f'{exe.stem}-{self.runs}.stdout'
        err_path = self.logs / f'{exe.stem}-{self.runs}.stderr'
        command = ['timeout', '--kill-after=5', str(int(timeout)), 'wine', str(exe), *[str(a) for a in args]]
        with open(out_path, 'wb') as out, open(err_path, 'wb') as err:
            code = subprocess.run(command, env=self.wine.env(debug=debug), stdout=out, stderr=err,
                                  timeout=timeout + 15).returncode
        output = out_path.read_bytes().decode(errors='replace').replace('\r\n', '\n')
        stderr = err_path.read_bytes()
        assert code == 0, output + stderr.decode(errors='replace')
        return output, stderr


def search_order(windows: list[Window], pattern: str) -> list[int]:
    """Indexes of the windows whose class contains the pattern, in the order a search from the desktop
    meets them: depth first, every window's descendants before the window itself, siblings in z-order
    (which the stand-in makes its creation order)."""
    children: dict[int, list[int]] = {}
    for window in windows:
        children.setdefault(window.parent, []).append(window.index)
    order: list[int] = []

    def visit(parent: int) -> None:
        for index in children.get(parent, []):
            visit(index)
            if pattern in windows[index].cls:
                order.append(index)

    visit(-1)
    return order
