"""Messages (kinds 8 and 9), notices (kind 10) and the animated notifier, as mirelo-send delivers them."""
from __future__ import annotations

import random
import subprocess
import time

from stand_in import StandInDesktop
from test_popups import VIEW, popups, shown, start

OK = 1
TEXT_BOX = 1013
WS_HSCROLL = 0x00100000
WS_VSCROLL = 0x00200000
WM_LBUTTONDOWN = 0x0201


def texts(korean: bool) -> dict[str, str]:
    if korean:
        return {'subject': '서버 점검 & 재시작', 'sender': '김민지 (정보팀)', 'title': '도움말 요청',
                'body': '오늘 18시에 메일 서버를 다시 시작합니다.\n작성 중인 편지를 저장해 주십시오.',
                'notice': '이번 금요일은 창립기념일로 휴무입니다.\n좋은 주말 보내십시오.', 'header': '소방 훈련 15시',
                'row': '계단으로 대피하십시오'}
    return {'subject': 'Server maintenance & restart', 'sender': 'Kim Minji (IT)', 'title': 'Help desk',
            'body': 'The mail server restarts at 18:00 today.\nPlease save your drafts.',
            'notice': 'The office is closed this Friday.\nHave a good weekend.', 'header': 'Fire drill at 15:00',
            'row': 'Leave by the stairs'}


def rect_of(line: str) -> tuple[int, int, int, int]:
    """(x, y, width, height) from a 'pop-up ... shown: template T at (x,y) size WxH ...' line."""
    at = line.split(' at (')[1].split(')')[0].split(',')
    size = line.split(' size ')[1].split(' ')[0].split('x')
    return int(at[0]), int(at[1]), int(size[0]), int(size[1])


def crop(shot, window) -> None:
    r = window['rect']
    subprocess.run(['convert', str(shot), '-crop', f"{r['right'] - r['left']}x{r['bottom'] - r['top']}+{r['left']}+{r['top']}",
                    str(shot.with_name(shot.stem + '-crop.png'))], check=True, timeout=30)


def close_browsers(inspector) -> None:
    for leftover in inspector.list():
        if leftover['title'].endswith('Internet Explorer') or 'iexplore' in leftover['class'].lower():
            inspector.close(hwnd=leftover['hwnd'])


def test_an_administrator_message_is_centred_topmost_sized_to_its_body_and_has_no_view(mirelo, sender, inspector,
                                                                                        wine, korean):
    client, port = start(mirelo, {'UseBringOnTop': '0'})  # DisplayPos 4 and no bringing on top: kind 8 ignores both
    t = texts(korean)
    sender.run('message', '--kind', '8', '--subject', t['subject'], '--body', t['body'], '--icon', '2',
               '--function', 'f', '--url', 'http://gw/m', '--port', port)
    line = shown(client, 'message')[0]
    assert 'template 135' in line and 'topmost 1' in line and 'view 0' in line, line
    x, y, width, height = rect_of(line)
    assert height == (2 + 3) * 17 + 100
    assert width >= 300
    work = inspector.desktop()['work_area']
    assert x == work['left'] + (work['right'] - work['left']) // 2 - width // 2
    assert y == work['top'] + (work['bottom'] - work['top']) // 2 - height // 2
    window = popups(inspector)[0]
    assert window['topmost'] and window['title'] == ('알림' if korean else 'Notify')
    assert not inspector.control(window, VIEW)['visible']
    ok = inspector.control(window, OK)['rect']
    # Ok sits 15 pixels from the right of the outer width, counted from the client's origin.
    assert 10 <= window['rect']['right'] - ok['right'] <= 15 and ok['bottom'] < window['rect']['bottom']
    shot = mirelo.logs / 'message8.png'
    assert wine.screenshot(shot)
    crop(shot, window)
    inspector.send(hwnd=window['hwnd'], msg=WM_LBUTTONDOWN, lparam=(30 << 16) | 30, post=True)
    time.sleep(1)
    assert not client.has_log(r'^pop-up message closed$'), 'a click does not close a message'


def test_a_user_message_goes_by_display_pos_and_view_opens_the_work_area(mirelo, sender, inspector, wine, korean):
    client, port = start(mirelo)
    t = texts(korean)
    sender.run('message', '--kind', '9', '--title', t['title'], '--sender', t['sender'], '--subject', t['subject'],
               '--body', t['body'], '--function', 'OpenTicket', '--url', 'http://gw/ticket?id=5', '--port', port)
    line = shown(client, 'message')[0]
    assert 'topmost 1' in line and 'view 1' in line, line
    x, y, width, height = rect_of(line)
    work = inspector.desktop()['work_area']
    assert (x + width, y + height) == (work['right'], work['bottom'])
    window = popups(inspector)[0]
    view, ok = inspector.control(window, VIEW), inspector.control(window, OK)
    assert view['visible'] and view['rect']['right'] == ok['rect']['left'] and view['rect']['top'] == ok['rect']['top']
    shot = mirelo.logs / 'message9.png'
    assert wine.screenshot(shot)
    crop(shot, window)
    inspector.click(hwnd=window['hwnd'], control=VIEW)
    opened = client.wait_log(r'^browser: ')
    assert opened.startswith(f"browser: http://gw/ticket?id=5&K=kim at ({work['left']},{work['top']})-"
                             f"({work['right']},{work['bottom']})"), opened
    assert client.wait_log(r'^pop-up message closed$')
    close_browsers(inspector)


def test_user_messages_hide_view_without_function_and_without_use_view(mirelo, sender):
    client, port = start(mirelo, UseView='0')
    sender.run('message', '--kind', '9', '--subject', 's', '--function', 'f', '--url', 'http://gw/x', '--port', port)
    sender.run('message', '--kind', '9', '--subject', 's', '--port', port)
    assert all(line.endswith('view 0') for line in shown(client, 'message', 2))


def test_a_notice_shows_its_text_and_view_hands_the_link_to_a_business_window(mirelo, sender, inspector, wine, korean,
                                                                              tools_dir, work_dir, request):
    t = texts(korean)
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name + '-desktop') as desktop:
        biz = desktop.start('biz', '--windows', '1')
        client, port = start(mirelo, {'FloatTime': '0'})
        sender.run('notice', '--sender', t['sender'], '--text', t['notice'], '--date', '2026-12-07 09:30',
                   '--function', 'OpenNotice', '--url', 'http://gw/n?id=3', '--link-type', '7', '--port', port)
        line = shown(client, 'notice')[0]
        assert 'template 150' in line and 'view 1' in line, line
        window = popups(inspector)[0]
        box = inspector.control(window, TEXT_BOX)
        assert box['text'].replace('\r\n', '\n') == t['notice']
        assert not box['style'] & WS_HSCROLL and not box['style'] & WS_VSCROLL, hex(box['style'])
        shot = mirelo.logs / 'notice.png'
        assert wine.screenshot(shot)
        crop(shot, window)
        inspector.click(hwnd=window['hwnd'], control=VIEW)
        received = biz.wait_received(1)
        url = b'http://gw/n?id=3&K=kim'
        assert [(r.code, r.byte_count, r.data) for r in received] == [(7, 1 + 10 + len(url), b'\x0aOpenNotice' + url)]
        assert client.wait_log(r'^pop-up notice closed$')


def test_a_notice_without_business_window_hides_view_and_long_text_scrolls(mirelo, sender, inspector):
    client, port = start(mirelo)
    lines = 'x' * 80 + '\n' + '\n'.join(f'line {n}' for n in range(18))
    sender.run('notice', '--sender', '', '--text', lines, '--function', 'f', '--url', 'http://gw/n', '--port', port)
    assert 'view 0' in shown(client, 'notice')[0]
    box = inspector.control(popups(inspector)[0], TEXT_BOX)
    assert box['style'] & WS_HSCROLL and box['style'] & WS_VSCROLL, hex(box['style'])


def test_the_animated_notifier_stays_past_float_time_and_plays_its_clip(mirelo, sender, inspector, wine, korean):
    client, port = start(mirelo, {'FloatTime': '3000'})
    t = texts(korean)
    sender.run('notice', '--sender', t['sender'], '--animated', '--header', t['header'], '--icon', 'MAILAVI.AVI',
               '--text1', t['row'], '--text2', 'R&D', '--port', port)
    line = shown(client, 'notifier')[0]
    assert 'template 188' in line and 'view 0' in line, line
    assert client.wait_log(r'^clip playing: .*\\MAILAVI\.AVI$')
    window = popups(inspector)[0]
    assert window['title'] == ('알림' if korean else 'Notify')
    shot = mirelo.logs / 'notifier.png'
    assert wine.screenshot(shot)
    crop(shot, window)
    time.sleep(5)
    assert not client.has_log(r'^pop-up notifier closed$')
    assert popups(inspector), 'the notifier is still there after FloatTime'
    inspector.send(hwnd=window['hwnd'], msg=WM_LBUTTONDOWN, lparam=(30 << 16) | 30, post=True)
    assert client.wait_log(r'^pop-up notifier closed$')


def test_a_notifier_clip_outside_the_program_folder_plays_the_default(mirelo, sender):
    client, port = start(mirelo)
    for icon in ('..\\..\\x.avi', 'C:\\Windows\\x.avi', 'missing.avi'):
        sender.run('notice', '--sender', 's', '--animated', '--icon', icon, '--port', port)
    shown(client, 'notifier', 3)
    assert client.wait_count(r'^clip playing: .*\\bbsavi\.avi$', 2) == 2
    assert client.wait_log(r'^clip not found: .*\\missing\.avi$')
    assert not client.has_log(r'x\.avi')


def test_received_list_mode_lists_messages_and_notices_without_pop_ups(mirelo, sender):
    client, port = start(mirelo, {'UseRecvListDlg': '1'})
    sender.run('message', '--kind', '9', '--subject', 's', '--port', port)
    sender.run('notice', '--sender', 's', '--text', 't', '--port', port)
    assert client.wait_count(r'^received list: kind (9|10), ', 2) == 2
    assert not client.has_log(r'^pop-up ')


def test_bad_payloads_give_a_pop_up_or_nothing(mirelo, sender, inspector):
    client, port = start(mirelo, {'FloatTime': '3000'})
    rng = random.Random(10)
    cases = [['raw', '--kind', kind, '--text', ''] for kind in ('8', '9', '10')]
    cases += [['raw', '--kind', kind, '--hex', 'ff'] for kind in ('8', '9', '10')]
    cases += [['raw', '--kind', '8', '--hex', '0138' + '00' * 4 + 'ffff41']]  # a body length past the end
    cases += [['raw', '--kind', kind, '--hex', bytes(rng.randrange(256) for _ in range(400)).hex()]
              for kind in ('8', '9', '10') for _ in range(3)]
    cases += [['notice', '--sender', 'x' * 255, '--text', 'y' * 255, '--flag', '2'],
              ['message', '--kind', '9', '--subject', 's' * 255, '--title', 't' * 255, '--sender', 'u' * 255]]
    for case in cases:
        sender.run(*case, '--port', port)
    assert client.wait_count(r'^dispatch kind=', len(cases), timeout=60) == len(cases)
    time.sleep(1)
    assert client.running


def test_a_huge_body_of_thousands_of_lines_stays_within_the_screen(mirelo, sender, inspector):
    client, port = start(mirelo, {'DisplayPos': '0'}, ListenMode='1')
    body = '\n'.join(str(n) if n % 1000 else 'w' * 300 for n in range(9000))  # with "\r\n": under 65,535 bytes
    started = time.monotonic()
    sender.run('message', '--kind', '9', '--subject', 'big', '--body', body, '--tcp', '--port', port)
    line = shown(client, 'message')[0]
    assert time.monotonic() - started < 20
    _, _, width, height = rect_of(line)
    work = inspector.desktop()['work_area']
    assert width <= work['right'] - work['left'] and height <= work['bottom'] - work['top']
    one_line = 'z' * 65000
    sender.run('message', '--kind', '8', '--subject', 'wide', '--body', one_line, '--tcp', '--port', port)
    _, _, width, _ = rect_of(shown(client, 'message', 2)[1])
    assert width <= work['right'] - work['left']
    assert client.running
