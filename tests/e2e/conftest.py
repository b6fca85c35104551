"""Fixtures of the end-to-end tests: one Wine session per test run, one program folder per test."""
from __future__ import annotations

import pathlib
import re
import sys

import pytest

sys.path.insert(0, str(pathlib.Path(__file__).parent))

from build_fixtures import env_path, korean, locale, native_dir, win32_dir  # noqa: E402,F401
from mirelo_client import MireloInstall  # noqa: E402
from sender import Sender  # noqa: E402
from wine_session import REPO, WineSession  # noqa: E402
from winspect import WinInspect  # noqa: E402


def pytest_configure(config):
    config.addinivalue_line('markers', 'languages: the focused set run in the Japanese and Chinese locales')


@pytest.fixture(scope='session')
def work_dir(locale) -> pathlib.Path:
    path = env_path('MIRELO_E2E_WORK', REPO / 'build' / 'native' / f'e2e-{locale.split(".")[0]}')
    path.mkdir(parents=True, exist_ok=True)
    return path


@pytest.fixture(scope='session')
def wine(work_dir, locale):
    with WineSession(work_dir, locale) as session:
        yield session


@pytest.fixture(scope='session')
def inspector(wine, win32_dir) -> WinInspect:
    exe = win32_dir / 'tools' / 'win-inspect.exe'
    return WinInspect(exe, lambda args, timeout: wine.run(args, timeout=timeout))


@pytest.fixture
def mirelo(wine, win32_dir, inspector, request):
    """A fresh install of Mirelo.exe for one test; every client it started is ended afterwards."""
    name = re.sub(r'[^A-Za-z0-9_.-]+', '_', request.node.name)[:80]
    install = MireloInstall(wine, win32_dir, name)
    yield install
    install.stop_all()


@pytest.fixture(scope='session')
def sender(native_dir) -> Sender:
    tool = Sender(native_dir)
    if not tool.exe.exists():
        pytest.exit(f'mirelo-send is not built in {native_dir}', returncode=1)
    return tool


@pytest.fixture(scope='session')
def tools_dir(win32_dir) -> pathlib.Path:
    return win32_dir / 'tools'
