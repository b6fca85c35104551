"""Python side of win-inspect.exe, the window inspector the end-to-end tests run under Wine.

The inspector prints one JSON document per run. Exit codes: 0 done, 1 window or control not found
(the methods return None), 2 usage error and 3 failed action (both raise WinInspectError).
"""
from __future__ import annotations

import json
import os
import subprocess
from typing import Callable, Optional

Runner = Callable[[list, float], subprocess.CompletedProcess]

EXIT_OK = 0
EXIT_NOT_FOUND = 1
EXIT_USAGE = 2
EXIT_FAILED = 3


class WinInspectError(RuntimeError):
    """A usage error, a failed action, or output that is not the inspector's JSON document."""

    def __init__(self, message: str, returncode: int, document: Optional[dict] = None):
        super().__init__(message)
        self.returncode = returncode
        self.document = document


def make_wine_runner(env: dict, wine: str = 'wine') -> Runner:
    """A runner that starts a Windows program under Wine with the given environment."""

    def run(args: list, timeout: float) -> subprocess.CompletedProcess:
        return subprocess.run([wine, *args], env=env, capture_output=True, timeout=timeout, check=False)

    return run


def _text(output) -> str:
    if isinstance(output, bytes):
        return output.decode('utf-8', errors='replace')
    return output or ''


def _window_args(hwnd=None, title=None, cls=None, visible=False, timeout_ms=0) -> list:
    args = []
    if hwnd is not None:
        args += ['--hwnd', str(hwnd)]
    if title is not None:
        args += ['--title', title]
    if cls is not None:
        args += ['--class', cls]
    if visible:
        args.append('--visible')
    if timeout_ms:
        args += ['--timeout-ms', str(timeout_ms)]
    return args


class WinInspect:
    """Runs win-inspect.exe through `runner(args, timeout)`, where args[0] is the program's path."""

    def __init__(self, exe: str | os.PathLike, runner: Runner, timeout: float = 30.0):
        self.exe = os.fspath(exe)
        self.runner = runner
        self.timeout = timeout

    def run(self, *args, wait_ms: int = 0) -> Optional[dict]:
        """Runs one command; the parsed document, or None when the target was not found."""
        args = [str(a) for a in args]
        proc = self.runner([self.exe, *args], self.timeout + wait_ms / 1000.0)
        out = _text(proc.stdout).strip()
        if proc.returncode == EXIT_NOT_FOUND:
            return None
        try:
            # Wine writes its own messages to stderr only, but the document is the last line either way.
            document = json.loads(out.splitlines()[-1]) if out else None
        except ValueError:
            document = None
        if proc.returncode == EXIT_OK and isinstance(document, dict):
            return document
        error = document.get('error') if isinstance(document, dict) else None
        raise WinInspectError(
            f'win-inspect {" ".join(args)}: exit {proc.returncode}: {error or out!r} {_text(proc.stderr)[-500:]!r}',
            proc.returncode, document)

    def desktop(self, all: bool = False) -> dict:
        """The whole list document: foreground, screen, work_area and windows."""
        return self.run('list', *(['--all'] if all else []))

    def list(self, all: bool = False) -> list:
        """Top-level windows, each with its descendants flattened into 'children'."""
        return self.desktop(all)['windows']

    def find(self, title: str = None, cls: str = None, timeout_ms: int = 0, visible: bool = False,
             hwnd: int = None) -> Optional[dict]:
        """The first top-level window with that exact title and/or class, waiting up to timeout_ms."""
        document = self.run('find', *_window_args(hwnd, title, cls, visible, timeout_ms), wait_ms=timeout_ms)
        return document['window'] if document else None

    def click(self, title: str = None, control: int = None, hwnd: int = None, cls: str = None,
              via: str = None, force: bool = False, timeout_ms: int = 0) -> Optional[dict]:
        """Posts a click to the control with that id; refuses a disabled or hidden one unless force."""
        args = ['click', *_window_args(hwnd, title, cls, False, timeout_ms), '--control', control]
        if via:
            args += ['--via', via]
        if force:
            args.append('--force')
        return self.run(*args, wait_ms=timeout_ms)

    def send(self, msg, title: str = None, cls: str = None, hwnd: int = None, wparam=None, lparam=None,
             text: str = None, post: bool = False, broadcast: bool = False, registered: str = None,
             timeout_ms: int = 0, reply_timeout_ms: int = None) -> Optional[dict]:
        """Sends (or posts) a message; msg, wparam and lparam may be numbers or names like 'WM_USER+1'.

        With registered, msg is ignored (pass None) and the registered message of that name is used.
        """
        args = ['send', *([] if broadcast else _window_args(hwnd, title, cls, False, timeout_ms))]
        args += ['--broadcast'] if broadcast else []
        args += ['--registered', registered] if registered else ['--msg', msg]
        for name, value in (('--wparam', wparam), ('--lparam', lparam), ('--text', text),
                            ('--reply-timeout-ms', reply_timeout_ms)):
            if value is not None:
                args += [name, value]
        if post:
            args.append('--post')
        return self.run(*args, wait_ms=timeout_ms + (reply_timeout_ms or 5000))

    def close(self, title: str = None, hwnd: int = None, cls: str = None, wait_ms: int = 0,
              timeout_ms: int = 0) -> Optional[dict]:
        """Posts WM_CLOSE; with wait_ms the result's 'gone' says whether the window went in time."""
        args = ['close', *_window_args(hwnd, title, cls, False, timeout_ms)]
        if wait_ms:
            args += ['--wait-ms', wait_ms]
        return self.run(*args, wait_ms=timeout_ms + wait_ms)

    def copydata(self, code: int, title: str = None, cls: str = None, hwnd: int = None, text: str = None,
                 data: bytes = None, codepage: int = None, wparam=None, timeout_ms: int = 0) -> Optional[dict]:
        """Sends WM_COPYDATA: text in the ANSI code page (or codepage) plus a NUL, or data as it is."""
        args = ['copydata', *_window_args(hwnd, title, cls, False, timeout_ms), '--code', code]
        if text is not None:
            args += ['--text', text]
        if data is not None:
            args += ['--hex', data.hex()]
        if codepage is not None:
            args += ['--codepage', codepage]
        if wparam is not None:
            args += ['--wparam', wparam]
        return self.run(*args, wait_ms=timeout_ms + 5000)

    def listview(self, control: int, title: str = None, cls: str = None, hwnd: int = None, max_rows: int = None,
                 timeout_ms: int = 0) -> Optional[dict]:
        """A list view's header items ('columns') and rows ('rows', each with 'texts', 'selected', 'focused')."""
        args = ['listview', *_window_args(hwnd, title, cls, False, timeout_ms), '--control', control]
        if max_rows is not None:
            args += ['--max-rows', max_rows]
        return self.run(*args, wait_ms=timeout_ms)

    def listview_click(self, control: int, column: int = None, row: int = None, double: bool = False,
                       title: str = None, cls: str = None, hwnd: int = None) -> Optional[dict]:
        """Posts a click on header item `column`, or a click (double click) on row `row`, of a list view."""
        args = ['listview-click', *_window_args(hwnd, title, cls), '--control', control]
        args += ['--column', column] if column is not None else ['--row', row]
        if double:
            args.append('--double')
        return self.run(*args)

    def input(self) -> dict:
        """Makes "user input" (a one-pixel mouse move and back) that GetLastInputInfo sees."""
        return self.run('input')

    @staticmethod
    def control(window: dict, control_id: int) -> Optional[dict]:
        """The first child of a listed window with that control id."""
        return next((c for c in window['children'] if c['id'] == control_id), None)
