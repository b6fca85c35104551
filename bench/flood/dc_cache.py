#!/usr/bin/env python3
"""Device-context experiment: what a bare Win32 program (dc-cache-check.exe, no GDI object of its own)
keeps in its GDI handle table after it opened N windows with two buttons each, drew them and closed
them, round after round, with N growing. The figures show the table entries that stay after windows
are gone, by object type, and where they stop growing.

Usage: bench/flood/dc_cache.py [--rounds N,N,...] [--locale LOCALE]
"""
from __future__ import annotations

import argparse
import json
import pathlib
import subprocess
import sys
import tempfile

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / 'tests' / 'e2e'))

from wine_session import WineSession, kill_group, windows_build_dir  # noqa: E402

TYPES = ('dc', 'region', 'surface', 'bitmap', 'font', 'brush', 'pen')


def table(session: WineSession, tools_dir: pathlib.Path) -> dict:
    result = session.run([str(tools_dir / 'win-inspect.exe'), 'process', '--name', 'dc-cache-check.exe'], timeout=60)
    found = json.loads(result.stdout.decode('utf-8').strip().splitlines()[-1])
    if not found.get('ok'):
        raise SystemExit(f'win-inspect: {found}')
    return found


def line(label: str, found: dict) -> str:
    types = found.get('gdi_types', {})
    shown = ', '.join(f'{t} {types.get(t, 0)}' for t in TYPES)
    return f'{label:<26} used {found["gdi_table"]:>4} (stock {types.get("stock", 0)}; {shown}); windows {found["windows"]}'


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--rounds', default='1,1,10,10,20,20,40,40,80,80,5',
                        help='windows open at once in each round, comma-separated')
    parser.add_argument('--locale', default='ko_KR.UTF-8')
    args = parser.parse_args()
    build = windows_build_dir()
    rounds = [int(n) for n in args.rounds.split(',')]
    with tempfile.TemporaryDirectory(prefix='mirelo-dc-cache-') as work, WineSession(pathlib.Path(work), args.locale) as session:
        program = subprocess.Popen(['wine', str(build / 'bench' / 'dc-cache-check.exe')], env=session.env(debug=False),
                                   stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                   start_new_session=True)
        try:
            if program.stdout.readline().strip() != 'ready':
                raise SystemExit('dc-cache-check did not start')
            print(line('start', table(session, build / 'tools')), flush=True)
            program.stdin.write('bitmap\n')
            program.stdin.flush()
            program.stdout.readline()
            print(line('one bitmap made', table(session, build / 'tools')), flush=True)
            for count in rounds:
                program.stdin.write(f'open {count}\n')
                program.stdin.flush()
                program.stdout.readline()
                print(line(f'{count} windows open', table(session, build / 'tools')), flush=True)
                program.stdin.write('close\n')
                program.stdin.flush()
                program.stdout.readline()
                print(line(f'  and closed again', table(session, build / 'tools')), flush=True)
            program.stdin.write('quit\n')
            program.stdin.flush()
            program.wait(timeout=30)
        finally:
            kill_group(program)
    return 0


if __name__ == '__main__':
    sys.exit(main())
