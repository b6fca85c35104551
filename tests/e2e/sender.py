"""mirelo-send from the tests: sending as the groupware server does, listening where the client relays."""
from __future__ import annotations

import json
import pathlib
import subprocess
import threading
import time


class Sender:
    def __init__(self, native_dir: pathlib.Path):
        self.exe = native_dir / 'tools' / 'mirelo-send' / 'mirelo-send'

    def run(self, *args: str, timeout: float = 30, check: bool = True) -> subprocess.CompletedProcess:
        result = subprocess.run([str(self.exe), *map(str, args)], capture_output=True, timeout=timeout)
        if check and result.returncode != 0:
            raise AssertionError(f'mirelo-send {args} exited {result.returncode}: {result.stderr.decode()}')
        return result

    def listen(self, port: int) -> 'Listener':
        return Listener(self.exe, port)


class Listener:
    """`mirelo-send listen --format json` in the background: the datagrams relayed to a port."""

    def __init__(self, exe: pathlib.Path, port: int):
        self.process = subprocess.Popen([str(exe), 'listen', '--port', str(port), '--format', 'json'],
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.datagrams: list[bytes] = []
        self._lock = threading.Lock()
        first = self.process.stdout.readline().decode()
        if not first.startswith('listening on'):
            self.process.kill()
            raise RuntimeError(f'listener did not start: {first!r}')
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()

    def _read(self) -> None:
        for line in self.process.stdout:
            record = json.loads(line)
            with self._lock:
                self.datagrams.append(bytes.fromhex(record['hex']))

    def received(self) -> list[bytes]:
        with self._lock:
            return list(self.datagrams)

    def wait_for(self, count: int, timeout: float = 10) -> list[bytes]:
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and len(self.received()) < count:
            time.sleep(0.05)
        return self.received()

    def close(self) -> None:
        self.process.terminate()
        try:
            self.process.wait(timeout=5)
        except subprocess.TimeoutExpired:
            self.process.kill()

    def __enter__(self) -> 'Listener':
        return self

    def __exit__(self, *exc) -> None:
        self.close()
