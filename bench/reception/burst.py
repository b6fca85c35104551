#!/usr/bin/env python3
"""Burst benchmark: 1,000 well-formed datagrams sent back to back to Mirelo.exe under Wine.

Prints how many the client relayed to the messenger port and how long that took. Needs the two
builds (scripts/test.sh or the presets). Usage: bench/reception/burst.py [--count N] [--size BYTES]
"""
from __future__ import annotations

import argparse
import pathlib
import sys
import tempfile
import time

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / 'tests' / 'e2e'))

from mirelo_client import MireloInstall, free_port, payload  # noqa: E402
from sender import Sender  # noqa: E402
from wine_session import WineSession, windows_build_dir  # noqa: E402


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--count', type=int, default=1000)
    parser.add_argument('--size', type=int, default=57, help='payload bytes of each datagram')
    parser.add_argument('--locale', default='ko_KR.UTF-8')
    args = parser.parse_args()

    sender = Sender(REPO / 'build' / 'native')
    with tempfile.TemporaryDirectory(prefix='mirelo-burst-') as work:
        session = WineSession(pathlib.Path(work), args.locale)
        session.start()
        try:
            install = MireloInstall(session, windows_build_dir(), 'burst')
            port = free_port()
            client = install.start(payload(ListenPort=str(port)))
            if not client.wait_log(r'^main frame created'):
                print('the client did not start', file=sys.stderr)
                return 1
            with sender.listen(port + 1) as listener:
                started = time.monotonic()
                sender.run('raw', '--kind', '2', '--text', 'b' * args.size, '--port', port, '--repeat', args.count,
                           '--quiet', timeout=120)
                sent = time.monotonic() - started
                received = listener.wait_for(args.count, timeout=60)
                elapsed = time.monotonic() - started
            dispatched = client.wait_count(r'^dispatch kind=2 ', args.count, timeout=30)
            install.stop_all()
        finally:
            session.stop()
    print(f'sent {args.count} datagrams of {10 + args.size} bytes in {sent:.3f} s')
    print(f'dispatched {dispatched} of {args.count}')
    print(f'relayed {len(received)} of {args.count} in {elapsed:.3f} s '
          f'({len(received) / elapsed:.0f} datagrams/s end to end)')
    return 0 if len(received) == args.count else 1


if __name__ == '__main__':
    sys.exit(main())
