"""The refresh request: after a UDP notification of a schedule or approval kind, a POST to RefreshUrl."""
from __future__ import annotations

import re
import socket
import threading
import time
import uuid

import pytest

from mirelo_client import free_port, payload
from wine_session import wait_until

AGENT = 'ZARODI(0.9/;p)'


class CaptureServer:
    """A TCP server on a free loopback port that keeps the bytes of every request.

    mode 'answer' replies with a small page, 'silent' reads the request and keeps the connection open
    without a word until released, 'raw' keeps whatever arrives first (a TLS handshake) and hangs up.
    """

    def __init__(self, mode: str = 'answer', body: bytes = b'ok'):
        self.mode = mode
        self.answer = b'HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: %d\r\n\r\n' % len(body) + body
        self.requests: list[bytes] = []
        self.released = threading.Event()
        self._closed = threading.Event()
        self._lock = threading.Lock()
        self._listener = socket.create_server(('127.0.0.1', 0))
        self._listener.settimeout(0.2)
        self.port = self._listener.getsockname()[1]
        self._thread = threading.Thread(target=self._serve, daemon=True)
        self._thread.start()

    def _serve(self) -> None:
        while not self._closed.is_set():
            try:
                connection, _ = self._listener.accept()
            except (TimeoutError, socket.timeout):
                continue
            except OSError:
                return
            threading.Thread(target=self._handle, args=(connection,), daemon=True).start()

    def _handle(self, connection: socket.socket) -> None:
        with connection:
            connection.settimeout(10)
            data = self._read_first(connection) if self.mode == 'raw' else self._read_request(connection)
            with self._lock:
                self.requests.append(data)
            if self.mode == 'answer':
                connection.sendall(self.answer)
            elif self.mode == 'silent':
                self.released.wait(60)

    @staticmethod
    def _read_first(connection: socket.socket) -> bytes:
        try:
            return connection.recv(65536)
        except OSError:
            return b''

    @staticmethod
    def _read_request(connection: socket.socket) -> bytes:
        data = b''
        try:
            while b'\r\n\r\n' not in data:
                chunk = connection.recv(65536)
                if not chunk:
                    return data
                data += chunk
            head, _, body = data.partition(b'\r\n\r\n')
            length = int(parse(data)[1].get('content-length', '0'))
            while len(body) < length:
                chunk = connection.recv(65536)
                if not chunk:
                    break
                body += chunk
            return head + b'\r\n\r\n' + body
        except OSError:
            return data

    def received(self) -> list[bytes]:
        with self._lock:
            return list(self.requests)

    def wait_for(self, count: int, timeout: float = 20) -> list[bytes]:
        wait_until(lambda: len(self.received()) >= count, timeout)
        return self.received()

    def close(self) -> None:
        self.released.set()
        self._closed.set()
        self._listener.close()
        self._thread.join(timeout=5)


def parse(request: bytes) -> tuple[str, dict[str, str], bytes]:
    """The request line, the headers (names in lower case) and the body."""
    head, _, body = request.partition(b'\r\n\r\n')
    lines = head.decode('latin-1').split('\r\n')
    headers = {}
    for line in lines[1:]:
        name, _, value = line.partition(':')
        headers[name.strip().lower()] = value.strip()
    return lines[0], headers, body


@pytest.fixture
def server(request):
    """The capture server; indirect parameters give its mode, or its mode and answer body."""
    param = getattr(request, 'param', 'answer')
    capture = CaptureServer(*param) if isinstance(param, tuple) else CaptureServer(param)
    yield capture
    capture.close()


def start(mirelo, refresh_url: str, user_key: str = 'key1'):
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), UserKey=user_key, RefreshUrl=refresh_url))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def send_approval(sender, port: int, kind: int = 5) -> None:
    sender.run('approval', '--kind', kind, '--doc-kind', '2', '--action', '1', '--subject', 'PO-17', '--port', port,
               '--quiet')


def no_message_box(client) -> bool:
    return not client.has_log(r'^message box:')


def test_an_approval_notification_posts_the_refresh_form(mirelo, sender, server):
    user_key = 'rk' + uuid.uuid4().hex[:8]
    url = f'http://127.0.0.1:{server.port}/notify/refresh.do?x=1'
    client, port = start(mirelo, url, user_key)
    send_approval(sender, port)
    [request] = server.wait_for(1)
    line, headers, body = parse(request)
    assert line == 'POST /notify/refresh.do?x=1 HTTP/1.0'
    assert body == f'id=appr_{user_key}&data={{"command":"refresh"}}'.encode()
    assert headers['user-agent'] == AGENT
    assert headers['content-type'] == 'application/x-www-form-urlencoded'
    assert headers['accept'] == '*/*'
    assert headers['content-length'] == str(len(body))
    assert headers['host'] == f'127.0.0.1:{server.port}'
    assert client.has_log(rf'^refresh: posting appr_{user_key} to {re.escape(url)}$')
    assert client.wait_log(r'^refresh: posted, 2 bytes of response$')
    assert no_message_box(client)


def test_only_schedule_and_approval_kinds_refresh(mirelo, sender, server):
    client, port = start(mirelo, f'http://127.0.0.1:{server.port}/r')
    sender.run('mail', '--sender', 'Kim', '--subject', 'Lunch', '--port', port, '--quiet')
    sender.run('raw', '--kind', '12', '--text', 'ignored kind', '--port', port, '--quiet')
    sender.run('schedule', '--requester', 'Lee', '--subject', 'Meeting', '--port', port, '--quiet')
    send_approval(sender, port, kind=11)
    assert client.wait_count(r'^refresh kind=', 4) == 4
    assert len(server.wait_for(2)) == 2
    time.sleep(1)
    assert len(server.received()) == 2
    assert all(parse(r)[2] == b'id=appr_key1&data={"command":"refresh"}' for r in server.received())


@pytest.mark.parametrize('server', [('answer', b'x' * 150000)], indirect=True)
def test_a_long_answer_is_read_up_to_100000_bytes(mirelo, sender, server):
    client, port = start(mirelo, f'http://127.0.0.1:{server.port}/r')
    send_approval(sender, port)
    assert client.wait_log(r'^refresh: posted, 100000 bytes of response$')


@pytest.mark.parametrize('server', [('answer', b'')], indirect=True)
def test_an_answer_without_a_body_is_no_success(mirelo, sender, server):
    client, port = start(mirelo, f'http://127.0.0.1:{server.port}/r')
    send_approval(sender, port)
    assert len(server.wait_for(1)) == 1
    assert client.wait_log(r'^refresh: answered without a body$')
    assert client.running and no_message_box(client)


def test_a_url_without_scheme_is_posted_over_http_to_its_port(mirelo, sender, server):
    client, port = start(mirelo, f'127.0.0.1:{server.port}/plain/path')
    send_approval(sender, port, kind=4)
    [request] = server.wait_for(1)
    assert parse(request)[0] == 'POST /plain/path HTTP/1.0'


def test_a_url_without_a_path_is_posted_to_the_root(mirelo, sender, server):
    client, port = start(mirelo, f'http://127.0.0.1:{server.port}')
    send_approval(sender, port, kind=6)
    [request] = server.wait_for(1)
    assert parse(request)[0] == 'POST / HTTP/1.0', 'WinINet asks for "/" when the path is empty'


def test_a_server_that_is_down_changes_nothing(mirelo, sender):
    client, port = start(mirelo, f'http://127.0.0.1:{free_port()}/r')
    send_approval(sender, port)
    assert client.wait_log(r'^refresh: failed, error \d+$', timeout=40)
    sender.run('mail', '--sender', 'Kim', '--subject', 'after', '--port', port, '--quiet')
    assert client.wait_log(r'^dispatch kind=2 ')
    assert client.running and no_message_box(client)


@pytest.mark.parametrize('server', ['silent'], indirect=True)
def test_a_slow_server_blocks_nothing(mirelo, sender, server):
    client, port = start(mirelo, f'http://127.0.0.1:{server.port}/r')
    for _ in range(3):
        send_approval(sender, port)
    assert client.wait_count(r'^refresh: posting ', 3) == 3
    # One refresh worker: while the first request hangs, the other two wait their turn in its queue.
    assert len(server.wait_for(1)) == 1
    time.sleep(2)
    assert len(server.received()) == 1, 'requests run one at a time'
    started = time.monotonic()
    sender.run('mail', '--sender', 'Kim', '--subject', 'meanwhile', '--port', port, '--quiet')
    assert client.wait_log(r'^dispatch kind=2 ', timeout=5)
    assert time.monotonic() - started < 5
    server.released.set()
    # A server that hangs up without a word gives an error or, as Wine's WinINet reads it, an empty answer.
    ended = r'^refresh: (failed, error \d+|answered without a body)$'
    assert client.wait_count(ended, 3, timeout=40) == 3
    assert client.running and no_message_box(client)


@pytest.mark.parametrize('server', ['raw'], indirect=True)
def test_an_https_url_runs_over_tls(mirelo, sender, server):
    client, port = start(mirelo, f'https://127.0.0.1:{server.port}/r')
    send_approval(sender, port)
    # WinINet may try the handshake more than once; every attempt is TLS, none is plain text.
    for hello in server.wait_for(1):
        assert hello[:1] == b'\x16' and hello[1:2] == b'\x03', f'a TLS handshake record, not {hello[:16]!r}'
        assert b'POST' not in hello
    assert client.wait_log(r'^refresh: failed, error \d+$', timeout=40)
    assert client.running and no_message_box(client)
