"""The document pop-ups: bulletin board, mail, schedule and approval, and how they come and go."""
from __future__ import annotations

import re
import subprocess
import time

from mirelo_client import HEAP_CHECKS, MAIN_TITLE, free_port, payload

WM_LBUTTONDOWN = 0x0201
WM_CLOSE = 0x0010
WM_KEYDOWN = 0x0100
VK_ESCAPE = 0x1B
VIEW = 152
SIZES_KO = {132: (407, 184), 133: (407, 184), 134: (407, 184)}
# Internet Explorer automation fails without ieframe: View falls back to the shell, as on current Windows.
NO_INTERNET_EXPLORER = {'WINEDLLOVERRIDES': 'mscoree,mshtml,ieframe=,winedbg.exe=d'}


def start(mirelo, ini: dict[str, str] | None = None, env: dict[str, str] | None = None, **fields):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'DisplayPos': '4', **(ini or {})})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), UserID='kim', **fields), env=env)
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def popups(inspector, client_pid: int | None = None) -> list[dict]:
    """The pop-up windows on the desktop (dialogs with a View button), newest first in z-order."""
    found = []
    for window in inspector.list():
        if window['class'] != '#32770' or not window['visible']:
            continue
        if any(child['id'] == VIEW for child in window['children']):
            found.append(window)
    return found


def shown(client, family: str, count: int = 1) -> list[str]:
    assert client.wait_count(rf'^pop-up {family} shown: ', count) >= count, client.log()
    return [line for line in client.log() if line.startswith(f'pop-up {family} shown: ')]


def send_mail(sender, port, **options):
    args = ['mail', '--sender', options.pop('sender_name', 'Kim Cheolsu (R&D)'),
            '--subject', options.pop('subject', 'Quarterly report'), '--port', port]
    for key, value in options.items():
        flag = '--' + key.replace('_', '-')
        args += [flag] if value is True else [flag, value]
    sender.run(*args)


def test_each_family_shows_its_pop_up(mirelo, sender, inspector, wine, korean):
    client, port = start(mirelo)
    send_mail(sender, port, function='OpenMail', url='http://gw/mail?id=1')
    sender.run('bbs', '--poster', 'Lee', '--board', 'Notice', '--title', 'Year-end party', '--function', 'f',
               '--url', 'http://gw/b', '--port', port)
    sender.run('schedule', '--requester', 'Park', '--subject', 'Weekly sync', '--function', 'f', '--url', 'u',
               '--port', port)
    sender.run('approval', '--kind', '4', '--doc-kind', '8', '--action', '1', '--drafter', 'Choi',
               '--subject', 'Budget 2027', '--function', 'f', '--url', 'http://gw/a', '--port', port)
    lines = {family: shown(client, family)[0] for family in ('mail', 'bbs', 'schedule', 'approval')}
    assert 'template 133' in lines['mail'] and 'view 1' in lines['mail']
    assert 'template 132' in lines['bbs'] and 'view 1' in lines['bbs']
    assert 'template 133' in lines['schedule'] and 'view 0' in lines['schedule']
    assert 'template 134' in lines['approval'] and 'view 1' in lines['approval']
    for sound in ('newmail.wav', 'newbbs.wav', 'newgs.wav', 'sancarrv.wav'):
        assert client.has_log(rf'^sound: {sound}$'), sound

    windows = popups(inspector)
    assert len(windows) == 4
    caption = '알림' if korean else 'Notify'
    assert all(w['title'] == caption for w in windows)
    assert all(w['topmost'] for w in windows)
    work = inspector.desktop()['work_area']
    for w in windows:
        assert w['rect']['right'] == work['right'] and w['rect']['bottom'] == work['bottom'], w['rect']
    wine.screenshot(mirelo.logs / 'four-popups.png')


def test_two_pop_ups_lie_exactly_over_each_other(mirelo, sender, inspector):
    client, port = start(mirelo)
    send_mail(sender, port)
    send_mail(sender, port, subject='Second')
    shown(client, 'mail', 2)
    first, second = popups(inspector)[:2]
    assert first['rect'] == second['rect']


def test_view_opens_the_page_at_the_families_size_and_closes(mirelo, sender, inspector):
    client, port = start(mirelo)
    send_mail(sender, port, function='OpenMail', url='http://gw/mail?id=7')
    shown(client, 'mail')
    window = popups(inspector)[0]
    inspector.click(hwnd=window['hwnd'], control=VIEW)
    line = client.wait_log(r'^browser: ')
    work = inspector.desktop()['work_area']
    left = work['left'] + (work['right'] - work['left'] - 840) // 2
    top = work['top'] + (work['bottom'] - work['top'] - 660) // 2
    assert line.startswith(f'browser: http://gw/mail?id=7&K=kim at ({left},{top})-'), line
    assert client.wait_log(r'^pop-up mail closed$')
    close_internet_explorer(inspector)


def close_internet_explorer(inspector):
    for leftover in inspector.list():
        if leftover['title'].endswith('Internet Explorer') or 'iexplore' in leftover['class'].lower():
            inspector.close(hwnd=leftover['hwnd'])


def test_a_pop_up_closed_while_view_waits_for_the_browser(mirelo, sender, inspector):
    """Browser automation dispatches messages while it waits: a WM_CLOSE then ends the pop-up under View."""
    client, port = start(mirelo, env=HEAP_CHECKS)
    send_mail(sender, port, function='OpenMail', url='http://gw/mail?id=9')
    shown(client, 'mail')
    window = popups(inspector)[0]
    inspector.click(hwnd=window['hwnd'], control=VIEW)
    assert client.wait_log(r'^browser: http://gw/mail\?id=9&K=kim at ')
    inspector.send(hwnd=window['hwnd'], msg=WM_CLOSE)  # sent, not posted: handled inside the wait
    assert client.wait_log(r'^browser: page opened$', timeout=60), client.log()
    log = client.log()
    assert log.index('pop-up mail closed') < log.index('browser: page opened'), log
    time.sleep(1)
    assert client.running
    close_internet_explorer(inspector)


def test_view_is_hidden_without_function_for_sub_kind_two_and_without_use_view(mirelo, sender):
    client, port = start(mirelo)
    send_mail(sender, port)
    send_mail(sender, port, function='f', url='u', sub_kind='2', recipients='Team A')
    sender.run('approval', '--kind', '5', '--doc-kind', '6', '--action', '3', '--subject', 's', '--function', 'f',
               '--url', 'u', '--sub-kind', '2', '--port', port)
    lines = shown(client, 'mail', 2) + shown(client, 'approval')
    assert all(line.endswith('view 0') for line in lines), lines


def test_auto_close_after_float_time(mirelo, sender):
    client, port = start(mirelo, {'FloatTime': '3000'})
    send_mail(sender, port)
    shown(client, 'mail')
    started = time.monotonic()
    assert client.wait_log(r'^pop-up mail closed$', timeout=10)
    assert 2.5 <= time.monotonic() - started <= 6


def test_ok_esc_and_a_click_close_a_pop_up(mirelo, sender, inspector):
    client, port = start(mirelo)
    for _ in range(3):
        send_mail(sender, port)
    shown(client, 'mail', 3)
    first, second, third = popups(inspector)[:3]
    inspector.click(hwnd=first['hwnd'], control=1)
    inspector.send(hwnd=second['hwnd'], msg=WM_KEYDOWN, wparam=VK_ESCAPE, post=True)
    inspector.send(hwnd=third['hwnd'], msg=WM_LBUTTONDOWN, lparam=(30 << 16) | 30, post=True)
    assert client.wait_count(r'^pop-up mail closed$', 3) == 3


def test_the_title_bar_close_closes_every_pop_up_in_korean_and_one_in_english(mirelo, sender, inspector, korean):
    client, port = start(mirelo)
    send_mail(sender, port)
    sender.run('bbs', '--poster', 'p', '--board', 'b', '--title', 't', '--port', port)
    shown(client, 'mail')
    shown(client, 'bbs')
    inspector.send(hwnd=popups(inspector)[0]['hwnd'], msg=WM_CLOSE, post=True)
    expected = 2 if korean else 1
    assert client.wait_count(r'^pop-up \w+ closed$', expected) == expected
    time.sleep(0.5)
    assert len(popups(inspector)) == 2 - expected


def test_switches_urgency_and_received_list_mode(mirelo, sender):
    client, port = start(mirelo, {'UseMailNotify': '0'})
    send_mail(sender, port)
    assert client.wait_log(r'^sound: newmail\.wav$')
    assert not client.has_log(r'^pop-up mail shown')

    ini = mirelo.read_ini(mirelo.user_ini)
    ini.update({'UseMailNotify': '1', 'OnlyUrgency': '1'})
    mirelo.write_ini(mirelo.user_ini, ini)
    sender.run('messenger', '@R', '--port', port)
    assert client.wait_log(r'^messenger: settings reloaded$')
    send_mail(sender, port, subject='plain')
    send_mail(sender, port, subject='urgent', urgent=True)
    assert client.wait_count(r'^sound: newmail\.wav$', 2) == 2
    assert len(shown(client, 'mail')) == 1

    ini['OnlyUrgency'] = '0'
    ini['UseRecvListDlg'] = '1'
    mirelo.write_ini(mirelo.user_ini, ini)
    sender.run('messenger', '@R', '--port', port)
    assert client.wait_count(r'^messenger: settings reloaded$', 2) == 2
    send_mail(sender, port, subject='listed')
    assert client.wait_log(r'^received list: kind 2, ')
    assert client.wait_count(r'^sound: newmail\.wav$', 2) == 2
    assert len(shown(client, 'mail')) == 1


def end_with_mail_open(mirelo, sender, inspector, korean, count=1):
    """The server's end message while `count` mail pop-ups are open: the client and its question."""
    client, port = start(mirelo)
    for _ in range(count):
        send_mail(sender, port, function='f', url='http://gw/m')
    shown(client, 'mail', count)
    sender.run('end', '--port', port)
    assert client.wait_log(r'^unconfirmed-messages dialog shown$')
    dialog = inspector.find(title='확인' if korean else 'Confirm', timeout_ms=5000)
    assert dialog is not None
    return client, dialog


def test_the_end_message_with_open_pop_ups_asks_first(mirelo, sender, inspector, korean):
    client, dialog = end_with_mail_open(mirelo, sender, inspector, korean, count=3)
    assert dialog['topmost']
    inspector.click(hwnd=dialog['hwnd'], control=1)  # Yes
    assert client.wait_log(r'^close pending$')
    remaining = popups(inspector)
    assert len(remaining) == 3
    for window in remaining:
        assert not inspector.control(window, VIEW)['visible']
    for window in remaining:
        assert client.running
        inspector.click(hwnd=window['hwnd'], control=1)
    assert client.wait_exit(15) == 0


def test_yes_after_every_pop_up_has_closed_ends_the_client(mirelo, sender, inspector, korean):
    client, dialog = end_with_mail_open(mirelo, sender, inspector, korean)
    inspector.click(hwnd=popups(inspector)[0]['hwnd'], control=1)  # the pop-up goes before the answer
    assert client.wait_log(r'^pop-up mail closed$')
    inspector.click(hwnd=dialog['hwnd'], control=1)  # Yes
    assert client.wait_log(r'^close pending$')
    assert client.wait_exit(15) == 0, client.log()
    assert client.has_log(r'^main frame destroyed$')


def test_no_ends_at_once_and_schedules_alone_do_not_ask(mirelo, sender, inspector, korean):
    client, dialog = end_with_mail_open(mirelo, sender, inspector, korean)
    inspector.click(hwnd=dialog['hwnd'], control=2)  # No
    assert client.wait_exit(15) == 0

    client, port = start(mirelo)
    sender.run('schedule', '--requester', 'r', '--subject', 's', '--port', port)
    shown(client, 'schedule')
    sender.run('end', '--port', port)
    assert client.wait_exit(15) == 0
    assert not client.has_log(r'^unconfirmed-messages dialog shown$')


def test_pop_ups_leave_the_focus_alone_when_not_brought_on_top(mirelo, sender, inspector, wine, tools_dir):
    biz = wine.popen([str(tools_dir / 'stand-in.exe'), 'biz'], mirelo.logs / 'biz.stderr')
    try:
        stand_in = inspector.find(cls='QXNotifyBiz', timeout_ms=10000)
        client, port = start(mirelo, {'UseBringOnTop': '0'})
        inspector.send(hwnd=stand_in['hwnd'], msg=0x0006, wparam=1)  # WM_ACTIVATE
        before = inspector.desktop()['foreground']
        send_mail(sender, port)
        line = shown(client, 'mail')[0]
        assert 'topmost 0' in line
        after = inspector.desktop(all=True)
        names = {w['hwnd']: (w['title'], w['class']) for w in after['windows']}
        assert after['foreground'] == before, (names.get(before), names.get(after['foreground']))
    finally:
        inspector.close(cls='QXNotifyBiz', wait_ms=5000)
        biz.wait(timeout=10)


def test_bad_payloads_give_a_pop_up_or_nothing(mirelo, sender):
    client, port = start(mirelo)
    cases = [
        ['raw', '--kind', '2', '--text', ''],
        ['raw', '--kind', '2', '--hex', 'ff'],
        ['raw', '--kind', '4', '--hex', '0102'],
        ['raw', '--kind', '1', '--hex', 'ff' * 300],
        ['mail', '--sender', 'x' * 255, '--subject', 'y' * 255],
        ['mail', '--sender', 's', '--subject', 't', '--field', '3=\\xff\\xfe\\xc3(', '--field', '2=\\xed\\xa0\\x80'],
        ['approval', '--kind', '11', '--doc-kind', '', '--action', '', '--subject', ''],
        ['bbs', '--poster', 'p', '--board', 'b', '--title', 't', '--link-raw', '303031ff' + '41' * 20],
    ]
    for case in cases:
        sender.run(*case, '--port', port)
    assert client.wait_count(r'^dispatch kind=', len(cases)) == len(cases)
    time.sleep(1)
    assert client.running


def test_an_oversized_link_field_over_tcp(mirelo, sender):
    client, port = start(mirelo, ListenMode='1')
    url = 'http://gw/' + 'u' * 65520  # with the link's 5 other bytes: the largest link field, 65,535 bytes
    sender.run('mail', '--sender', 's', '--subject', 't', '--function', 'f', '--url', url, '--tcp', '--port', port)
    assert client.wait_log(r'^dispatch kind=2 length=')
    assert 'view 1' in shown(client, 'mail')[0]


def test_shown_pop_ups_tell_the_notifier_windows(mirelo, sender, wine, inspector, tools_dir, work_dir, request):
    from stand_in import StandInDesktop, search_order
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name + '-desktop') as desktop:
        notifiers = desktop.start('pingo', '--windows', '12', '--nested')
        expected = search_order(notifiers.windows(), 'QXPingoMsgWnd')[:10]
        client, port = start(mirelo)
        send_mail(sender, port)
        received = notifiers.wait_received(10)
        assert [r.window for r in received] == expected
        assert {r.code for r in received} == {100}
        sender.run('bbs', '--poster', 'p', '--board', 'b', '--title', 't', '--port', port)
        sender.run('approval', '--kind', '6', '--doc-kind', '2', '--action', '5', '--subject', 's', '--sub-kind', '3',
                   '--port', port)
        received = notifiers.wait_received(30)
        # Each pop-up tells the windows from a thread of its own: the two deliveries may interleave.
        later = received[10:]
        assert sorted(r.code for r in later) == [3] * 10 + [200] * 10
        for code in (200, 3):
            assert [r.window for r in later if r.code == code] == expected
        sender.run('schedule', '--requester', 'r', '--subject', 's', '--port', port)
        shown(client, 'schedule')
        import time as clock
        clock.sleep(1)
        assert len(notifiers.received()) == 30, 'schedules tell no one'


def test_screenshots_of_every_family(mirelo, sender, inspector, wine, korean):
    """Urgent and plain, regular and big font, in the language of the run: pictures to look at."""
    texts = {
        'subject': '2027년 사업 계획 <b>검토</b> 요청 & 회신' if korean else 'Review of the 2027 <b>plan</b> & reply',
        'name': '김민지 (영업팀)' if korean else 'Kim Minji (Sales)',
    }
    for big in ('0', '1'):
        mirelo.reset_user_settings()
        client, port = start(mirelo, {'UseBigFontMessage': big, 'DisplayPos': '0'})
        cases = [
            ('mail', ['mail', '--sender', texts['name'], '--subject', texts['subject'], '--function', 'f', '--url',
                      'http://gw/m', '--urgent']),
            ('bbs', ['bbs', '--poster', texts['name'], '--board', 'Notice', '--title', texts['subject'],
                     '--function', 'f', '--url', 'http://gw/b', '--sub-kind', '2', '--recipients', 'R&D, <i>Sales</i>']),
            ('schedule', ['schedule', '--requester', texts['name'], '--subject', texts['subject']]),
            ('approval', ['approval', '--kind', '5', '--doc-kind', 'F', '--action', '1', '--drafter', texts['name'],
                          '--processor', 'Park', '--subject', texts['subject'], '--urgent', '--function', 'f',
                          '--url', 'u']),
        ]
        for family, args in cases:
            sender.run(*args, '--port', port)
            shown(client, family)
            window = popups(inspector)[0]
            rect = window['rect']
            shot = mirelo.logs / f'{family}-big{big}.png'
            assert wine.screenshot(shot)
            crop = shot.with_name(shot.stem + '-crop.png')
            import subprocess
            subprocess.run(['convert', str(shot), '-crop',
                            f"{rect['right'] - rect['left']}x{rect['bottom'] - rect['top']}+{rect['left']}+{rect['top']}",
                            str(crop)], check=True, timeout=30)
            inspector.click(hwnd=window['hwnd'], control=1)
            assert client.wait_log(rf'^pop-up {family} closed$')
        mirelo.stop_all()



def test_view_opens_no_program_a_forged_mail_names(mirelo, sender, inspector):
    """A mail whose URL names a batch file: one click on View must not run it."""
    client, port = start(mirelo, env=NO_INTERNET_EXPLORER)
    marker = mirelo.folder / 'ran.txt'
    batch = mirelo.folder / 'poc&K=.bat'
    batch.write_bytes(f'echo ran > "{mirelo.windows_path(marker)}"\r\n'.encode())
    url = mirelo.windows_path(batch)
    send_mail(sender, port, function='OpenMail', url=url)
    shown(client, 'mail')
    inspector.click(hwnd=popups(inspector)[0]['hwnd'], control=VIEW)
    assert client.wait_log(r'^pop-up mail closed$')
    time.sleep(3)
    assert not marker.exists(), 'the batch file ran'
    assert client.has_log(r'^browser: refused ' + re.escape(url) + '$'), client.log()
    assert not client.has_log(r'^browser: default browser$')



def test_a_pop_up_in_a_window_made_ahead_is_the_one_made_when_it_came(mirelo, sender, inspector, korean):
    """After a pop-up, the client makes a hidden, untitled window of every pop-up template for the next
    one: the pop-up that takes it looks and acts as the first, made when its notification came."""
    client, port = start(mirelo, {'FloatTime': '0'})
    send_mail(sender, port, function='OpenMail', url='http://gw/mail?id=1')
    shown(client, 'mail')
    assert client.wait_log(r'^windows made ahead for pop-ups: \d+$'), client.log()
    pid = popups(inspector)[0]['pid']
    ahead = [w for w in inspector.list() if w['pid'] == pid and w['class'] == '#32770' and not w['visible']]
    # One for each template (document 132 to 134, message, notice, notifier, alert), found by no caption.
    assert len(ahead) == 7 and all(w['title'] == '' for w in ahead), ahead

    send_mail(sender, port, function='OpenMail', url='http://gw/mail?id=2')
    shown(client, 'mail', 2)
    newer, older = popups(inspector)[:2]
    caption = '알림' if korean else 'Notify'
    assert newer['title'] == older['title'] == caption
    for key in ('rect', 'topmost', 'style', 'exstyle'):
        assert newer[key] == older[key], key
    controls = [[(c['id'], c['class'], c['text'], c['rect'], c['visible']) for c in w['children']] for w in (newer, older)]
    assert controls[0] == controls[1]
    # The window taken is made again, and the pop-up closes as one made at once does.
    assert client.wait_count(r'^windows made ahead for pop-ups: ', 2) >= 2, client.log()
    inspector.click(hwnd=newer['hwnd'], control=1)
    assert client.wait_log(r'^pop-up mail closed$'), client.log()
