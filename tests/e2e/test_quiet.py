"""Quiet while presenting: notifications that would pop up are held while the user presents, and listed
in the received-list window once the state ends."""
from __future__ import annotations

import time

from mirelo_client import free_port, payload

LIST = 1023
PRESENTING = '4'
ACCEPTS = '5'
STATE_VARIABLE = 'MIRELO_TEST_USER_STATE_FILE'


def start(mirelo, state: str, ini: dict[str, str] | None = None):
    """Starts the client with the user's notification state forced through the test file."""
    state_file = mirelo.folder / 'user-state.txt'
    state_file.write_text(state)
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', **(ini or {})})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), SpeakNotifications='1'),
                          env={STATE_VARIABLE: mirelo.windows_path(state_file)})
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port, state_file


def send_three(sender, port, korean: bool) -> None:
    subject = '분기 보고서' if korean else 'Quarterly report'
    sender.run('mail', '--sender', 'Kim Cheolsu (R&D)', '--subject', subject, '--function', 'OpenMail', '--url',
               'http://gw/mail?id=7', '--port', port)
    sender.run('schedule', '--requester', 'Park Minji(HR)', '--subject', 'Weekly sync', '--port', port)
    sender.run('message', '--kind', '8', '--subject', 'Server maintenance', '--body', 'Tonight', '--port', port)


def test_held_while_presenting_and_listed_when_the_state_ends(mirelo, sender, inspector, wine, korean):
    client, port, state_file = start(mirelo, PRESENTING)
    send_three(sender, port, korean)
    assert client.wait_count(r'^quiet: kind \d+ held \(user state 4\)$', 3) == 3, client.log()
    time.sleep(1.5)  # room for a pop-up, a sound or a sentence that should not come
    assert not client.has_log(r'^pop-up '), client.log()
    assert not client.has_log(r'^sound: '), client.log()
    assert not client.has_log(r'^speech: '), client.log()
    assert not client.has_log(r'^received list shown'), client.log()
    # The icon blinks as usual.
    assert client.wait_count(r'^dispatch kind=', 3) == 3
    wine.screenshot(mirelo.logs / 'presenting.png')

    state_file.write_text(ACCEPTS)
    assert client.wait_log(r'^quiet: state 5, 3 held notifications listed$'), client.log()
    assert client.wait_log(r'^received list shown: 3 rows$'), client.log()
    window = inspector.find(title='알림' if korean else 'Notify', cls='#32770', visible=True, timeout_ms=10000)
    assert window is not None
    rows = [row['texts'] for row in inspector.listview(LIST, hwnd=window['hwnd'])['rows']]
    subject = '분기 보고서' if korean else 'Quarterly report'
    assert [row[3] for row in rows] == ['Server maintenance', 'Weekly sync', subject], rows
    # The administrator message has no sender: its row shows none (not the record line's document type).
    assert [row[4] for row in rows] == ['', 'Park Minji', 'Kim Cheolsu'], rows
    assert not client.has_log(r'^pop-up '), client.log()
    wine.screenshot(mirelo.logs / 'listed-after-presenting.png')


def test_with_the_key_off_they_pop_up_while_presenting(mirelo, sender, wine, korean):
    client, port, _ = start(mirelo, PRESENTING, {'QuietWhilePresenting': '0'})
    send_three(sender, port, korean)
    for family in ('mail', 'schedule', 'message'):
        assert client.wait_log(rf'^pop-up {family} shown: '), client.log()
    assert client.wait_count(r'^speech: \d+ bytes of text queued$', 3) == 3, client.log()
    assert not client.has_log(r'^quiet: (kind|state)'), client.log()
    wine.screenshot(mirelo.logs / 'key-off.png')


def test_a_notification_after_the_state_ended_pops_up(mirelo, sender, korean):
    client, port, state_file = start(mirelo, ACCEPTS)
    send_three(sender, port, korean)
    assert client.wait_log(r'^pop-up mail shown: '), client.log()
    assert not client.has_log(r'^quiet: (kind|state)'), client.log()
    state_file.write_text('garbage')  # unreadable: the shell's answer holds
    sender.run('schedule', '--requester', 'Park Minji(HR)', '--subject', 'Later', '--port', port)
    assert client.wait_count(r'^pop-up schedule shown: ', 2) == 2, client.log()
