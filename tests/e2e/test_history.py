"""The history window: every stored notification, newest first, filtered as one types, opened by a double-click."""
from __future__ import annotations

import re

from mirelo_client import MAIN_TITLE, free_port, payload
from test_messages import close_browsers
from wine_session import wait_until

WM_COMMAND = 0x0111
WM_SETTEXT = 0x000C
HISTORY_COMMAND = 32798
SEARCH = 1041
LIST = 1042
USER_KEY = 'hk1'


def start(mirelo, ini: dict[str, str] | None = None):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', **(ini or {})})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), ListenMode='1', UserKey=USER_KEY, UserID='kim'))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def batch(sender, port, encoding: str, *records: tuple[str, ...]) -> None:
    """An XML batch in the desktop's ANSI code page, as the client reads it."""
    args = ['batch', '--port', port, '--quiet', '--encoding', encoding]
    for record in records:
        args += list(record)
    sender.run(*args)


def ansi(korean: bool) -> str:
    return 'cp949' if korean else 'cp1252'


def open_history(client, inspector, korean: bool, rows: int) -> dict:
    inspector.send(title=MAIN_TITLE, msg=WM_COMMAND, wparam=HISTORY_COMMAND, post=True)
    assert client.wait_log(rf'^history window: {rows} of {rows} rows after \d+ ms$'), client.log()
    window = inspector.find(title='알림 기록' if korean else 'History', cls='#32770', visible=True, timeout_ms=10000)
    assert window is not None and inspector.control(window, LIST) is not None
    return window


def rows_of(inspector, window) -> list[list[str]]:
    return [row['texts'] for row in inspector.listview(LIST, hwnd=window['hwnd'])['rows']]


def type_text(client, inspector, window, text: str) -> None:
    """Types the text into the search box one character after the other."""
    edit = inspector.control(window, SEARCH)
    for end in range(1, len(text) + 1):
        inspector.send(hwnd=edit['hwnd'], msg=WM_SETTEXT, text=text[:end])
    assert client.wait_log(rf'^history filter "{re.escape(text)}": \d+ rows$'), client.log()


def test_the_history_lists_a_batch_filters_as_one_types_and_opens_an_item(mirelo, sender, inspector, wine, korean):
    client, port = start(mirelo)
    report = '분기 보고서' if korean else 'Quarterly report'
    batch(sender, port, ansi(korean),
          ('--notify', '2', '--sender', 'Kim Cheolsu', '--subject', report, '--date', '2026-12-07 09:00',
           '--function', 'OpenMail', '--url', 'http://gw/mail?id=7'),
          ('--notify', '1', '--sender', 'Lee Dana', '--subject', 'Office move', '--date', '2026-12-07 09:10',
           '--url', 'http://gw/bbs?id=2'),
          ('--notify', '5', '--decision-user', 'Choi Jiwoo', '--subject', 'Budget 2027', '--date', '2026-12-07 09:20',
           '--url', 'file:///c:/windows/system32/calc.exe'))
    assert client.wait_log(r'^store: 3 stored, 0 filtered by the save options in .*_alerts\.xml'), client.log()

    window = open_history(client, inspector, korean, 3)
    document = inspector.listview(LIST, hwnd=window['hwnd'])
    assert [c['text'] for c in document['columns']] == (
        [' 팁', ' 종류', ' 시간', ' 제목', ' 발신자'] if korean else [' Tip', ' Kind', ' Time', ' Title', ' Sender'])
    rows = [row['texts'] for row in document['rows']]
    kinds = ['결재', '게시판', '우편'] if korean else ['Approval', 'BBS', 'Mail']
    assert rows == [['', kinds[0], '2026-12-07 09:20', 'Budget 2027', 'Choi Jiwoo'],
                    ['', kinds[1], '2026-12-07 09:10', 'Office move', 'Lee Dana'],
                    ['', kinds[2], '2026-12-07 09:00', report, 'Kim Cheolsu']], rows
    wine.screenshot(mirelo.logs / 'history.png')

    # Sorted by sender, as the received list sorts.
    inspector.listview_click(LIST, hwnd=window['hwnd'], column=4)
    assert client.wait_log(r'^history sorted by column 4, ascending$'), client.log()
    assert [row[4] for row in rows_of(inspector, window)] == ['Choi Jiwoo', 'Kim Cheolsu', 'Lee Dana']

    # Filtered as one types: by the sender, the subject or the kind.
    type_text(client, inspector, window, 'lee')
    assert [row[3] for row in rows_of(inspector, window)] == ['Office move']
    type_text(client, inspector, window, kinds[2])
    assert [row[3] for row in rows_of(inspector, window)] == [report]
    wine.screenshot(mirelo.logs / 'history-filtered.png')

    # A double-click opens the page as View does, for http and https only.
    inspector.listview_click(LIST, hwnd=window['hwnd'], row=0, double=True)
    opened = client.wait_log(r'^browser: http')
    assert opened.startswith('browser: http://gw/mail?id=7&K=kim at '), opened
    # The browser's window comes a moment after the line: it is closed once it is there.
    wait_until(lambda: any(w['title'].endswith('Internet Explorer') for w in inspector.list()), 10)
    close_browsers(inspector)
    type_text(client, inspector, window, 'Budget')
    inspector.listview_click(LIST, hwnd=window['hwnd'], row=0, double=True)
    assert client.wait_log(r'^browser: refused file:'), client.log()


def test_a_batch_stored_while_the_window_is_open_shows_at_once(mirelo, sender, inspector, korean):
    client, port = start(mirelo)
    batch(sender, port, ansi(korean),
          ('--notify', '2', '--sender', 'Kim', '--subject', 'First', '--date', '2026-12-07 09:00'))
    assert client.wait_log(r'^store: 1 stored'), client.log()
    window = open_history(client, inspector, korean, 1)
    batch(sender, port, ansi(korean),
          ('--notify', '2', '--sender', 'Kim', '--subject', 'Second', '--date', '2026-12-07 09:05'),
          ('--notify', '3', '--sender', 'Park', '--subject', 'Third', '--date', '2026-12-07 09:06'))
    assert client.wait_log(r'^history window: 3 of 3 rows after \d+ ms$'), client.log()
    assert [row[3] for row in rows_of(inspector, window)] == ['Third', 'Second', 'First']


def test_notifications_that_passed_the_filters_are_kept_in_the_history_file(mirelo, sender, inspector, korean):
    client, port = start(mirelo, {'UseMailNotify': '0'})
    sender.run('mail', '--sender', 'Kim Cheolsu (R&D)', '--subject', 'Kept', '--function', 'OpenMail', '--url',
               'http://gw/mail?id=9', '--tcp', '--port', port)
    sender.run('message', '--kind', '8', '--subject', 'Also kept', '--body', 'b', '--tcp', '--port', port)
    # The two are written with one save, a moment later, into the history beside the store.
    line = client.wait_log(r'^history store: ')
    assert re.match(r'^history store: 2 stored, 0 filtered by the save options in .*hk1_history\.xml', line), line
    history = mirelo.folder / f'{USER_KEY}_history.xml'
    text = history.read_bytes()
    assert text.startswith(b'<?xml version="1.0" encoding="EUC-KR"?>') and text.count(b'<Notification ') == 2
    assert not (mirelo.folder / f'{USER_KEY}_alerts.xml').exists(), 'the store holds only batches'
    window = open_history(client, inspector, korean, 2)
    rows = rows_of(inspector, window)
    assert [row[3] for row in rows] == ['Also kept', 'Kept']
    assert [row[4] for row in rows] == ['', 'Kim Cheolsu (R&D)'], 'the message has no sender'


def test_with_keep_history_off_nothing_is_kept(mirelo, sender):
    client, port = start(mirelo, {'KeepHistory': '0'})
    sender.run('mail', '--sender', 'Kim', '--subject', 'Not kept', '--tcp', '--port', port)
    assert client.wait_log(r'^pop-up mail shown: '), client.log()
    assert not wait_until(lambda: client.has_log(r'^history '), 4)
    assert not (mirelo.folder / f'{USER_KEY}_history.xml').exists()
