"""The messenger channel both ways, starting the messenger, and idle presence."""
from __future__ import annotations

import time

from mirelo_client import MAIN_TITLE, free_port, payload

WM_COMMAND = 0x0111
MESSENGER_TITLE = '퀼론 메신저'


def start(mirelo, ini: dict[str, str] | None = None, **fields):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', **(ini or {})})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), **fields))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def stand_in_command(mirelo, tools_dir, log_name: str) -> tuple[str, object]:
    """A BrennicCMD that starts the stand-in messenger, and the path of its log."""
    exe = mirelo.folder / 'stand-in.exe'
    exe.write_bytes((tools_dir / 'stand-in.exe').read_bytes())
    log = mirelo.folder / log_name
    return f'{mirelo.windows_path(exe)} messenger --log {mirelo.windows_path(log)}', log


def test_status_commands_are_sent_and_the_answer_sets_the_presence(mirelo, inspector, sender):
    client, port = start(mirelo)
    with sender.listen(port + 1) as listener:
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32785)  # Busy
        assert listener.wait_for(1) == [b'@0BSY']
    assert not client.has_log(r'^messenger presence')
    sender.run('messenger', '@0BSY', '--port', port)
    assert client.wait_log(r'^messenger presence BSY: status 32785, online 0$')
    sender.run('messenger', '@0XYZ', '--port', port)
    assert client.wait_log(r'^messenger presence XYZ: status 32785, online 0$')
    sender.run('messenger', '@0NLN', '--port', port)
    assert client.wait_log(r'^messenger presence NLN: status 32784, online 1$')


def test_log_on_starts_the_messenger_once_and_log_out_is_sent(mirelo, inspector, sender, tools_dir):
    command, log = stand_in_command(mirelo, tools_dir, 'messenger.log')
    client, port = start(mirelo, {'BrennicCMD': command})
    with sender.listen(port + 1) as listener:
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32789)  # LogOn
        assert inspector.find(title=MESSENGER_TITLE, timeout_ms=10000) is not None
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32789)
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32790)  # LogOut
        assert listener.wait_for(3) == [b'@I', b'@I', b'@O']
    assert client.wait_count(r'^messenger start: ', 1) == 1
    inspector.close(title=MESSENGER_TITLE, wait_ms=5000)


def test_a_messenger_that_cannot_start_is_reported_and_log_on_is_sent_anyway(mirelo, inspector, sender, korean):
    client, port = start(mirelo, {'BrennicCMD': r'C:\nowhere\messenger.exe'})
    with sender.listen(port + 1) as listener:
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=32789, post=True)
        expected = '메신저 프로그램을 실행할 수 없습니다.' if korean else 'Cannot start the messenger program.'
        assert client.wait_log('^message box: ' + expected.replace('.', r'\.') + '$'), client.log()
        box = inspector.find(title='Mirelo', timeout_ms=10000)
        inspector.click(hwnd=box['hwnd'], control=1)
        assert listener.wait_for(1) == [b'@I']


def test_copydata_3000_sends_exit_and_ends_the_client(mirelo, inspector, sender):
    client, port = start(mirelo)
    with sender.listen(port + 1) as listener:
        inspector.copydata(title=MAIN_TITLE, code=3000)
        assert client.wait_exit(15) == 0
        assert listener.wait_for(1) == [b'@E']


def test_exit_from_the_menu_sends_exit(mirelo, inspector, sender):
    client, port = start(mirelo)
    with sender.listen(port + 1) as listener:
        inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=57665, post=True)
        assert client.wait_exit(15) == 0
        assert listener.wait_for(1) == [b'@E']


def test_other_copydata_starts_the_messenger_and_asks_it_to_show(mirelo, inspector, sender, tools_dir):
    command, _ = stand_in_command(mirelo, tools_dir, 'messenger.log')
    client, port = start(mirelo, {'BrennicCMD': command})
    with sender.listen(port + 1) as listener:
        inspector.copydata(title=MAIN_TITLE, code=7, text='show')
        assert listener.wait_for(1) == [b'@S']
    assert inspector.find(title=MESSENGER_TITLE, timeout_ms=5000) is not None
    assert client.running
    inspector.close(title=MESSENGER_TITLE, wait_ms=5000)


def test_messenger_on_top_sign_out_and_reload(mirelo, inspector, sender, tools_dir, korean):
    command, _ = stand_in_command(mirelo, tools_dir, 'messenger.log')
    client, port = start(mirelo, {'BrennicCMD': command}, UserID='lee')
    inspector.copydata(title=MAIN_TITLE, code=1)
    assert inspector.find(title=MESSENGER_TITLE, timeout_ms=10000) is not None
    sender.run('messenger', '@PT', '--port', port)
    assert client.wait_log(r'^messenger: always on top 1$')
    assert inspector.find(title=MESSENGER_TITLE)['topmost'] is True
    sender.run('messenger', '@PF', '--port', port)
    assert client.wait_log(r'^messenger: always on top 0$')
    assert inspector.find(title=MESSENGER_TITLE)['topmost'] is False
    inspector.close(title=MESSENGER_TITLE, wait_ms=5000)

    sender.run('messenger', '@E', '--port', port)
    assert client.wait_log(r'^messenger: signed out$')

    ini = mirelo.read_ini(mirelo.user_ini)
    ini['UseRecvListDlg'] = '1'
    mirelo.write_ini(mirelo.user_ini, ini)
    sender.run('messenger', '@R', '--port', port)
    assert client.wait_log(r'^messenger: settings reloaded$')
    inspector.send(title=MAIN_TITLE, msg=0x0400 + 100, wparam=129, lparam=0x0205, post=True)
    assert client.wait_log(r'^tray menu: (정보\*\|알림 기록\.\.\.\|종료|About\*\|History\.\.\.\|Exit)$')
    menu = inspector.find(cls='#32768', timeout_ms=5000)
    inspector.send(hwnd=menu['hwnd'], msg=0x0100, wparam=0x1B, post=True)

    mirelo.stop_all()
    assert client.wait_exit(10) == 0
    assert mirelo.read_ini(mirelo.user_ini)['UserID'] == ''


def test_idle_presence_goes_away_and_comes_back(mirelo, inspector, sender):
    client, port = start(mirelo, {'onlineTimeout': '1'})
    with sender.listen(port + 1) as listener:
        inspector.input()
        sender.run('messenger', '@0NLN', '--port', port)
        assert client.wait_log(r'^messenger presence NLN: status 32784, online 1$')
        started = time.monotonic()
        assert client.wait_log(r'^auto-away$', timeout=75)
        assert time.monotonic() - started >= 55, 'away only after a minute without input'
        assert listener.wait_for(1) == [b'@0AWY']
        sender.run('messenger', '@0AWY', '--port', port)  # the messenger's echo keeps it online
        assert client.wait_log(r'^messenger presence AWY: status 32787, online 1$')
        inspector.input()
        assert client.wait_log(r'^auto-online$', timeout=10)
        assert listener.wait_for(2) == [b'@0AWY', b'@0NLN']


def test_no_idle_change_while_busy(mirelo, sender):
    client, port = start(mirelo, {'onlineTimeout': '1'})
    sender.run('messenger', '@0BSY', '--port', port)
    assert client.wait_log(r'^messenger presence BSY')
    time.sleep(4)
    assert not client.has_log(r'^auto-away$')


def test_the_log_out_check_is_armed_when_a_business_application_runs(mirelo, wine, tools_dir, inspector):
    biz = wine.popen([str(tools_dir / 'stand-in.exe'), 'biz'], mirelo.logs / 'biz.stderr')
    try:
        assert inspector.find(cls='QXNotifyBiz', timeout_ms=10000) is not None
        client, _ = start(mirelo, NotifyLogOutType='1')
        assert client.wait_log(r'^log-out check armed: every 120000 ms$')
    finally:
        inspector.close(cls='QXNotifyBiz', wait_ms=5000)
        biz.wait(timeout=10)
