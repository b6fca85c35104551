"""Fixtures shared by the end-to-end and the package tests: the locale and the build folders, as the
CTest registrations pass them in the environment (by default the worktree's build/)."""
from __future__ import annotations

import os
import pathlib

import pytest

from wine_session import REPO, windows_build_dir


def env_path(name: str, default: pathlib.Path) -> pathlib.Path:
    value = os.environ.get(name)
    return pathlib.Path(value) if value else default


@pytest.fixture(scope='session')
def locale() -> str:
    return os.environ.get('MIRELO_LOCALE', 'ko_KR.UTF-8')


@pytest.fixture(scope='session')
def korean(locale) -> bool:
    return locale.startswith('ko_KR')


def built_dir(path: pathlib.Path) -> pathlib.Path:
    """A Windows build folder, ending the run when it holds no build."""
    for name in ('Mirelo.exe', 'program-files.txt'):
        if not (path / name).exists():
            pytest.exit(f'{name} is not built in {path}', returncode=1)
    return path


@pytest.fixture(scope='session')
def win32_dir() -> pathlib.Path:
    return built_dir(windows_build_dir())


@pytest.fixture(scope='session')
def native_dir() -> pathlib.Path:
    return env_path('MIRELO_NATIVE_DIR', REPO / 'build' / 'native')
