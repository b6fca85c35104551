"""XML batches over TCP into the store file: attributes, encoding, save options, and bad input."""
from __future__ import annotations

import pathlib
import random
import re
import subprocess
import uuid
import xml.etree.ElementTree as ET

import pytest

from mirelo_client import free_port, payload
from wine_session import wait_until

ATTRIBUTES = ['id', 'applid', 'type', 'date', 'title', 'sender', 'openfunction', 'url']
DECLARATION = b'<?xml version="1.0" encoding="EUC-KR"?>'
OPTIONS_KEY = r'HKCR\xnf_auto_file\Settings'


@pytest.fixture
def user_key(wine):
    """A user key of its own, so that save options set in the registry touch no other test."""
    key = 'st' + uuid.uuid4().hex[:10]
    yield key
    wine.reg_delete(rf'{OPTIONS_KEY}\{key}')


def start(mirelo, user_key: str):
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), ListenMode='1', UserKey=user_key))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port, mirelo.folder / f'{user_key}_alerts.xml'


def send_batch(sender, port: int, *args: str) -> None:
    sender.run('batch', '--port', port, '--quiet', *args)


def store_lines(client) -> list[str]:
    return [line for line in client.log() if line.startswith('store: ')]


def wait_store(client, pattern: str, count: int = 1) -> str:
    """The count-th store line once it is complete and matches the pattern whole.

    The client writes a long line in pieces: waiting for the whole match keeps a test from reading a
    line whose end has not arrived yet.
    """
    regex = re.compile(pattern)

    def complete():
        lines = store_lines(client)
        return len(lines) >= count and regex.fullmatch(lines[count - 1])

    assert wait_until(complete, 20), client.log()
    return store_lines(client)[count - 1]


def stored(count: int, filtered: int = 0) -> str:
    return rf'store: {count} stored, {filtered} filtered by the save options in .* \(ids \d+ to \d+\)'


def not_stored(reason: str) -> str:
    """A store that failed, ending with the error code and its text (as far as the system has one)."""
    return rf'store: 1 not stored, .* {reason}: \d+( \(.*\))?'


NOTHING = r'store: nothing to store, 0 stored, \d+ filtered by the save options'


def read_store(path: pathlib.Path) -> tuple[str, list[dict[str, str]]]:
    """The file as text (decoded strictly as EUC-KR) and its Notification elements' attributes."""
    raw = path.read_bytes()
    assert raw.startswith(DECLARATION), raw[:80]
    text = raw.decode('euc_kr')
    root = ET.fromstring(text[len(DECLARATION):])
    assert root.tag == 'NotificationList'
    return text, [dict(element.attrib) for element in root.iter('Notification')]


def xmllint_complaint(path: pathlib.Path) -> str:
    """What libxml2's xmllint, a conforming parser the client does not use, finds wrong: '' when nothing."""
    result = subprocess.run(['xmllint', '--noout', '--nonet', str(path)], capture_output=True, timeout=60)
    return '' if result.returncode == 0 else result.stderr.decode(errors='replace') or 'rejected'


def attribute_orders(text: str) -> list[list[str]]:
    """The attribute names of every Notification element as written (one element a line)."""
    lines = [line for line in text.splitlines() if line.lstrip().startswith('<Notification ')]
    return [re.findall(r'([\w-]+)="[^"]*"', line) for line in lines]


def test_a_batch_lands_in_the_store_with_its_attributes_in_order(mirelo, sender, user_key, korean):
    client, port, path = start(mirelo, user_key)
    encoding = 'cp949' if korean else 'cp1252'
    mail_sender, subject, title = ('홍길동', '주간 보고 & "회의" <긴급>', '점심 약속') if korean else \
        ('Müller', 'Café & "meeting" <urgent>', 'Déjeuner')
    send_batch(sender, port, '--encoding', encoding,
               '--notify', '2', '--sender', mail_sender, '--subject', subject, '--flag', '1',
               '--date', '2026-12-07 09:30', '--function', 'OpenMail', '--url', 'http://gw.example/m?id=7&box=in',
               '--notify', '5', '--sender', 'ignored', '--subject', 'PO-17', '--flag', '0', '--date', 'd2',
               '--decision-user', 'Lee', '--upload-user', 'Park', '--doc-type', '3',
               '--notify', '8', '--subject', '', '--title', title, '--sender', 'Choi')
    expected = f'store: 3 stored, 0 filtered by the save options in {mirelo.windows_path(path)} (ids 0 to 2)'
    assert wait_store(client, re.escape(expected)) == expected
    assert client.has_log(r'^xml batch: 3 notifications$')
    text, entries = read_store(path)
    assert attribute_orders(text) == [ATTRIBUTES] * 3
    assert entries[0] == {'id': '0', 'applid': '2', 'type': '1', 'date': '2026-12-07 09:30', 'title': subject,
                          'sender': mail_sender, 'openfunction': 'OpenMail',
                          'url': 'http://gw.example/m?id=7&box=in'}
    assert entries[1] == {'id': '1', 'applid': '5', 'type': '0', 'date': 'd2', 'title': 'PO-17', 'sender': 'Lee',
                          'openfunction': ' ', 'url': ' '}
    assert entries[2] == {'id': '2', 'applid': '8', 'type': '0', 'date': ' ', 'title': title, 'sender': 'Choi',
                          'openfunction': ' ', 'url': ' '}
    if not korean:
        assert 'M&#252;ller' in text, 'characters EUC-KR lacks are written as references'
    table = sender.run('store', path).stdout.decode()
    assert table.splitlines()[2].startswith('0   2 mail      1     2026-12-07 09:30  ')
    assert mail_sender in table and table.endswith('3 notifications\n')
    assert client.running


def test_characters_euc_kr_lacks_are_kept_as_references(mirelo, sender, user_key, korean):
    client, port, path = start(mirelo, user_key)
    # U+B620 is in code page 949 but not in EUC-KR; e-acute is in code page 1252 but not in EUC-KR.
    subject, reference = ('똠양꿍 회식', '&#46624;') if korean else ('Résumé', '&#233;')
    send_batch(sender, port, '--encoding', 'cp949' if korean else 'cp1252', '--notify', '10', '--subject', subject)
    wait_store(client, stored(1))
    text, entries = read_store(path)
    assert reference in text
    assert entries[0]['title'] == subject


def test_registry_save_options_change_what_is_stored(mirelo, sender, user_key, wine):
    client, port, path = start(mirelo, user_key)
    key = rf'{OPTIONS_KEY}\{user_key}'
    wine.reg_add(key, 'SaveOption', 'REG_DWORD', '0')
    send_batch(sender, port, '--notify', '2', '--subject', 'a', '--notify', '8', '--title', 'b')
    assert wait_store(client, NOTHING) == 'store: nothing to store, 0 stored, 2 filtered by the save options'
    assert not path.exists()

    wine.reg_add(key, 'SaveOption', 'REG_DWORD', '1')
    wine.reg_add(key, 'SaveOptionAppTypes', 'REG_DWORD', '0')
    batch = [arg for kind in (1, 2, 3, 5, 8, 10, 11, 20) for arg in ('--notify', str(kind), '--subject', f'k{kind}')]
    send_batch(sender, port, *batch)
    wait_store(client, stored(4, 4), 2)
    assert [e['applid'] for e in read_store(path)[1]] == ['8', '10', '11', '20']

    wine.reg_add(key, 'SaveOptionAppTypes', 'REG_DWORD', '15')
    wine.reg_add(key, 'SaveOptionUrgency', 'REG_DWORD', '1')
    send_batch(sender, port, *[arg for flag in (0, 1, 2) for arg in ('--notify', '2', '--flag', str(flag))])
    wait_store(client, stored(1, 2), 3)
    assert [(e['applid'], e['type']) for e in read_store(path)[1]][-1] == ('2', '1')

    # The value is taken as four raw bytes: the text "1" is not the number 1.
    wine.reg_add(key, 'SaveOption', 'REG_SZ', '1')
    send_batch(sender, port, '--notify', '2', '--flag', '1')
    wait_store(client, NOTHING, 4)
    assert len(read_store(path)[1]) == 5


def test_every_run_numbers_from_zero(mirelo, sender, user_key):
    client, port, path = start(mirelo, user_key)
    send_batch(sender, port, '--notify', '2', '--notify', '3')
    wait_store(client, stored(2))
    mirelo.stop_all()
    assert client.wait_exit(15) is not None
    client, port, path = start(mirelo, user_key)
    send_batch(sender, port, '--notify', '1')
    wait_store(client, stored(1))
    assert [e['id'] for e in read_store(path)[1]] == ['0', '1', '0']


def test_a_damaged_store_is_kept_aside_and_a_new_list_starts(mirelo, sender, user_key, korean):
    client, port, path = start(mirelo, user_key)
    damaged = ('<NotificationList><Notification id="0" title="' + ('잘린' if korean else 'cut')).encode('cp949')
    path.write_bytes(damaged)
    send_batch(sender, port, '--notify', '2', '--subject', 'after')
    bad = path.with_name(path.name + '.bad')
    wait_store(client, stored(1) + r'; the damaged file \(.+ at line 1, column \d+ \(byte \d+\)\) was kept as ' +
               re.escape(mirelo.windows_path(bad)))
    assert bad.read_bytes() == damaged
    assert [e['title'] for e in read_store(path)[1]] == ['after']
    assert xmllint_complaint(path) == ''


def test_a_store_a_conforming_reader_refuses_is_kept_aside(mirelo, sender, user_key):
    client, port, path = start(mirelo, user_key)
    damaged = DECLARATION + b'<NotificationList><Notification id="0" sender="Kim&#01;Lee"/></NotificationList>'
    path.write_bytes(damaged)
    assert xmllint_complaint(path) != ''
    send_batch(sender, port, '--notify', '2', '--subject', 'after')
    bad = path.with_name(path.name + '.bad')
    wait_store(client, stored(1) + re.escape('; the damaged file (reference to invalid character number at line 1, '
                                             f'column 90 (byte 89)) was kept as {mirelo.windows_path(bad)}'))
    assert bad.read_bytes() == damaged
    assert [e['title'] for e in read_store(path)[1]] == ['after']
    assert xmllint_complaint(path) == ''


def test_awkward_characters_a_batch_may_hold_are_stored_clean(mirelo, sender, user_key, tmp_path):
    client, port, path = start(mirelo, user_key)
    batch = tmp_path / 'awkward.xml'
    batch.write_bytes(b'<?xml version="1.0"?><!DOCTYPE list [<!ENTITY co "Quillon &#38;amp; Co">]><list>'
                      b'<notify type="2"><sender>&co;</sender><subject>lf&#10;cr&#13;end</subject>'
                      b'<date>&#x32;026-12-07</date><function-name><![CDATA[a]]>b<c>]]&gt;</c></function-name>'
                      b'<openurl>http://gw/?a=1&amp;b=&lt;2&gt;&quot;</openurl></notify></list>')
    sender.run('batch', '--file', batch, '--port', port, '--quiet')
    wait_store(client, stored(1))
    assert xmllint_complaint(path) == ''
    entry = read_store(path)[1][0]
    assert entry['sender'] == 'Quillon & Co'
    assert entry['title'] == 'lf\ncr\rend'
    assert entry['date'] == '2026-12-07'
    assert entry['openfunction'] == 'a'
    assert entry['url'] == 'http://gw/?a=1&b=<2>"'


# Batches that break one rule of well-formed XML each, the notification in them otherwise good.
MALFORMED_BATCHES = [
    b'<list><notify type="2"><sender>Kim&#1;Lee</sender></notify></list>',
    b'<list><notify type="2"><sender>Kim\x01Lee</sender></notify></list>',
    b'<list><notify type="2"><sender>Kim&#xFFFE;Lee</sender></notify></list>',
    b'<list><notify type="2"><sender>\x1b[1mKim</sender></notify></list>',
    b'<list><notify type="2"><sender>Kim</sender></notify></list><list/>',
    b'<list><notify type="2"><sender>Kim</sender></notify></list>trailing',
    b'<list><notify type="2"><openurl>http://gw/?a=1&b=2</openurl></notify></list>',
    b'<list><notify type="2" type="3"><sender>Kim</sender></notify></list>',
    b'<list><notify type="2"><sender>Kim</sender></notify>',
]


def test_malformed_batches_over_tcp_store_nothing(mirelo, sender, user_key, tmp_path):
    client, port, path = start(mirelo, user_key)
    send_batch(sender, port, '--notify', '2', '--subject', 'first')
    wait_store(client, stored(1))
    before = path.read_bytes()
    for number, body in enumerate(MALFORMED_BATCHES):
        batch = tmp_path / f'malformed{number}.xml'
        batch.write_bytes(body)
        assert xmllint_complaint(batch) != '', body
        sender.run('batch', '--file', batch, '--port', port, '--quiet')
    rejected = r'^xml batch rejected: .+ at line 1, column \d+ \(byte \d+\)$'
    count = len(MALFORMED_BATCHES)
    assert client.wait_count(rejected, count, timeout=60) == count, client.log()
    assert client.has_log(r'^xml batch rejected: reference to invalid character number at line 1, column 35 '
                          r'\(byte 34\)$')
    assert [line for line in client.log() if line.startswith('xml batch: ')] == ['xml batch: 1 notifications']
    assert len(store_lines(client)) == 1
    assert path.read_bytes() == before
    assert client.running and no_message_box(client)


def no_message_box(client) -> bool:
    return not client.has_log(r'^message box:')


def test_a_folder_at_the_store_path_stores_nothing(mirelo, sender, user_key):
    client, port, path = start(mirelo, user_key)
    path.mkdir()
    send_batch(sender, port, '--notify', '2')
    wait_store(client, re.escape(f'store: 1 not stored, {mirelo.windows_path(path)} is a folder'))
    assert path.is_dir() and not any(path.iterdir())
    sender.run('raw', '--kind', '3', '--text', 'still here', '--tcp', '--port', port)
    assert client.wait_log(r'^dispatch kind=3 length=10$')
    assert client.running and no_message_box(client)


def test_a_read_only_store_is_left_as_it_was(mirelo, sender, user_key):
    client, port, path = start(mirelo, user_key)
    send_batch(sender, port, '--notify', '2', '--subject', 'first')
    wait_store(client, stored(1))
    before = path.read_bytes()
    path.chmod(0o444)
    try:
        send_batch(sender, port, '--notify', '2', '--subject', 'second')
        wait_store(client, not_stored('could not be written'), 2)
        assert path.read_bytes() == before
        assert not path.with_name(path.name + '.tmp').exists()
    finally:
        path.chmod(0o644)
    send_batch(sender, port, '--notify', '2', '--subject', 'third')
    wait_store(client, stored(1), 3)
    assert [e['title'] for e in read_store(path)[1]] == ['first', 'third']
    assert [e['id'] for e in read_store(path)[1]] == ['0', '1']
    assert client.running and no_message_box(client)


def test_a_store_locked_by_another_program_is_left_as_it_was(mirelo, sender, user_key, wine, tools_dir):
    client, port, path = start(mirelo, user_key)
    send_batch(sender, port, '--notify', '2', '--subject', 'first')
    wait_store(client, stored(1))
    before = path.read_bytes()
    holder = subprocess.Popen(['timeout', '--kill-after=5', '90', 'wine', str(tools_dir / 'hold-file.exe'),
                               mirelo.windows_path(path), '60'], env=wine.env(debug=False), stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        assert holder.stdout.readline().strip() == b'holding'
        send_batch(sender, port, '--notify', '2', '--subject', 'second')
        wait_store(client, not_stored('could not be read'), 2)
    finally:
        holder.stdin.close()
        holder.wait(timeout=30)
    assert path.read_bytes() == before
    send_batch(sender, port, '--notify', '2', '--subject', 'third')
    wait_store(client, stored(1), 3)
    assert [e['title'] for e in read_store(path)[1]] == ['first', 'third']
    assert client.running and no_message_box(client)


def test_bad_batches_change_nothing(mirelo, sender, user_key, tmp_path):
    client, port, path = start(mirelo, user_key)
    rng = random.Random(98)
    for size in (1, 10, 1000, 50000):
        noise = tmp_path / f'noise{size}'
        noise.write_bytes(bytes(rng.randrange(256) for _ in range(size)))
        sender.run('raw', '--kind', '98', '--file', noise, '--tcp', '--port', port, '--quiet')
    deep = tmp_path / 'deep.xml'
    deep.write_bytes(b'<r>' + b'<a>' * 100000 + b'<notify type="2"><subject>deep</subject></notify>' +
                     b'</a>' * 100000 + b'</r>')
    sender.run('batch', '--file', deep, '--port', port, '--quiet')
    nested = tmp_path / 'nested.xml'
    nested.write_bytes(b'<r>' + b'<notify type="1">' * 1000 + b'<sender>n</sender>' + b'</notify>' * 1000 + b'</r>')
    sender.run('batch', '--file', nested, '--port', port, '--quiet')
    huge = 'h' * 300000
    big = tmp_path / 'big.xml'
    big.write_bytes(f'<r><notify type="9" note="{huge}"><title>{huge}</title></notify></r>'.encode())
    sender.run('batch', '--file', big, '--port', port, '--quiet')
    assert client.wait_count(r'^xml batch rejected: ', 4, timeout=60) == 4, client.log()
    assert client.wait_count(r'^xml batch: ', 3, timeout=60) == 3, client.log()
    for count, expected in enumerate((stored(1), stored(1000), stored(1)), start=1):
        wait_store(client, expected, count)
    entries = read_store(path)[1]
    assert len(entries) == 1002
    assert entries[0]['title'] == 'deep' and entries[-1]['title'] == huge
    assert client.running and no_message_box(client)


def write_large_store(path: pathlib.Path, count: int) -> None:
    """A store file as the client writes it, of count mails."""
    lines = [f'<Notification id="{number}" applid="2" type="1" date="2026-12-07 09:30" title="report {number}" '
             f'sender="Kim" openfunction="f" url="http://gw.example/m?id={number}"/>' for number in range(count)]
    path.write_bytes((DECLARATION.decode() + '\n<NotificationList>\n' + '\n'.join(lines) +
                      '\n</NotificationList>\n').encode('cp949'))


def test_a_slow_save_holds_up_no_pop_up(mirelo, sender, user_key):
    # The first save of a run reads the whole store: a pop-up that arrives meanwhile shows at once.
    client, port, path = start(mirelo, user_key)
    write_large_store(path, 100000)
    send_batch(sender, port, '--notify', '2', '--sender', 'Lee', '--subject', 'batch mail', '--flag', '1')
    sender.run('mail', '--sender', 'Kim', '--subject', 'Lunch', '--tcp', '--port', port)
    wait_store(client, stored(1))
    assert client.wait_log(r'^pop-up mail shown'), client.log()
    lines = client.log()
    shown = next(i for i, line in enumerate(lines) if line.startswith('pop-up mail shown'))
    saved = next(i for i, line in enumerate(lines) if line.startswith('store: '))
    assert shown < saved, lines
    assert len(read_store(path)[1]) == 100001
    assert client.running
