"""Fixtures of the package tests: the packages scripts/package.sh builds from the build folders, and
for the installer under Wine a prefix of its own, made fresh for every run."""
from __future__ import annotations

import pathlib
import shutil
import subprocess
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / 'e2e'))

from build_fixtures import env_path, korean, locale, native_dir, win32_dir  # noqa: E402,F401
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


@pytest.fixture(scope='session')
def version(win32_dir) -> str:
    return (win32_dir / 'version.txt').read_text().strip()


@pytest.fixture(scope='session')
def program_files(win32_dir) -> list[str]:
    return [n for n in (win32_dir / 'program-files.txt').read_text().splitlines() if n]


@pytest.fixture(scope='session')
def setup_exe(win32_dir, tmp_path_factory) -> pathlib.Path:
    return built_package('client', '--win32-dir', win32_dir, '--out', tmp_path_factory.mktemp('client'))


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
