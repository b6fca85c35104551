"""The tray icon, its blinking, its context menu and the settings commands."""
from __future__ import annotations

from mirelo_client import MAIN_TITLE, free_port, payload

WM_COMMAND = 0x0111
WM_LBUTTONDBLCLK = 0x0203
WM_RBUTTONUP = 0x0205
WM_KEYDOWN = 0x0100
VK_ESCAPE = 0x1B
TRAY_CALLBACK = 0x0400 + 100

MENU_EN = ('About*|Always onTop[x]|Window Position>(Center[x]|Left top|Right top|Left bottom|Right bottom)|'
           'Auto closing>(not close[x]|-|after 3 seconds.|after 10 seconds.|after 30 seconds.)|'
           'Usage>(Mail[x]|BBS[x]|Approval[x]|Schedule[x])|Quiet while presenting[x]|History...|Exit')
MENU_KO = ('정보*|항상 위에[x]|창 위치>(가운데[x]|왼쪽 위|오른쪽 위|왼쪽 아래|오른쪽 아래)|'
           '자동 닫기>(닫지 않음[x]|-|3초 후|10초 후|30초 후)|'
           '사용>(메일[x]|게시판[x]|결재[x]|일정[x])|발표 중에는 알림 보류[x]|알림 기록...|종료')


def start(mirelo, ini: dict[str, str] | None = None):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', **(ini or {})})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port)))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def open_menu(client, inspector) -> str:
    """Right-clicks the tray icon (through its callback message) and returns the menu as logged."""
    before = len([line for line in client.log() if line.startswith('tray menu: ')])
    inspector.send(title=MAIN_TITLE, msg=TRAY_CALLBACK, wparam=129, lparam=WM_RBUTTONUP, post=True)
    seen = None
    for _ in range(100):
        menus = [line for line in client.log() if line.startswith('tray menu: ')]
        # A long line arrives in pieces: it is whole once a later look finds it unchanged.
        if len(menus) > before and menus[-1] == seen:
            return seen[len('tray menu: '):]
        seen = menus[-1] if len(menus) > before else None
        client.wait_log(r'^$', timeout=0.2)
    raise AssertionError(f'no menu was shown: {client.log()}')


def close_menu(inspector) -> None:
    menu = inspector.find(cls='#32768', timeout_ms=5000)
    assert menu is not None, 'the menu window is not on screen'
    inspector.send(hwnd=menu['hwnd'], msg=WM_KEYDOWN, wparam=VK_ESCAPE, post=True)


def test_the_tray_icon_is_added_and_the_menu_opens_on_a_right_click(mirelo, inspector, wine, korean):
    client, _ = start(mirelo)
    assert client.has_log(r'^tray icon added: id 129, tip "NotifyClient"$')
    wine.screenshot(mirelo.logs / 'tray-icon.png')
    assert open_menu(client, inspector) == (MENU_KO if korean else MENU_EN)
    wine.screenshot(mirelo.logs / 'tray-menu.png')
    close_menu(inspector)


def test_received_list_mode_leaves_about_history_and_exit(mirelo, inspector, korean):
    client, _ = start(mirelo, {'UseRecvListDlg': '1'})
    assert open_menu(client, inspector) == ('정보*|알림 기록...|종료' if korean else 'About*|History...|Exit')
    close_menu(inspector)


def test_hidden_usage_menu_and_an_odd_auto_close_delay(mirelo, inspector, korean):
    client, _ = start(mirelo, {'ShowUseNotifyMenu': '0', 'FloatTime': '5000', 'DisplayPos': '9'})
    menu = open_menu(client, inspector)
    close_menu(inspector)
    if korean:
        assert menu == ('정보*|항상 위에[x]|창 위치>(가운데|왼쪽 위|오른쪽 위|왼쪽 아래|오른쪽 아래)|'
                        '자동 닫기>(닫지 않음|-|3초 후|10초 후|30초 후)|발표 중에는 알림 보류[x]|알림 기록...|종료')
    else:
        assert menu == ('About*|Always onTop[x]|Window Position>(Center|Left top|Right top|Left bottom|Right bottom)|'
                        'Auto closing>(not close|-|after 3 seconds.|after 10 seconds.|after 30 seconds.)|'
                        'Quiet while presenting[x]|History...|Exit')


def test_menu_commands_change_the_saved_settings(mirelo, inspector):
    client, _ = start(mirelo)
    for command in (32776, 32795, 32779, 32782, 32797):
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=command)
    menu = open_menu(client, inspector)
    close_menu(inspector)
    assert 'Right bottom[x]' in menu or '오른쪽 아래[x]' in menu
    assert 'after 10 seconds.[x]' in menu or '10초 후[x]' in menu
    assert 'Quiet while presenting|' in menu or '발표 중에는 알림 보류|' in menu
    mirelo.stop_all()
    assert client.wait_exit(10) == 0
    saved = mirelo.read_ini(mirelo.user_ini)
    assert saved['DisplayPos'] == '4'
    assert saved['FloatTime'] == '10000'
    assert saved['UseBBSNotify'] == '0'
    assert saved['UseBringOnTop'] == '0'
    assert saved['UseMailNotify'] == '1'
    assert saved['QuietWhilePresenting'] == '0'
    assert saved['KeepHistory'] == '1'


def test_a_double_click_opens_about(mirelo, inspector, korean):
    client, _ = start(mirelo)
    inspector.send(title=MAIN_TITLE, msg=TRAY_CALLBACK, wparam=129, lparam=WM_LBUTTONDBLCLK, post=True)
    about = inspector.find(title='알림' if korean else 'Notify', timeout_ms=10000)
    assert about is not None
    inspector.click(hwnd=about['hwnd'], control=1)
    assert client.wait_log(r'^about box shown, version ')


def test_callbacks_for_another_icon_are_ignored(mirelo, inspector):
    client, _ = start(mirelo)
    inspector.send(title=MAIN_TITLE, msg=TRAY_CALLBACK, wparam=7, lparam=WM_RBUTTONUP)
    inspector.send(title=MAIN_TITLE, msg=TRAY_CALLBACK, wparam=7, lparam=WM_LBUTTONDBLCLK)
    assert not client.has_log(r'^tray menu: ')
    assert not client.has_log(r'^about box shown')


def test_the_icon_comes_back_when_the_taskbar_is_re_created(mirelo, inspector):
    client, _ = start(mirelo)
    inspector.send(msg=None, registered='TaskbarCreated', broadcast=True, post=True)
    assert client.wait_log(r'^taskbar re-created: tray icon added again$')
    assert client.wait_count(r'^tray icon added: ', 2) == 2


def test_a_blink_from_the_messenger_runs_eleven_ticks(mirelo, sender):
    client, port = start(mirelo)
    sender.run('messenger', '@B', '--port', port)
    assert client.wait_log(r'^messenger: blink$')
    assert client.wait_log(r'^tray blink ended after 11 ticks$', timeout=10)
