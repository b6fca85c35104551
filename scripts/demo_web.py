#!/usr/bin/env python3
"""The demo's stand-in for the groupware web server, on a free loopback port.

It answers the refresh request the client posts after a schedule or approval notification (one line
on stdout for each) and the pages that View opens. It writes its port to --port-file once it listens.
"""
from __future__ import annotations

import argparse
import html
import http.server
import pathlib
import sys
import urllib.parse

MAX_BODY = 65536


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self) -> None:
        length = min(int(self.headers.get('Content-Length') or 0), MAX_BODY)
        form = urllib.parse.parse_qs(self.rfile.read(length).decode('latin-1'))
        fields = ', '.join(f'{name}={values[0]}' for name, values in form.items())
        print(f'demo: the client asked the web server to refresh its lists ({fields})', flush=True)
        self.answer(b'ok', 'text/plain')

    def do_GET(self) -> None:
        page = (f'<html><head><title>Quillon Groupware</title></head><body><h1>Quillon Groupware</h1>'
                f'<p>The demo has no groupware: here the page {html.escape(self.path)} would open.</p>'
                f'</body></html>')
        self.answer(page.encode(), 'text/html')

    def answer(self, body: bytes, content_type: str) -> None:
        self.send_response(200)
        self.send_header('Content-Type', content_type)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args) -> None:
        pass


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--port-file', required=True, type=pathlib.Path)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    args.port_file.write_text(f'{server.server_address[1]}\n')
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == '__main__':
    sys.exit(main())
