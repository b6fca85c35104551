#!/usr/bin/env python3
"""Mirelo.exe against the minimal baseline notifier under one warm Wine: start-up, pop-ups, memory.

Both programs run in the same Wine prefix and wineserver, alternating run by run, and are timed by
the same Windows-side probe (bench-probe.exe, QueryPerformanceCounter):
  - start-up: from CreateProcess until the tray icon exists and the UDP port is taken;
  - first pop-up: a datagram sent as soon as the program is ready, until its window is visible,
    the families taken in turn;
  - pop-up: the same for a running program, for every pop-up family;
  - memory: Mirelo's resident memory after 1,000 notifications against after the first 100, every
    pop-up closed by the probe as soon as it was seen.
Prints every figure with its goal and whether it is met ("RESULT" lines, read by scripts/bench.sh).
Needs the native and the Windows builds. Usage: bench/probe/compare.py [--runs N] [--memory N]
"""
from __future__ import annotations

import argparse
import os
import pathlib
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / 'tests' / 'e2e'))

from mirelo_client import MireloInstall, free_port, payload  # noqa: E402
from sender import Sender  # noqa: E402
from wine_session import WineSession, kill_group, windows_build_dir  # noqa: E402

# One datagram per pop-up family, as mirelo-send builds them.
FAMILIES = {
    'bbs': ['bbs', '--poster', 'Lee', '--board', 'Notices', '--title', 'Office move', '--function', 'OpenBBS',
            '--url', 'http://gw/bbs?id=1'],
    'mail': ['mail', '--sender', 'Kim', '--subject', 'Quarterly report', '--function', 'OpenMail',
             '--url', 'http://gw/mail?id=7'],
    'schedule': ['schedule', '--requester', 'Park', '--subject', 'Weekly meeting'],
    'approval': ['approval', '--kind', '4', '--doc-kind', '8', '--action', '1', '--drafter', 'Choi',
                 '--subject', 'Budget 2027'],
    'message': ['message', '--kind', '8', '--subject', 'Server maintenance', '--body', 'Restart at 18:00.'],
    'notice': ['notice', '--sender', 'Help desk', '--text', 'Closed on Friday'],
    'notifier': ['notice', '--sender', 'Help desk', '--animated', '--header', 'Fire drill', '--icon', 'sancavi.avi',
                 '--text1', 'Use the stairs'],
    'alert': ['alert', '--title', 'Fire drill', '--message', 'Car park at 15:00', '--sender', 'Kim',
              '--href', 'http://gw/a?id=3'],
}

GOAL_START = 1.2
GOAL_POPUP = 1.3
GOAL_POPUP_MS = 8.0
GOAL_MEMORY_MB = 2.0


def capture_datagrams(sender: Sender, folder: pathlib.Path) -> dict[str, pathlib.Path]:
    """Each family's datagram as mirelo-send sends it, kept as a file the probe sends."""
    files = {}
    port = free_port()
    with sender.listen(port) as listener:
        for index, (family, args) in enumerate(FAMILIES.items()):
            sender.run(*args, '--port', port)
            datagrams = listener.wait_for(index + 1)
            if len(datagrams) != index + 1:
                raise RuntimeError(f'mirelo-send {family} sent nothing')
            files[family] = folder / f'{family}.bin'
            files[family].write_bytes(datagrams[-1])
    return files


class Bench:
    def __init__(self, session: WineSession, folder: pathlib.Path):
        self.session = session
        self.folder = folder
        self.output = folder / 'probe.out'

    def probe(self, *args: str, timeout: float = 600) -> list[str]:
        """Runs bench-probe.exe; its output goes through a file, since the programs it starts keep
        the standard handles they inherited."""
        with open(self.output, 'wb') as out, open(self.folder / 'probe.err', 'ab') as err:
            subprocess.run(['timeout', '--kill-after=5', str(int(timeout)), 'wine',
                            str(self.folder / 'bench-probe.exe'), *args],
                           env=self.session.env(debug=bool(os.environ.get('BENCH_DEBUG'))), stdin=subprocess.DEVNULL, stdout=out,
                           stderr=err, cwd=self.folder, timeout=timeout + 15)
        return self.output.read_text(errors='replace').splitlines()

    def start(self, port: int, command: list[str], datagram: pathlib.Path | None) -> dict[str, float]:
        args = ['start', str(port)]
        if datagram is not None:
            args += ['--datagram', self.session.windows_path(datagram)]
        lines = self.probe(*args, '--', *command, timeout=120)
        result: dict[str, float] = {}
        for line in lines:
            words = line.split()
            if words and words[0] in ('start', 'popup'):
                for word in words[1:]:
                    name, _, value = word.partition('=')
                    result[name if words[0] == 'start' else 'popup_ms'] = float(value)
        if 'ready_ms' not in result or result['ready_ms'] < 0:
            errors = (self.folder / 'probe.err').read_bytes().decode('latin-1')[-3000:]
            raise RuntimeError(f'{command[0]} did not start: {lines}\n{errors}')
        return result

    def popups(self, port: int, pid: int, files: list[pathlib.Path], repeat: int | None = None) -> list[float]:
        args = ['popup', str(port), str(pid)]
        if repeat is not None:
            args += ['--repeat', str(repeat)]
        lines = self.probe(*args, *(self.session.windows_path(f) for f in files))
        times = [float(line.split('=')[1]) for line in lines if line.startswith('popup ms=')]
        if len(times) != (repeat or len(files)):
            raise RuntimeError(f'pop-ups not all seen: {lines[-5:]}')
        return times

    def close(self, pid: int) -> None:
        self.probe('close', str(pid), timeout=60)


def resident_kb(port: int) -> int:
    """VmRSS of the Wine process of Mirelo.exe started with this port."""
    for proc in pathlib.Path('/proc').iterdir():
        if not proc.name.isdigit():
            continue
        try:
            cmdline = (proc / 'cmdline').read_bytes().replace(b'\0', b' ').decode('latin-1')
            if 'Mirelo.exe' in cmdline and f',{port},' in cmdline:
                for line in (proc / 'status').read_text().splitlines():
                    if line.startswith('VmRSS:'):
                        return int(line.split()[1])
        except OSError:
            continue
    raise RuntimeError('Mirelo.exe process not found')


def median(values: list[float]) -> float:
    return statistics.median(values) if values else float('nan')


def result(name: str, value: str, goal: str, met: bool) -> None:
    print(f'RESULT {name} | {value} | {goal} | {"met" if met else "NOT met"}')


def ratio_line(name: str, mirelo: list[float], baseline: list[float], goal: float, absolute: float | None = None):
    m, b = median(mirelo), median(baseline)
    ratio = m / b if b > 0 else float('inf')
    met = ratio <= goal and (absolute is None or m < absolute)
    goal_text = f'<= {goal} x baseline' + (f' and < {absolute:g} ms' if absolute is not None else '')
    result(name, f'Mirelo {m:.1f} ms, baseline {b:.1f} ms, ratio {ratio:.2f} (n={len(mirelo)}/{len(baseline)})',
           goal_text, met)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--runs', type=int, default=20, help='runs of each program per figure (at least 20)')
    parser.add_argument('--memory', type=int, default=1000, help='notifications of the memory run (0: none)')
    parser.add_argument('--locale', default='ko_KR.UTF-8')
    args = parser.parse_args()

    win = windows_build_dir()
    sender = Sender(REPO / 'build' / 'native')
    with tempfile.TemporaryDirectory(prefix='mirelo-compare-', dir=os.environ.get('BENCH_KEEP')) as work:
        session = WineSession(pathlib.Path(work), args.locale)
        session.start()
        hold = None
        try:
            folder = session.drive_c / 'bench'
            folder.mkdir()
            for name in ('bench-probe.exe', 'baseline-notifier.exe'):
                shutil.copy2(win / 'bench' / name, folder / name)
            files = capture_datagrams(sender, folder)
            install = MireloInstall(session, win, 'compare')
            bench = Bench(session, folder)
            # Keeps Wine's desktop process alive between the runs, as on a desktop.
            hold = session.popen([str(folder / 'bench-probe.exe'), 'hold'], session.work / 'hold.err')

            def mirelo_command(port: int) -> list[str]:
                return [session.windows_path(install.exe), payload(ListenPort=str(port))]

            def baseline_command(port: int) -> list[str]:
                return [session.windows_path(folder / 'baseline-notifier.exe'), str(port)]

            programs = {'Mirelo': mirelo_command, 'baseline': baseline_command}
            family_names = list(files)
            start_ms = {name: [] for name in programs}
            first_ms = {name: {f: [] for f in family_names} for name in programs}
            for run in range(args.runs):
                order = list(programs) if run % 2 == 0 else list(reversed(programs))
                family = family_names[run % len(family_names)]
                for name in order:
                    port = free_port()
                    figures = bench.start(port, programs[name](port), files[family])
                    start_ms[name].append(figures['ready_ms'])
                    if 'popup_ms' in figures:
                        first_ms[name][family].append(figures['popup_ms'])
                    bench.close(int(figures['pid']))

            popup_ms = {name: {f: [] for f in family_names} for name in programs}
            running = {}
            for name, command in programs.items():
                port = free_port()
                running[name] = (port, int(bench.start(port, command(port), None)['pid']))
            for run in range(args.runs):
                order = list(programs) if run % 2 == 0 else list(reversed(programs))
                for name in order:
                    port, pid = running[name]
                    # The first datagram a probe sends is slow for every program: it is sent and not counted.
                    warm_up = [files[family_names[-1]]]
                    for family, ms in zip(family_names, bench.popups(port, pid, warm_up + list(files.values()))[1:]):
                        popup_ms[name][family].append(ms)
            for port, pid in running.values():
                bench.close(pid)

            memory = None
            if args.memory:
                port = free_port()
                pid = int(bench.start(port, mirelo_command(port), None)['pid'])
                cycle = list(files.values())
                bench.popups(port, pid, cycle, repeat=min(100, args.memory))
                time.sleep(1)
                after_100 = resident_kb(port)
                if args.memory > 100:
                    bench.popups(port, pid, cycle, repeat=args.memory - 100)
                time.sleep(1)
                memory = (after_100, resident_kb(port))
                bench.close(pid)
        finally:
            if hold is not None:
                kill_group(hold)
            session.stop()

    load = os.getloadavg()
    print(f'machine load (1/5/15 min): {load[0]:.2f} {load[1]:.2f} {load[2]:.2f}')
    for name in programs:
        print(f'{name}: start-up runs {", ".join(f"{v:.0f}" for v in start_ms[name])} ms')
    ratio_line('start-up to tray icon and socket', start_ms['Mirelo'], start_ms['baseline'], GOAL_START)
    all_first = {name: [v for f in family_names for v in first_ms[name][f]] for name in programs}
    ratio_line('first pop-up after start (all families)', all_first['Mirelo'], all_first['baseline'], GOAL_POPUP,
               GOAL_POPUP_MS)
    for family in family_names:
        m, b = first_ms['Mirelo'][family], first_ms['baseline'][family]
        print(f'  first {family}: Mirelo {median(m):.1f} ms, baseline {median(b):.1f} ms (n={len(m)})')
    for family in family_names:
        ratio_line(f'pop-up {family}', popup_ms['Mirelo'][family], popup_ms['baseline'][family], GOAL_POPUP,
                   GOAL_POPUP_MS)
    if memory is not None:
        grown = (memory[1] - memory[0]) / 1024
        result(f'memory after {args.memory} notifications',
               f'{memory[1] / 1024:.1f} MB against {memory[0] / 1024:.1f} MB after 100 (+{grown:.2f} MB)',
               f'<= {GOAL_MEMORY_MB:g} MB more', grown <= GOAL_MEMORY_MB)
    return 0


if __name__ == '__main__':
    sys.exit(main())
