"""vocelink-server from the tests: a native speech server on loopback, its log in a file."""
from __future__ import annotations

import pathlib
import signal
import subprocess


class SpeechServer:
    """vocelink-server on a free loopback port unless the options name one (--port, --bind)."""

    def __init__(self, native_dir: pathlib.Path, log_path: pathlib.Path, *options: str):
        self.log_path = log_path
        self.log = open(log_path, 'wb')
        port = [] if '--port' in options else ['--port', '0']
        self.process = subprocess.Popen([str(native_dir / 'vocelink-server'), *port, *options],
                                        stdout=subprocess.PIPE, stderr=self.log)
        line = self.process.stdout.readline().decode().strip()
        if not line.isdigit():
            self.stop()
            raise RuntimeError(f'vocelink-server did not start: {log_path.read_text(errors="replace")}')
        self.port = int(line)

    def stop(self) -> int:
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        try:
            code = self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = self.process.wait()
        self.log.close()
        return code

    def log_text(self) -> str:
        if not self.log.closed:
            self.log.flush()
        return self.log_path.read_text(encoding='utf-8', errors='replace')

    def requests(self) -> list[str]:
        """The buffer requests the server has read, as its log describes them."""
        return [line for line in self.log_text().splitlines() if 'buffer request:' in line]

    def __enter__(self) -> 'SpeechServer':
        return self

    def __exit__(self, *exc) -> None:
        self.stop()
