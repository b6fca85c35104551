"""Notifications over UDP and TCP: framing, dispatch, relay to the messenger, the end message."""
from __future__ import annotations

import random
import socket
import threading
import time

from mirelo_client import free_port, payload
from wine_session import wait_until

MAIL_57 = 'M' * 57


def start_client(mirelo, tcp: bool = False):
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), ListenMode='1' if tcp else '0'))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def dispatches(client) -> list[str]:
    return [line for line in client.log() if line.startswith('dispatch ')]


def test_a_mail_datagram_is_dispatched_once_and_relayed_whole(mirelo, sender):
    client, port = start_client(mirelo)
    with sender.listen(port + 1) as listener:
        sender.run('raw', '--kind', '2', '--text', MAIL_57, '--port', port)
        relayed = listener.wait_for(1)
        assert relayed == [b'0000005702' + MAIL_57.encode()]
    assert client.wait_log(r'^refresh kind=2$')
    assert dispatches(client) == ['dispatch kind=2 length=57']
    assert client.wait_log(r'^tray blink ended after 11 ticks$', timeout=10)


def test_one_byte_more_gives_nothing(mirelo, sender):
    client, port = start_client(mirelo)
    with sender.listen(port + 1) as listener:
        sender.run('raw', '--kind', '2', '--text', MAIL_57, '--extra-bytes', '1', '--port', port)
        assert client.wait_log(r'^datagram of 68 bytes dropped$')
        time.sleep(0.5)
        assert listener.received() == []
    assert dispatches(client) == []


def test_the_end_message_ends_the_client(mirelo, sender):
    client, port = start_client(mirelo)
    sender.run('end', '--port', port)
    assert client.wait_exit(15) == 0
    assert client.has_log(r'^end message received$')


def test_a_messenger_text_from_loopback_is_handled_and_not_relayed(mirelo, sender):
    client, port = start_client(mirelo)
    with sender.listen(port + 1) as listener:
        sender.run('messenger', '@0BSY', '--port', port)
        assert client.wait_log(r'^messenger presence BSY: status 32785, online 0$')
        time.sleep(0.5)
        assert listener.received() == []


def test_a_chunked_tcp_message_is_dispatched_once_with_all_its_bytes(mirelo, sender):
    client, port = start_client(mirelo, tcp=True)
    assert client.has_log(r'^CNotifyClient - CNotifyListenSocket$')
    sender.run('raw', '--kind', '2', '--text', 'x' * 5000, '--tcp', '--chunk', '4000', '--delay-ms', '300',
               '--port', port)
    assert client.wait_log(r'^dispatch kind=2 length=5000$')
    time.sleep(0.5)
    assert dispatches(client) == ['dispatch kind=2 length=5000']


def test_a_kind_98_tcp_message_reaches_the_batch_reader(mirelo, sender):
    client, port = start_client(mirelo, tcp=True)
    batch = '<notifylist><notify type="2"/></notifylist>'
    sender.run('raw', '--kind', '98', '--text', batch, '--tcp', '--port', port)
    assert client.wait_log(rf'^xml batch length={len(batch)}$')
    assert dispatches(client) == []


def test_the_tcp_end_message_ends_the_client(mirelo, sender):
    client, port = start_client(mirelo, tcp=True)
    sender.run('end', '--tcp', '--port', port)
    assert client.wait_exit(15) == 0


def test_a_sign_in_reaches_the_saved_user_id(mirelo, sender):
    client, port = start_client(mirelo)
    sender.run('messenger', '--user-signin', 'park', 'http://gw.example/', '--port', port)
    assert client.wait_log(r'^messenger: signed in as park, http://gw\.example/$')
    mirelo.stop_all()
    assert client.wait_exit(10) == 0
    assert mirelo.read_ini(mirelo.user_ini)['UserID'] == 'park'


def test_random_datagrams_change_nothing(mirelo, sender):
    client, port = start_client(mirelo)
    rng = random.Random(7)
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        for size in [0, 1, 5, 9, 10, 11, 100, 999, 1000, 1001, 1500, 4000]:
            s.sendto(bytes(rng.randrange(256) for _ in range(size)), ('127.0.0.1', port))
        for header in [b'abcdefghij', b'      5702', b'-000005702' + b'm' * 57, b'0000005702']:
            s.sendto(header, ('127.0.0.1', port))
        for text in [b'@', b'@0', b'@U', b'@Unoid', b'@P', b'@\xff\xfe', b'@Z']:
            s.sendto(text, ('127.0.0.1', port))
    sender.run('raw', '--kind', '3', '--text', 'after the noise', '--port', port)
    assert client.wait_log(r'^dispatch kind=3 length=15$')
    assert client.running


def test_misbehaving_tcp_peers_change_nothing(mirelo, sender):
    client, port = start_client(mirelo, tcp=True)
    silent = socket.create_connection(('127.0.0.1', port))
    with socket.create_connection(('127.0.0.1', port)) as half:
        half.sendall(b'00000')
    with socket.create_connection(('127.0.0.1', port)) as negative:
        negative.sendall(b'-000000502abc')
    assert client.wait_log(r'^connection with a malformed header closed$')
    with socket.create_connection(('127.0.0.1', port)) as greedy:
        greedy.sendall(b'0000000302abcdefgh')
        greedy.shutdown(socket.SHUT_WR)
        greedy.settimeout(5)
        assert greedy.recv(10) == b''  # the client shuts its side once the message is complete
    assert client.wait_log(r'^dispatch kind=2 length=3$')
    assert client.wait_log(r'^idle connection closed$', timeout=20)
    silent.close()
    sender.run('raw', '--kind', '1', '--text', 'still here', '--tcp', '--port', port)
    assert client.wait_log(r'^dispatch kind=1 length=10$')
    assert client.running


class HostilePeers:
    """TCP peers that hold connections to the client and keep sending a byte each second."""

    def __init__(self, port: int, openings: list[bytes]):
        self.sockets = []
        for opening in openings:
            peer = socket.create_connection(('127.0.0.1', port))
            peer.sendall(opening)
            self.sockets.append(peer)
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self._trickle, daemon=True)
        self.thread.start()

    def _trickle(self) -> None:
        while not self.stop.wait(1):
            for peer in self.sockets:
                try:
                    peer.send(b'z')
                except OSError:
                    pass  # closed by the client

    def close(self) -> None:
        self.stop.set()
        self.thread.join()
        for peer in self.sockets:
            peer.close()


def test_hostile_tcp_peers_cannot_lock_out_a_real_mail(mirelo, sender):
    client, port = start_client(mirelo, tcp=True)
    # Finished messages whose peers talk on, messages that announce ten-digit lengths, and more
    # messages that never end than the client keeps at once, all trickling a byte a second.
    openings = [b'0000000312abc', b'9999999902' + b'x' * 4000] * 5 + [b'0000100002' + b'y' * 10] * 70
    peers = HostilePeers(port, openings)
    try:
        assert client.wait_log(r'^connection announcing 99999999 bytes closed: more than 16777216$')
        assert client.wait_log(r'^connection without progress closed to admit a new one$', timeout=60)
        time.sleep(3)
        sender.run('raw', '--kind', '2', '--text', 'a real mail', '--tcp', '--port', port)
        assert client.wait_log(r'^dispatch kind=2 length=11$', timeout=15)
    finally:
        peers.close()
    # Bytes after a finished message keep no connection alive.
    before = client.log().count('idle connection closed')
    talker = HostilePeers(port, [b'0000000312abc'])
    try:
        assert wait_until(lambda: client.log().count('idle connection closed') > before, 25)
    finally:
        talker.close()
    assert client.running


def test_a_port_in_use_is_reported_and_the_client_runs_on(mirelo, inspector, korean):
    port = free_port()
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as taken:
        taken.bind(('0.0.0.0', port))
        client = mirelo.start(payload(ListenPort=str(port)), wait_ready=False)
        assert client.wait_log(r'^message box: Error Number : 10048$'), client.log()
        box = inspector.find(title='알림' if korean else 'Notify', timeout_ms=10000)
        assert box is not None
        inspector.click(hwnd=box['hwnd'], control=1)
        assert client.wait_log(r'^main frame created', timeout=15)
    assert client.running
