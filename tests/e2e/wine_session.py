"""A private Wine prefix on a private Xvfb display, and helpers to run Windows programs in it.

Every end-to-end test session gets one WineSession: its own prefix, its own display, a persistent
wineserver (so that each program starts in a fraction of a second) and the environment that makes
the client's "[Mirelo] " debug lines visible on stderr.
"""
from __future__ import annotations

import os
import pathlib
import shutil
import signal
import subprocess
import sys
import time

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / 'scripts'))
from wine_log import code_page_of, parse_log  # noqa: E402,F401

# Where 32-bit programs cannot run, every "wine" started from here is the 64-bit loader.
WINE_TARGET = subprocess.run([str(REPO / 'scripts' / 'windows-target.sh')], capture_output=True, text=True,
                             check=True, timeout=30).stdout.strip()
if WINE_TARGET == 'win64':
    os.environ['PATH'] = f"{REPO / 'scripts' / 'wine64-shim'}{os.pathsep}{os.environ.get('PATH', '')}"


class WineSession:
    def __init__(self, work: pathlib.Path, locale: str):
        self.work = work
        self.locale = locale
        self.code_page = code_page_of(locale)
        self.prefix = work / 'prefix'
        self.xvfb: subprocess.Popen | None = None
        self.display = ''

    # Life cycle -------------------------------------------------------------------------------------
    def start(self) -> None:
        self.work.mkdir(parents=True, exist_ok=True)
        self._start_xvfb()
        subprocess.run([str(REPO / 'scripts/wine-prefix.sh'), str(self.prefix)], env=self.env(debug=False),
                       check=True, timeout=300)
        subprocess.run(['wineserver', '-p'], env=self.env(debug=False), check=True, timeout=60)
        # The first program of a session starts Wine's own background processes, which inherit its
        # standard handles: a program whose output is read through pipes must not be that first one.
        subprocess.run(['timeout', '120', 'wine', 'cmd', '/c', 'rem'], env=self.env(debug=False),
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=150)

    def __enter__(self) -> 'WineSession':
        self.start()
        return self

    def __exit__(self, *exc) -> None:
        self.stop()

    def stop(self) -> None:
        subprocess.run(['wineserver', '-k'], env=self.env(debug=False), timeout=60, check=False)
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()

    def _start_xvfb(self) -> None:
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ['Xvfb', '-displayfd', str(write_fd), '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as pipe:
            number = pipe.readline().strip()
        if not number:
            raise RuntimeError('Xvfb did not start')
        self.display = f':{number}'

    # Environment and paths --------------------------------------------------------------------------
    def env(self, debug: bool = True) -> dict[str, str]:
        env = dict(os.environ)
        env.update({
            'WINEPREFIX': str(self.prefix),
            'WINEARCH': 'win64',
            'WINEDLLOVERRIDES': 'mscoree,mshtml=,winedbg.exe=d',
            'WINEDEBUG': '-all,+debugstr' if debug else '-all',
            'DISPLAY': self.display,
            'LANG': self.locale,
            'LC_ALL': self.locale,
        })
        return env

    @property
    def drive_c(self) -> pathlib.Path:
        return self.prefix / 'drive_c'

    def user_appdata(self) -> pathlib.Path:
        """The Roaming application-data folder of the prefix's user (%appdata%)."""
        found = sorted(self.drive_c.glob('users/*/AppData/Roaming'))
        found = [p for p in found if p.parent.parent.name != 'Public']
        if not found:
            raise RuntimeError('no user profile in the prefix')
        return found[0]

    def windows_path(self, path: pathlib.Path) -> str:
        rel = path.resolve().relative_to(self.drive_c.resolve())
        return 'C:\\' + str(rel).replace('/', '\\')

    # Running programs -------------------------------------------------------------------------------
    def run(self, args: list[str], timeout: float = 60, debug: bool = False) -> subprocess.CompletedProcess:
        return subprocess.run(['timeout', '--kill-after=5', str(int(timeout)), 'wine', *args],
                              env=self.env(debug=debug), capture_output=True, timeout=timeout + 15)

    def popen(self, args: list[str], stderr_path: pathlib.Path, cwd: pathlib.Path | None = None,
              env: dict[str, str] | None = None) -> subprocess.Popen:
        """Starts a program in the background; env adds to (or overrides) the session's environment."""
        err = open(stderr_path, 'wb')
        return subprocess.Popen(['wine', *args], env={**self.env(debug=True), **(env or {})}, cwd=cwd,
                                stdout=subprocess.DEVNULL, stderr=err, start_new_session=True)

    def reg_add(self, key: str, name: str | None, kind: str, data: str) -> None:
        args = ['reg', 'add', key]
        args += ['/v', name] if name is not None else ['/ve']
        args += ['/t', kind, '/d', data, '/f']
        result = self.run(args, timeout=30)
        assert result.returncode == 0, result.stderr

    def reg_query(self, key: str, name: str | None) -> str | None:
        args = ['reg', 'query', key] + (['/v', name] if name is not None else ['/ve'])
        result = self.run(args, timeout=30)
        if result.returncode != 0:
            return None
        return result.stdout.decode(self.code_page, errors='replace')

    def reg_delete(self, key: str, name: str | None = None) -> None:
        """Deletes a value, or the whole key when no value name is given."""
        self.run(['reg', 'delete', key] + (['/v', name] if name is not None else []) + ['/f'], timeout=30)

    def screenshot(self, path: pathlib.Path) -> bool:
        """Saves the display as a PNG (ImageMagick import); False when that failed."""
        result = subprocess.run(['import', '-display', self.display, '-window', 'root', str(path)],
                                capture_output=True, timeout=30, check=False)
        return result.returncode == 0 and path.exists()


def kill_group(process: subprocess.Popen) -> None:
    if process.poll() is None:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait(timeout=10)


def windows_build_dir() -> pathlib.Path:
    """The Windows binaries this machine runs: MIRELO_WIN32_DIR, or the build scripts/windows-target.sh names
    (the shipped 32-bit build, or its 64-bit twin where 32-bit programs cannot run)."""
    value = os.environ.get('MIRELO_WIN32_DIR')
    return pathlib.Path(value) if value else REPO / 'build' / WINE_TARGET


def copy_program(session: WineSession, folder: pathlib.Path, win32_dir: pathlib.Path) -> pathlib.Path:
    """Installs the program folder into a fresh folder of the prefix: the files the build lists in
    program-files.txt, as the installer does."""
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    for name in (win32_dir / 'program-files.txt').read_text().split():
        shutil.copy2(win32_dir / name, folder / name)
    return folder / 'Mirelo.exe'


def wait_until(predicate, timeout: float, interval: float = 0.1):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            return value
        time.sleep(interval)
