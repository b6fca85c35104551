#!/usr/bin/env python3
"""Chooses the demo client's UDP notification port and prints it.

A port held by another program would leave the client deaf, with only a message box to say so. A
port the user asked for (MIRELO_DEMO_PORT) is taken or refused as it is; the default 7333 gives way
to the next free odd port up to 7399 (the client also sends to the port above its own). What
happened is said on stderr.
"""
from __future__ import annotations

import argparse
import socket
import sys

DEFAULT_PORT = 7333
LAST_PORT = 7399


def udp_port_free(port: int) -> bool:
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        try:
            s.bind(('0.0.0.0', port))
        except OSError:
            return False
    return True


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--requested', default='', help='the port the user asked for (MIRELO_DEMO_PORT)')
    args = parser.parse_args()
    if args.requested:
        if not args.requested.isdigit() or not 0 < int(args.requested) < 65535:
            print(f'demo: MIRELO_DEMO_PORT={args.requested} is not a port number', file=sys.stderr)
            return 1
        if not udp_port_free(int(args.requested)):
            print(f'demo: UDP port {args.requested} (MIRELO_DEMO_PORT) is in use by another program; '
                  'choose a free one', file=sys.stderr)
            return 1
        print(int(args.requested))
        return 0
    if udp_port_free(DEFAULT_PORT):
        print(DEFAULT_PORT)
        return 0
    port = next((p for p in range(DEFAULT_PORT + 2, LAST_PORT + 1, 2) if udp_port_free(p)), None)
    if port is None:
        print(f'demo: UDP ports {DEFAULT_PORT} to {LAST_PORT} are in use; set MIRELO_DEMO_PORT to a free port',
              file=sys.stderr)
        return 1
    print(f'demo: UDP port {DEFAULT_PORT} is in use by another program; the demo uses port {port} instead '
          '(set MIRELO_DEMO_PORT to choose one)', file=sys.stderr)
    print(port)
    return 0


if __name__ == '__main__':
    sys.exit(main())
