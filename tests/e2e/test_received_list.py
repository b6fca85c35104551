"""Received-list mode: notifications collect in one list window (dialog 209) instead of popping up."""
from __future__ import annotations

import re
import time

import pytest

from mirelo_client import free_port, payload
from stand_in import StandInDesktop

LIST = 1023
OK = 1
BLUE = 'blue'
HEADERS_KO = [' 팁', ' 종류', ' 시간', ' 제목', ' 발신자']
HEADERS_EN = [' Tip', ' Kind', ' Time', ' Title', ' Sender']
WIDTHS = [0, 40, 43, 230, 128]
TIME = re.compile(r'^\d\d:\d\d$')
NAME = b'NotifyClicknView'


def start(mirelo, ini: dict[str, str] | None = None, macros: str = ''):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'UseRecvListDlg': '1', **(ini or {})}, macros)
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), UserID='kim'))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def shown(client, rows: int, count: int = 1) -> None:
    """Waits until the list was shown `count` times with that many rows."""
    assert client.wait_count(rf'^received list shown: {rows} rows$', count) >= count, client.log()


def rows_of(inspector, window) -> list[list[str]]:
    return [row['texts'] for row in inspector.listview(LIST, hwnd=window['hwnd'])['rows']]


def list_window(inspector, korean: bool) -> dict:
    window = inspector.find(title='알림' if korean else 'Notify', cls='#32770', visible=True, timeout_ms=10000)
    assert window is not None and inspector.control(window, LIST) is not None
    return window


def mail(sender, port, subject: str, name: str = 'Kim Cheolsu (R&D)', url: str = 'http://gw/mail?id=7') -> None:
    sender.run('mail', '--sender', name, '--subject', subject, '--function', 'OpenMail', '--url', url,
               '--port', port)


def approval(sender, port, subject: str, doc_kind: str, action: str, sub_kind: str = '1') -> None:
    sender.run('approval', '--kind', '4', '--doc-kind', doc_kind, '--action', action, '--drafter', 'Choi Jiwoo',
               '--subject', subject, '--sub-kind', sub_kind, '--function', 'f', '--url', 'http://gw/appr?id=3',
               '--port', port)


def test_three_notifications_give_three_rows_newest_first(mirelo, sender, inspector, wine, korean):
    marker = '[긴급]' if korean else ''
    client, port = start(mirelo, {'ShowApprConst': '1'})
    mail(sender, port, marker + 'Quarterly report')
    shown(client, 1)
    sender.run('schedule', '--requester', 'Park Minji(HR)', '--subject', 'Weekly sync', '--port', port)
    shown(client, 2)
    approval(sender, port, 'Budget 2027', 'K', '2')
    shown(client, 3)

    window = list_window(inspector, korean)
    document = inspector.listview(LIST, hwnd=window['hwnd'])
    assert [c['text'] for c in document['columns']] == (HEADERS_KO if korean else HEADERS_EN)
    # Kind and time grow to the font where the described widths would cut them, at the title's cost.
    widths = [c['width'] for c in document['columns']]
    assert widths[0] == 0 and widths[4] == 128 and sum(widths) == sum(WIDTHS), widths
    assert widths[1] >= WIDTHS[1] and widths[2] >= WIDTHS[2], widths
    rows = [row['texts'] for row in document['rows']]
    assert len(rows) == 3
    assert all(TIME.match(row[2]) for row in rows), rows
    kinds = ['경유', '알림', '우편'] if korean else ['Routed', 'Notify', 'Mail']
    assert [row[1] for row in rows] == kinds
    assert [row[3] for row in rows] == ['Budget 2027(K2)', 'Weekly sync(00)', 'Quarterly report(00)']
    assert [row[4] for row in rows] == ['Choi Jiwoo', 'Park Minji', 'Kim Cheolsu']
    assert [row[0] for row in rows] == ['', '', '']

    # No pop-ups and no sounds in this mode; mail and approvals still tell the notifier windows.
    assert not client.has_log(r'^pop-up '), client.log()
    assert not client.has_log(r'^sound: '), client.log()
    wine.screenshot(mirelo.logs / 'three-rows.png')


def test_kind_one_is_not_listed_and_kind_texts_follow_the_table(mirelo, sender, inspector, wine, korean):
    # The public-review word comes from the program folder's macros.
    client, port = start(mirelo, macros='[Macro]\r\n공람=회람\r\n' if korean else '')
    sender.run('bbs', '--poster', 'Lee', '--board', 'Notices', '--title', 'Office move', '--port', port)
    assert client.wait_log(r'^dispatch kind=1 ')
    approval(sender, port, 'Plain approval', 'X', '1')
    approval(sender, port, 'Under review', '1', '1', sub_kind='500')
    approval(sender, port, 'Sent back', '8', '3')
    shown(client, 3)
    rows = rows_of(inspector, list_window(inspector, korean))
    expected = ['반려', '회람', '결재'] if korean else ['Rejected', 'Review', 'Approval']
    assert [(row[1], row[3]) for row in rows] == list(zip(expected, ['Sent back', 'Under review', 'Plain approval']))
    assert not client.has_log(r'^received list: kind 1,')
    wine.screenshot(mirelo.logs / 'kind-texts.png')


def test_messages_and_notices_are_listed(mirelo, sender, inspector, wine, korean):
    client, port = start(mirelo)
    sender.run('message', '--kind', '8', '--subject', 'Server maintenance', '--body', 'Tonight', '--port', port)
    sender.run('message', '--kind', '9', '--title', 'Helpdesk', '--sender', 'Lee Dana (IT)', '--subject',
               'Ticket closed', '--body', 'Done', '--port', port)
    sender.run('notice', '--sender', 'Admin', '--text', 'Closed on Friday', '--port', port)
    shown(client, 3)
    rows = rows_of(inspector, list_window(inspector, korean))
    assert [row[1] for row in rows] == ['알림' if korean else 'Notify'] * 3
    assert [row[3] for row in rows[1:]] == ['Ticket closed', 'Server maintenance']
    assert all(TIME.match(row[2]) for row in rows), rows
    assert not client.has_log(r'^pop-up '), client.log()
    wine.screenshot(mirelo.logs / 'messages-and-notices.png')


def test_closing_the_window_starts_a_new_list(mirelo, sender, inspector, korean):
    client, port = start(mirelo)
    mail(sender, port, 'First')
    mail(sender, port, 'Second')
    shown(client, 2)
    window = list_window(inspector, korean)
    inspector.click(hwnd=window['hwnd'], control=OK)
    assert client.wait_log(r'^received list closed$')
    assert inspector.find(hwnd=window['hwnd']) is None or not inspector.find(hwnd=window['hwnd'])['visible']

    mail(sender, port, 'Third')
    shown(client, 1)
    rows = rows_of(inspector, list_window(inspector, korean))
    assert [row[3] for row in rows] == ['Third']


def test_header_clicks_sort_ascending_then_descending(mirelo, sender, inspector, wine, korean):
    client, port = start(mirelo)
    for subject, name in (('Beta', 'Kang'), ('Alpha', 'Yoon'), ('Gamma', 'Han')):
        mail(sender, port, subject, name=name)
    shown(client, 3)
    window = list_window(inspector, korean)
    assert [row[3] for row in rows_of(inspector, window)] == ['Gamma', 'Alpha', 'Beta']

    inspector.listview_click(LIST, hwnd=window['hwnd'], column=3)
    assert client.wait_log(r'^list sorted: column 3 ascending$'), client.log()
    assert [row[3] for row in rows_of(inspector, window)] == ['Alpha', 'Beta', 'Gamma']
    inspector.listview_click(LIST, hwnd=window['hwnd'], column=3)
    assert client.wait_log(r'^list sorted: column 3 descending$'), client.log()
    document = inspector.listview(LIST, hwnd=window['hwnd'])
    assert [row['texts'][3] for row in document['rows']] == ['Gamma', 'Beta', 'Alpha']
    assert [row['texts'][4] for row in document['rows']] == ['Han', 'Kang', 'Yoon']  # rows move whole
    assert document['columns'][3]['owner_drawn']
    wine.screenshot(mirelo.logs / 'sorted-descending.png')

    inspector.listview_click(LIST, hwnd=window['hwnd'], column=4)
    assert client.wait_log(r'^list sorted: column 4 ascending$'), client.log()
    assert [row[4] for row in rows_of(inspector, window)] == ['Han', 'Kang', 'Yoon']

    # A new notification writes the rows again in arrival order.
    mail(sender, port, 'Delta', name='Seo')
    shown(client, 4)
    assert [row[3] for row in rows_of(inspector, window)] == ['Delta', 'Gamma', 'Alpha', 'Beta']


@pytest.fixture
def desktop(wine, inspector, tools_dir, work_dir, request):
    with StandInDesktop(wine, inspector, tools_dir, work_dir, request.node.name) as stand_in_desktop:
        yield stand_in_desktop


def test_a_double_click_hands_the_link_to_business_windows(mirelo, sender, inspector, desktop, wine, korean):
    biz = desktop.start('biz', '--windows', '2')
    client, port = start(mirelo)
    mail(sender, port, 'Short link', url='abc')
    mail(sender, port, 'Real link', url='http://gw/mail?id=7')
    shown(client, 2)
    window = list_window(inspector, korean)

    # Row 1 has a link of three characters: nothing goes out.
    inspector.listview_click(LIST, hwnd=window['hwnd'], row=1, double=True)
    assert client.wait_log(r'^received list: row 1 has a link of 3 characters, nothing to open$'), client.log()
    inspector.listview_click(LIST, hwnd=window['hwnd'], row=0, double=True)
    received = biz.wait_received(2)
    url = b'http://gw/mail?id=7'
    assert [(r.window, r.code, r.byte_count, r.data) for r in received] == [
        (i, 2, 1 + len(NAME) + len(url), bytes([len(NAME)]) + NAME + url) for i in range(2)]
    assert client.has_log(r'^Start SendData\(\) nType=2, szJavaScriptFuncName=NotifyClicknView, '
                          r'szCallUrl=http://gw/mail\?id=7$')
    assert client.wait_count(r'^Start SendData\(\)', 1) == 1
    rows = inspector.listview(LIST, hwnd=window['hwnd'])['rows']
    assert [row['selected'] for row in rows] == [True, False]
    wine.screenshot(mirelo.logs / 'selected-row.png')


def settled_count(client, pattern: str, quiet: float = 5, timeout: float = 120) -> int:
    """How many log lines match once no new one has come for `quiet` seconds."""
    deadline = time.monotonic() + timeout
    last, since = -1, time.monotonic()
    while time.monotonic() < deadline:
        count = sum(1 for line in client.log() if re.search(pattern, line))
        if count != last:
            last, since = count, time.monotonic()
        elif time.monotonic() - since >= quiet:
            break
        time.sleep(0.5)
    return last


def test_thousands_of_notifications_keep_the_newest_thousand_rows(mirelo, sender, inspector, korean):
    client, port = start(mirelo)
    count = 1050
    started = time.monotonic()
    sender.run('mail', '--sender', 'Burst', '--subject', 'Load', '--port', port, '--repeat', count,
               '--interval-ms', 2, '--quiet', timeout=120)
    listed = settled_count(client, r'^received list shown: ')
    elapsed = time.monotonic() - started
    dispatched = sum(1 for line in client.log() if line.startswith('dispatch kind=2 '))
    assert listed == dispatched
    assert dispatched > 1000, f'only {dispatched} of {count} datagrams arrived'
    assert client.has_log(r'^received list shown: 1000 rows$')
    assert client.has_log(r'^received list: the oldest row gave way \(1000 rows at most\)$')
    started = time.monotonic()
    document = inspector.listview(LIST, hwnd=list_window(inspector, korean)['hwnd'], max_rows=0)
    assert document['count'] == 1000
    assert time.monotonic() - started < 10  # the window still answers at once
    print(f'{dispatched} of {count} notifications listed in {elapsed:.1f} s')
