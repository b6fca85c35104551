"""Fixtures of the package tests: the packages scripts/package.sh builds from the build folders (the
shipped installer from the win32 build, and for Wine the installer of the build this machine runs),
and for the installer under Wine a prefix of its own, made fresh for every run."""
from __future__ import annotations

import pathlib
import shutil
import subprocess
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / 'e2e'))

from build_fixtures import built_dir, env_path, korean, locale, native_dir, win32_dir  # noqa: E402,F401
from wine_session import REPO, WineSession  # noqa: E402
from winspect import WinInspect  # noqa: E402


def run_package(*args) -> subprocess.CompletedProcess:
    """scripts/package.sh on what the build folders hold; its last output line names the package."""
    return subprocess.run([str(REPO / 'scripts' / 'package.sh'), '--no-build', *map(str, args)],
                          capture_output=True, text=True, timeout=600, check=False)


def built_package(*args) -> pathlib.Path:
    result = run_package(*args)
    assert result.returncode == 0, result.stderr
    return pathlib.Path(result.stdout.strip().splitlines()[-1])


def is_64bit(exe: pathlib.Path) -> bool:
    """Whether a Windows program is built for x86_64 (its PE header's machine)."""
    data = exe.read_bytes()
    at = int.from_bytes(data[60:64], 'little') + 4
    machine = int.from_bytes(data[at:at + 2], 'little')
    assert machine in (0x14c, 0x8664), f'{exe}: machine {machine:#x}'
    return machine == 0x8664


def build_target(build: pathlib.Path) -> str:
    """The package.sh target of a Windows build folder."""
    return 'win64' if is_64bit(build / 'Mirelo.exe') else 'win32'


def built_installer(build: pathlib.Path, out: pathlib.Path, *args) -> pathlib.Path:
    return built_package('client', '--target', build_target(build), '--windows-dir', build, '--out', out, *args)


def program_list(build: pathlib.Path) -> list[str]:
    return [n for n in (build / 'program-files.txt').read_text().splitlines() if n]


@pytest.fixture(scope='session')
def shipped_dir() -> pathlib.Path:
    """The shipped 32-bit build, packaged by default."""
    return built_dir(REPO / 'build' / 'win32')


@pytest.fixture(scope='session')
def version(win32_dir) -> str:
    return (win32_dir / 'version.txt').read_text().strip()


@pytest.fixture(scope='session')
def program_files(win32_dir) -> list[str]:
    return program_list(win32_dir)


@pytest.fixture(scope='session')
def setup_exe(win32_dir, tmp_path_factory) -> pathlib.Path:
    """The installer of the build Wine runs here."""
    return built_installer(win32_dir, tmp_path_factory.mktemp('client'))


# Under Wine --------------------------------------------------------------------------------------------

class InstallerSession(WineSession):
    """A test session whose installs do not reach the host's own menus."""

    def env(self, debug: bool = True) -> dict[str, str]:
        env = super().env(debug)
        env['WINEDLLOVERRIDES'] += ',winemenubuilder.exe=d'
        return env


@pytest.fixture(scope='session')
def work_dir() -> pathlib.Path:
    path = env_path('MIRELO_E2E_WORK', REPO / 'build' / 'native' / 'e2e-installer')
    path.mkdir(parents=True, exist_ok=True)
    return path


@pytest.fixture(scope='session')
def wine(work_dir, locale):
    shutil.rmtree(work_dir / 'prefix', ignore_errors=True)
    with InstallerSession(work_dir, locale) as session:
        yield session


@pytest.fixture(scope='session')
def inspector(wine, win32_dir) -> WinInspect:
    return WinInspect(win32_dir / 'tools' / 'win-inspect.exe', lambda args, timeout: wine.run(args, timeout=timeout))


@pytest.fixture
def logs(work_dir, request) -> pathlib.Path:
    path = work_dir / 'logs' / request.node.name
    shutil.rmtree(path, ignore_errors=True)
    path.mkdir(parents=True)
    return path
