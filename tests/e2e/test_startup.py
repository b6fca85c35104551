"""Start-up, single instance, APPEXIT, shortcut files and links, shutdown."""
from __future__ import annotations

import socket

from mirelo_client import HEAP_CHECKS, MAIN_TITLE, free_port, payload


def test_the_client_runs_hidden_as_NotifyWnd_titled_QXNotifyTray(mirelo, inspector):
    client = mirelo.start(payload())
    window = inspector.find(title=MAIN_TITLE, timeout_ms=10000)
    assert window is not None
    assert window['class'] == 'NotifyWnd'
    assert window['visible'] is False
    assert client.running


def test_no_command_line_gives_notification_xml_and_user_key_null(mirelo):
    client = mirelo.start()
    store = client.wait_log(r'^StoreFile: ')
    assert store == 'StoreFile: ' + mirelo.windows_path(mirelo.folder / 'notification.xml')
    assert client.has_log(r'^UserKey: NULL$')


def test_a_link_payload_is_applied_field_by_field(mirelo):
    client = mirelo.start(payload(UserKey='u77', ListenPort='7411', LevelDigit='3'))
    assert client.has_log(r'^payload field 9: u77$')
    assert client.has_log(r'^payload field 4: 7411$')
    assert client.has_log(r'^payload field 17: 3$')
    assert client.wait_log(r'^StoreFile: ').endswith('\\u77_alerts.xml')


def test_a_payload_after_the_head_tag_is_used(mirelo):
    link = payload(UserKey='headkey')
    text = link[len('qsnotifyclient://'):]
    client = mirelo.start('qsnotifyclient://<html><head><title>x,y,z,</title></HEAD>' + text)
    assert client.has_log(r'^payload field 9: headkey$')
    assert client.has_log(r'^payload field 1: 10\.20\.30\.40$')


def test_a_second_start_without_arguments_leaves_the_first_untouched(mirelo, inspector):
    first = mirelo.start(payload())
    second = mirelo.run_once()
    assert second.has_log(r'^second instance$')
    assert not second.has_log(r'^main frame created')
    assert first.running
    assert inspector.find(title=MAIN_TITLE) is not None


def test_appexit_closes_the_running_client(mirelo, inspector):
    first = mirelo.start(payload())
    mirelo.run_once('APPEXIT')
    assert first.wait_exit(15) == 0
    assert first.has_log(r'^main frame destroyed$')
    assert first.has_log(r'^shutdown$')
    assert inspector.find(title=MAIN_TITLE) is None


def test_appexit_while_the_port_in_use_box_is_open_ends_the_client(mirelo, inspector):
    """The box is modal inside the main frame's creation: the exit must wait for the frame, not destroy it."""
    port = free_port()
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
        taken.bind(('0.0.0.0', port))
        client = mirelo.start(payload(ListenPort=str(port)), wait_ready=False, env=HEAP_CHECKS)
        assert client.wait_log(r'^message box: Error Number : 10048$'), client.log()
        mirelo.run_once('APPEXIT')
        assert client.wait_exit(20) == 0, client.log()
    assert client.has_log(r'^exit requested in a nested loop: deferred$')
    assert client.has_log(r'^main frame destroyed$') and client.has_log(r'^shutdown$')
    assert inspector.find(title=MAIN_TITLE) is None


def test_appexit_while_the_about_box_is_open_ends_the_client(mirelo, inspector, korean):
    client = mirelo.start(payload(), env=HEAP_CHECKS)
    frame = inspector.find(title=MAIN_TITLE, timeout_ms=10000)
    inspector.send(hwnd=frame['hwnd'], msg=0x0111, wparam=57664, post=True)  # WM_COMMAND About
    assert client.wait_log(r'^about box shown, version ')
    mirelo.run_once('APPEXIT')
    assert client.wait_exit(20) == 0, client.log()
    assert client.has_log(r'^exit requested in a nested loop: deferred$')
    assert client.has_log(r'^shutdown$')


def test_appexit_without_a_running_client_just_ends(mirelo):
    only = mirelo.run_once('APPEXIT')
    assert only.has_log(r'^APPEXIT: closing running clients$')
    assert not only.has_log(r'^main frame created')


def test_a_four_byte_shortcut_file_is_deleted_and_gives_alerts_xml(mirelo):
    shortcut = mirelo.folder / 'short.xnf'
    shortcut.write_bytes(b'a,b,')
    client = mirelo.start(mirelo.windows_path(shortcut))
    assert client.wait_log(r'^StoreFile: ').endswith('\\alerts.xml')
    assert not shortcut.exists()
    assert not client.has_log(r'^payload field')


def test_a_shortcut_file_carries_the_payload_in_its_first_260_bytes(mirelo):
    shortcut = mirelo.folder / 'my link.xnf'
    text = payload(UserKey='fromfile')[len('qsnotifyclient://'):]
    shortcut.write_bytes(('<HTML><HEAD></HEAD>' + text + '\r\n').encode() + b'x' * 400)
    client = mirelo.start(mirelo.windows_path(shortcut))
    assert client.wait_log(r'^StoreFile: ').endswith('\\fromfile_alerts.xml')
    assert not shortcut.exists()


def test_an_unreadable_shortcut_file_shows_error_and_starts_anyway(mirelo, inspector):
    missing = mirelo.folder / 'gone.xnf'
    client = mirelo.start(mirelo.windows_path(missing), wait_ready=False)
    assert client.wait_log(r'^message box: Error$')
    box = inspector.find(title='Mirelo', timeout_ms=10000)
    assert box is not None
    assert inspector.click(hwnd=box['hwnd'], control=1) is not None  # IDOK
    assert client.wait_log(r'^main frame created', timeout=15)
    assert client.wait_log(r'^StoreFile: ').endswith('\\alerts.xml')
    assert client.running


def test_only_a_shortcut_file_is_read_and_deleted(mirelo):
    keep = mirelo.folder / 'precious.txt'
    keep.write_text(payload(UserKey='stolen')[len('qsnotifyclient://'):])
    client = mirelo.start(f'"{mirelo.windows_path(keep)}" x.xnf')
    assert client.wait_log(r'^StoreFile: ')
    assert keep.exists()
    assert not client.has_log(r'^payload field 9: stolen$')
    assert not client.has_log(r'^message box: ')


def test_a_second_instance_deletes_only_an_existing_shortcut_file(mirelo):
    mirelo.start(payload())
    keep = mirelo.folder / 'precious.txt'
    keep.write_text('keep me')
    mirelo.run_once(mirelo.windows_path(keep))
    assert keep.exists()

    handed_over = mirelo.folder / 'later.xnf'
    handed_over.write_text(payload()[len('qsnotifyclient://'):])
    second = mirelo.run_once(mirelo.windows_path(handed_over))
    assert not handed_over.exists()
    assert second.has_log(r'^second instance: deleted ')


def test_bad_payloads_give_a_running_client(mirelo):
    cases = [
        'qsnotifyclient://no-commas-at-all',
        'qsnotifyclient://,,,,,',
        'qsnotifyclient://' + 'A' * 3000 + ',' + '9' * 400 + ',',
        'qsnotifyclient://\x01\x02\x7f,\x1b[0m,',
        '</head>',
    ]
    for index, case in enumerate(cases):
        client = mirelo.start(case)
        assert client.running, f'case {index}: {client.log()}'
        assert client.wait_log(r'^StoreFile: '), f'case {index}'
        mirelo.stop_all()
        assert client.wait_exit(10) == 0, f'case {index}'


def test_a_very_long_payload_value_is_taken_whole(mirelo):
    title = 'T' * 600
    client = mirelo.start(payload(BrowserTitle=title))
    assert client.wait_log(r'^payload field 3: T{200,}')  # Wine shortens long debug lines
    mirelo.stop_all()
    assert mirelo.read_ini(mirelo.user_ini)['BrowserTitle'] == title


def test_the_about_box_shows_the_file_version_on_top(mirelo, inspector, wine, korean, win32_dir):
    mirelo.start(payload())
    frame = inspector.find(title=MAIN_TITLE, timeout_ms=10000)
    inspector.send(hwnd=frame['hwnd'], msg=0x0111, wparam=57664, post=True)  # WM_COMMAND About
    caption = '알림' if korean else 'Notify'
    about = inspector.find(title=caption, timeout_ms=10000)
    assert about is not None
    assert about['topmost'] is True
    version = next(c for c in about['children'] if c['id'] == 1024)
    assert version['text'] == (win32_dir / 'version.txt').read_text().strip()  # the build's one version
    wine.screenshot(mirelo.logs / 'about.png')
    inspector.click(hwnd=about['hwnd'], control=1)
    assert mirelo.processes[0].wait_log(r'^about box shown, version ')


def test_registry_file_types_are_registered(mirelo, wine):
    wine.reg_add(r'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows', 'TesselDir', 'REG_SZ', r'C:\Tessel')
    wine.reg_add(r'HKLM\SOFTWARE\Classes\opt_auto_file\Shell\open\command', None, 'REG_SZ', 'old')
    wine.reg_add(r'HKLM\SOFTWARE\Classes\xnf_auto_file', 'EditFlags', 'REG_BINARY', '00000000')
    try:
        client = mirelo.start(payload())
        assert client.has_log(r'^viewer command registered: ')
        command = wine.reg_query(r'HKLM\SOFTWARE\Classes\opt_auto_file\Shell\open\command', None)
        assert r'C:\Tessel\bin\qxview.exe /V /P  %1' in command
        flags = wine.reg_query(r'HKLM\SOFTWARE\Classes\xnf_auto_file', 'EditFlags')
        assert '00000100' in flags
    finally:
        wine.reg_delete(r'HKLM\SOFTWARE\Classes\opt_auto_file')
        wine.reg_delete(r'HKLM\SOFTWARE\Classes\xnf_auto_file')
        wine.reg_delete(r'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows', 'TesselDir')
