"""The window inspector against a probe window with known controls, under Wine and Xvfb.

The client's end-to-end tests rely on win-inspect for what they see; this checks its contract on
its own, so a broken inspector shows up here and not as a puzzling client failure.
"""
import os
import pathlib
import queue
import signal
import subprocess
import threading
import time

import pytest

from wine_session import windows_build_dir
from winspect import WinInspect, WinInspectError

WIN32_DIR = windows_build_dir()
INSPECT_EXE = WIN32_DIR / 'tools' / 'win-inspect.exe'
PROBE_EXE = WIN32_DIR / 'tools' / 'win-inspect-probe.exe'

OK_BUTTON, EDIT, DISABLED_BUTTON, MODAL_BUTTON, PANEL, NESTED_BUTTON = 1001, 1002, 1003, 1004, 1005, 1006

pytestmark = pytest.mark.skipif(not INSPECT_EXE.exists() or not PROBE_EXE.exists(),
                                reason=f'{INSPECT_EXE.name} not built in {WIN32_DIR}')


@pytest.fixture()
def inspect(wine):
    return WinInspect(INSPECT_EXE, lambda args, timeout: wine.run(args, timeout=timeout))


@pytest.fixture()
def ansi_codec(locale):
    # The code page Wine derives from the locale, which WM_COPYDATA texts are in.
    return 'cp949' if locale.startswith('ko_KR') else 'cp1252'


class Probe:
    """The probe window's process and the lines it prints for what reached it."""

    def __init__(self, env, title):
        self.title = title
        self.lines = queue.Queue()
        # A session of its own, so that stopping it ends the Wine process with it.
        self.proc = subprocess.Popen(['wine', str(PROBE_EXE), '--title', title], env=env, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, encoding='utf-8', start_new_session=True)
        threading.Thread(target=self._read, daemon=True).start()
        self.hwnd = int(self.expect('ready ').split()[1])

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip('\n'))

    def expect(self, prefix, timeout=10.0):
        """The next line starting with prefix; earlier lines are skipped."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                line = self.lines.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError(f'the probe never printed {prefix!r}') from None
            if line.startswith(prefix):
                return line

    def stop(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
        self.proc.wait(timeout=10)


@pytest.fixture()
def probe(wine, request):
    started = Probe(wine.env(debug=False), f'탐침 {request.node.name}')
    yield started
    started.stop()


def test_find_describes_window_and_controls_in_utf8(inspect, probe):
    window = inspect.find(title=probe.title, timeout_ms=2000)
    assert window['hwnd'] == probe.hwnd
    assert window['class'] == 'WinInspectProbe'
    assert window['visible'] and window['enabled'] and not window['topmost']
    assert window['rect']['right'] - window['rect']['left'] == 420
    assert inspect.control(window, OK_BUTTON)['text'] == '확인'
    assert inspect.control(window, EDIT)['text'] == '편집 text'
    assert inspect.control(window, DISABLED_BUTTON)['enabled'] is False
    nested = inspect.control(window, NESTED_BUTTON)
    assert nested['parent'] == inspect.control(window, PANEL)['hwnd']
    assert inspect.find(cls='WinInspectProbe', title=probe.title)['hwnd'] == probe.hwnd


def test_list_and_not_found(inspect, probe):
    desktop = inspect.desktop()
    assert desktop['screen'] == {'left': 0, 'top': 0, 'right': 1280, 'bottom': 1024}
    assert probe.hwnd in [w['hwnd'] for w in desktop['windows']]
    assert 'IME' not in [w['class'] for w in desktop['windows']]
    started = time.monotonic()
    assert inspect.find(title='없는 창', timeout_ms=300) is None
    assert time.monotonic() - started >= 0.3
    assert inspect.click(title='없는 창', control=1) is None
    assert inspect.click(title=probe.title, control=9999) is None


def test_click_plain_nested_and_disabled(inspect, probe):
    assert inspect.click(title=probe.title, control=OK_BUTTON)['control']['text'] == '확인'
    probe.expect(f'clicked {OK_BUTTON}')
    inspect.click(hwnd=probe.hwnd, control=NESTED_BUTTON)
    probe.expect(f'clicked {NESTED_BUTTON}')
    inspect.click(title=probe.title, control=NESTED_BUTTON, via='command')
    probe.expect(f'clicked {NESTED_BUTTON}')
    with pytest.raises(WinInspectError) as refused:
        inspect.click(title=probe.title, control=DISABLED_BUTTON)
    assert 'disabled' in refused.value.document['error']


def test_click_that_opens_a_modal_box_does_not_block(inspect, probe):
    started = time.monotonic()
    inspect.click(title=probe.title, control=MODAL_BUTTON)
    assert time.monotonic() - started < 5
    probe.expect(f'clicked {MODAL_BUTTON}')
    box = inspect.find(title='win-inspect probe box', timeout_ms=5000)
    assert box['class'] == '#32770' and box['owner'] == probe.hwnd
    assert inspect.find(hwnd=probe.hwnd)['enabled'] is False
    with pytest.raises(WinInspectError):
        inspect.click(hwnd=probe.hwnd, control=OK_BUTTON)
    inspect.click(hwnd=box['hwnd'], control=1)
    probe.expect('modal closed')


def test_send_post_and_settext(inspect, probe):
    assert inspect.send('WM_USER+1', title=probe.title, wparam=40, lparam=2)['result'] == 42
    assert inspect.send(0x401, hwnd=probe.hwnd, wparam='0x10', lparam=-1, post=True)['result'] is None
    probe.expect('sum 16 -1')
    edit = inspect.control(inspect.find(hwnd=probe.hwnd), EDIT)
    inspect.send('WM_SETTEXT', hwnd=edit['hwnd'], text='새 글 "quoted"')
    assert inspect.control(inspect.find(hwnd=probe.hwnd), EDIT)['text'] == '새 글 "quoted"'


def test_send_to_a_busy_window_times_out(inspect, probe):
    inspect.send('WM_USER+2', hwnd=probe.hwnd, wparam=3000, post=True)
    probe.expect('stall')
    with pytest.raises(WinInspectError) as late:
        inspect.send('WM_USER+1', hwnd=probe.hwnd, reply_timeout_ms=300)
    assert 'no reply' in late.value.document['error']
    started = time.monotonic()
    assert inspect.find(hwnd=probe.hwnd)['children']
    assert time.monotonic() - started < 2.5


def test_copydata_text_in_ansi_code_page_and_raw_bytes(inspect, probe, ansi_codec):
    text = '안녕 hi'
    sent = inspect.copydata(7, title=probe.title, text=text)
    expected = text.encode(ansi_codec, errors='replace') + b'\0'
    assert sent['result'] == 1234 and bytes.fromhex(sent['data_hex']) == expected
    probe.expect(f'copydata code=7 bytes={len(expected)} hex={expected.hex()}')
    inspect.copydata(0x10, cls='WinInspectProbe', data=b'\x00\x01\xff')
    probe.expect('copydata code=16 bytes=3 hex=0001ff')
    inspect.copydata(8, hwnd=probe.hwnd, text='퀼론', codepage=949)
    probe.expect(f'copydata code=8 bytes=5 hex={"퀼론".encode("cp949").hex()}00')


def test_input_is_seen_as_user_input(inspect):
    result = inspect.input()
    assert result['inserted'] == 2
    assert result['last_input_after'] >= result['last_input_before']
    assert result['tick'] - result['last_input_after'] < 1000


def test_close_waits_for_the_window_to_go(inspect, probe):
    result = inspect.close(title=probe.title, wait_ms=3000)
    assert result['gone'] is True
    probe.expect('close')
    assert inspect.close(hwnd=probe.hwnd) is None


def test_process_counts_the_gdi_table_by_object_type(inspect, probe):
    found = inspect.run('process', '--name', PROBE_EXE.name)
    types = found['gdi_types']
    # Every used entry counts once: the stock objects apart, the others under their type.
    assert sum(types.values()) == found['gdi_table'], found
    assert types['stock'] > 0 and types['dc'] >= 1, types
    assert found['windows'] >= 6


def test_usage_errors_raise(inspect):
    with pytest.raises(WinInspectError) as usage:
        inspect.run('find', '--timeout-ms', 'soon')
    assert usage.value.returncode == 2
    with pytest.raises(WinInspectError):
        inspect.run('click', '--title', 'x')
