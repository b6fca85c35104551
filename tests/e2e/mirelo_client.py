"""Starting Mirelo.exe under Wine and watching what it does, for the end-to-end tests."""
from __future__ import annotations

import configparser
import pathlib
import random
import re
import shutil
import socket
import subprocess
import time

from wine_session import WineSession, copy_program, kill_group, parse_log, wait_until

MAIN_TITLE = 'QXNotifyTray'
# For MireloInstall.start(env=...): Wine fills freed heap blocks, so that a use after free reads
# garbage instead of the old values and fails where it would otherwise go unnoticed.
HEAP_CHECKS = {'WINEDEBUG': '-all,+debugstr,warn+heap'}


def free_port() -> int:
    """A port free for both UDP and TCP (and the one above it, for the messenger).

    Taken below the ephemeral range, where closed connections in TIME_WAIT do not linger.
    """
    for _ in range(200):
        port = random.randrange(20000, 32000)
        if _free(port) and _free(port + 1):
            return port
    raise RuntimeError('no free port pair')


def _free(port: int) -> bool:
    for kind in (socket.SOCK_DGRAM, socket.SOCK_STREAM):
        with socket.socket(socket.AF_INET, kind) as s:
            try:
                s.bind(('0.0.0.0', port))
            except OSError:
                return False
    return True


PAYLOAD_FIELDS = ('IPAddress', 'SendPort', 'BrowserTitle', 'ListenPort', 'UserID', 'AutoKill', 'Reflesh',
                  'NotifyLogOutType', 'UserKey', 'ServerUrl', 'SpeakNotifications', 'ListenMode', 'Field13',
                  'UseView', 'Field15', 'Field16', 'LevelDigit', 'RefreshUrl')


def payload(**fields) -> str:
    """A start-up link with all 18 comma-terminated fields; unnamed fields get plain test values."""
    values = {
        'IPAddress': '10.20.30.40', 'SendPort': '44444', 'BrowserTitle': 'GW', 'ListenPort': str(free_port()),
        'UserID': 'tester', 'AutoKill': '1', 'Reflesh': '0', 'NotifyLogOutType': '0', 'UserKey': 'key1',
        'ServerUrl': 'http://127.0.0.1/', 'SpeakNotifications': '0', 'ListenMode': '0', 'Field13': '0',
        'UseView': '1', 'Field15': '0', 'Field16': '0', 'LevelDigit': '1', 'RefreshUrl': 'http://127.0.0.1/r',
    }
    unknown = set(fields) - set(values)
    if unknown:
        raise ValueError(f'unknown payload fields {unknown}')
    values.update(fields)
    return 'qsnotifyclient://' + ''.join(values[name] + ',' for name in PAYLOAD_FIELDS)


class MireloProcess:
    """One running (or finished) Mirelo.exe."""

    def __init__(self, process: subprocess.Popen, stderr_path: pathlib.Path, code_page: str):
        self.process = process
        self.stderr_path = stderr_path
        self.code_page = code_page

    def log(self) -> list[str]:
        text = self.stderr_path.read_bytes().decode('latin-1') if self.stderr_path.exists() else ''
        return parse_log(text, self.code_page)

    def wait_log(self, pattern: str, timeout: float = 20) -> str | None:
        """The first log line that matches the regular expression, waiting for it to appear."""
        regex = re.compile(pattern)

        def find():
            return next((line for line in self.log() if regex.search(line)), None)

        return wait_until(find, timeout)

    def wait_count(self, pattern: str, count: int, timeout: float = 20) -> int:
        """Waits until `count` log lines match; returns how many matched in the end."""
        regex = re.compile(pattern)

        def matching():
            return sum(1 for line in self.log() if regex.search(line))

        wait_until(lambda: matching() >= count, timeout)
        return matching()

    def has_log(self, pattern: str) -> bool:
        regex = re.compile(pattern)
        return any(regex.search(line) for line in self.log())

    @property
    def running(self) -> bool:
        return self.process.poll() is None

    def wait_exit(self, timeout: float = 30) -> int | None:
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def kill(self) -> None:
        kill_group(self.process)


class MireloInstall:
    """Mirelo.exe copied into its own program folder of the prefix, with a fresh per-user folder."""

    def __init__(self, session: WineSession, win32_dir: pathlib.Path, name: str):
        self.session = session
        self.folder = session.drive_c / 'mirelo-tests' / name
        self.exe = copy_program(session, self.folder, win32_dir)
        self.logs = session.work / 'logs' / name
        if self.logs.exists():
            shutil.rmtree(self.logs)
        self.logs.mkdir(parents=True)
        self.processes: list[MireloProcess] = []
        self.reset_user_settings()

    # Files --------------------------------------------------------------------------------------------
    @property
    def program_ini(self) -> pathlib.Path:
        return self.folder / 'Mirelo.ini'

    @property
    def user_folder(self) -> pathlib.Path:
        return self.session.user_appdata() / 'Tessel Groupware 8'

    @property
    def user_ini(self) -> pathlib.Path:
        return self.user_folder / 'Mirelo.ini'

    def reset_user_settings(self) -> None:
        folder = self.user_folder
        if folder.is_dir():
            shutil.rmtree(folder)
        elif folder.exists():
            folder.unlink()

    def write_ini(self, path: pathlib.Path, server: dict[str, str], extra: str = '') -> None:
        lines = ['[Server]'] + [f'{k}={v}' for k, v in server.items()]
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(('\r\n'.join(lines) + '\r\n' + extra).encode(self.session.code_page))

    def read_ini(self, path: pathlib.Path) -> dict[str, str]:
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.optionxform = str
        parser.read_string(path.read_bytes().decode(self.session.code_page, errors='replace'))
        return dict(parser['Server']) if parser.has_section('Server') else {}

    def windows_path(self, path: pathlib.Path) -> str:
        return self.session.windows_path(path)

    # Processes ----------------------------------------------------------------------------------------
    def start(self, *args: str, wait_ready: bool = True, timeout: float = 30,
              env: dict[str, str] | None = None) -> MireloProcess:
        """Starts Mirelo.exe; by default waits until its main frame exists (or the process ended)."""
        index = len(self.processes)
        stderr_path = self.logs / f'run{index}.stderr'
        process = self.session.popen([str(self.exe), *args], stderr_path, cwd=self.folder, env=env)
        client = MireloProcess(process, stderr_path, self.session.code_page)
        self.processes.append(client)
        if wait_ready:
            wait_until(lambda: not client.running or client.has_log(r'^main frame created'), timeout)
        return client

    def run_once(self, *args: str, timeout: float = 30) -> MireloProcess:
        """Runs an instance that is expected to end by itself (a second instance, APPEXIT)."""
        client = self.start(*args, wait_ready=False)
        if client.wait_exit(timeout) is None:
            client.kill()
            raise AssertionError(f'Mirelo.exe {args} did not end within {timeout} s; log: {client.log()}')
        return client

    def stop_all(self) -> None:
        """Ends every client this install started: APPEXIT first, then force."""
        if any(p.running for p in self.processes):
            try:
                self.run_once('APPEXIT', timeout=20)
            except AssertionError:
                pass
            for p in self.processes:
                if p.wait_exit(10) is None:
                    p.kill()
