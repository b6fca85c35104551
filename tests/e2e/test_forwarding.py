"""The client's forwarding to local applications under Wine: SendData, IsBizAppPresent, NotifyLocalApps.

forwarding-check runs the client's own forwarding code (linked with PingoProxy as the client is) so that
its "[Mirelo] " lines can be matched exactly; stand-in.exe owns the business application windows
("QXNotifyBiz") and the notifier windows and logs what each received.
"""
from __future__ import annotations

import pytest

from stand_in import StandInDesktop, search_order
from wine_session import parse_log

NAME = 'NotifyClicknView'                # 16 characters
URL = 'http://gw.example/view?id=1234'  # 30 characters


@pytest.fixture
def desktop(wine, inspector, tools_dir, work_dir, request):
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name) as stand_in_desktop:
        yield stand_in_desktop


@pytest.fixture
def forwarding(desktop, wine, win32_dir):
    """Runs forwarding-check; returns its output and the client's log lines."""

    def run(*args) -> tuple[str, list[str]]:
        output, stderr = desktop.run_check(win32_dir / 'forwarding-check.exe', *args, debug=True)
        return output, parse_log(stderr.decode('latin-1'), wine.code_page)

    return run


def start_line(type_: int, name: str, url: str) -> str:
    return f'Start SendData() nType={type_}, szJavaScriptFuncName={name}, szCallUrl={url}'


def test_send_data_without_a_business_window_sends_nothing(forwarding):
    output, log = forwarding('senddata', 3, NAME, URL)
    assert output == 'SendData done\n'
    assert log == [start_line(3, NAME, URL)] + ['Identical Class Found = ', 'Found Class Count=0', 'End SendData()']


def test_send_data_reaches_the_first_ten_of_twelve_business_windows_in_z_order(forwarding, desktop):
    biz = desktop.start('biz', '--windows', '12')
    assert [w.cls for w in biz.windows()] == ['QXNotifyBiz'] * 12

    _, log = forwarding('senddata', 3, NAME, URL)
    assert log == ([start_line(3, NAME, URL)] + ['Identical Class Found = QXNotifyBiz'] * 10 +
                   ['Found Class Count=10',
                    f'copyDataStruct.cbData=47, copyDataStruct.dwData=3, copyDataStruct.lpData=\x10{NAME}{URL}'] +
                   ['SendMessage To QXNotifyBiz'] * 10 + ['End SendData()'])
    received = biz.wait_received(10)
    assert [r.window for r in received] == list(range(10))
    payload = bytes([16]) + NAME.encode() + URL.encode()
    assert all((r.code, r.byte_count, r.data) == (3, 47, payload) for r in received)


def test_an_empty_function_name_sends_cbdata_0(forwarding, desktop):
    biz = desktop.start('biz', '--windows', '1')
    _, log = forwarding('senddata', 9, '', URL)
    assert 'copyDataStruct.cbData=0, copyDataStruct.dwData=9, copyDataStruct.lpData=' in log
    received = biz.wait_received(1)
    assert [(r.code, r.byte_count, r.data) for r in received] == [(9, 0, b'')]


def test_texts_go_in_the_ansi_code_page(forwarding, desktop, wine, korean):
    biz = desktop.start('biz', '--windows', '1')
    url = 'http://gw.example/회의' if korean else 'http://gw.example/café'
    _, log = forwarding('senddata', 4, 'f', url)
    assert start_line(4, 'f', url) in log
    encoded = url.encode(wine.code_page)
    assert f'copyDataStruct.cbData={2 + len(encoded)}, copyDataStruct.dwData=4, copyDataStruct.lpData=\x01f{url}' in log
    received = biz.wait_received(1)
    assert [(r.byte_count, r.data) for r in received] == [(2 + len(encoded), b'\x01f' + encoded)]


def test_a_url_that_is_not_a_web_page_is_not_handed_over(forwarding, desktop):
    biz = desktop.start('biz', '--windows', '1')
    for url in (r'C:\x\poc&K=.bat', 'file:///C:/x/poc.bat', 'javascript:alert(1)&K=kim'):
        _, log = forwarding('senddata', 3, NAME, url)
        assert log == [start_line(3, NAME, url), f'SendData refused: {url}', 'End SendData()']
    _, log = forwarding('senddata', 3, NAME, URL)
    assert 'Found Class Count=1' in log
    assert [r.data for r in biz.wait_received(1)] == [bytes([16]) + NAME.encode() + URL.encode()]


def test_is_biz_app_present(forwarding, desktop):
    assert forwarding('present')[0] == 'IsBizAppPresent=0\n'
    desktop.start('biz', '--windows', '1')
    assert forwarding('present')[0] == 'IsBizAppPresent=1\n'


def test_notify_local_apps_hands_the_code_to_the_notifier_windows(forwarding, desktop):
    notifiers = desktop.start('pingo', '--windows', '3', '--nested')
    output, log = forwarding('notify', 100)
    assert output == 'NotifyLocalApps done\n'
    assert log == ['local apps: 1 codes handed over']
    expected = search_order(notifiers.windows(), 'QXPingoMsgWnd')
    received = notifiers.wait_received(len(expected))
    assert [(r.window, r.code, r.byte_count) for r in received] == [(i, 100, 0) for i in expected]


def test_codes_queued_together_reach_every_notifier_window_in_their_order(forwarding, desktop):
    # Slow receivers: the codes queued while the first is handed over wait and go together.
    notifiers = desktop.start('pingo', '--windows', '3', '--nested', '--answer-ms', '50')
    codes = [100, 100, 7, 100, 200, 200]
    output, log = forwarding('notify', *codes)
    assert output == 'NotifyLocalApps done\n'
    # One search for the first code, one for all the others.
    handed = [int(line.split()[2]) for line in log if line.startswith('local apps: ')]
    assert sum(handed) == len(codes) and len(handed) <= 2, handed
    expected = search_order(notifiers.windows(), 'QXPingoMsgWnd')
    received = notifiers.wait_received(len(expected) * len(codes))
    for window in expected:
        assert [r.code for r in received if r.window == window] == codes
