"""The demo's port choice and its stand-in web server."""
from __future__ import annotations

import contextlib
import pathlib
import socket
import subprocess
import sys
import time
import urllib.request

import pytest

SCRIPTS = pathlib.Path(__file__).resolve().parents[2] / 'scripts'


def choose_port(requested: str = '') -> subprocess.CompletedProcess:
    return subprocess.run([sys.executable, str(SCRIPTS / 'demo_port.py'), '--requested', requested],
                          capture_output=True, text=True, timeout=30)


@contextlib.contextmanager
def held_udp_port(port: int):
    """Holds the port for the duration; one another program already holds stays held just the same."""
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    with contextlib.suppress(OSError):
        s.bind(('0.0.0.0', port))
    try:
        yield
    finally:
        s.close()


def free_udp_port() -> int:
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(('0.0.0.0', 0))
        return s.getsockname()[1]


def test_a_busy_default_port_gives_way_and_the_user_is_told():
    with held_udp_port(7333):
        result = choose_port()
    assert result.returncode == 0, result.stderr
    port = int(result.stdout)
    assert port != 7333 and port % 2 == 1 and 7335 <= port <= 7399
    assert 'UDP port 7333 is in use' in result.stderr
    assert f'uses port {port} instead' in result.stderr
    assert 'MIRELO_DEMO_PORT' in result.stderr


def test_a_requested_port_is_taken_as_it_is_or_refused():
    port = free_udp_port()
    result = choose_port(str(port))
    assert (result.returncode, result.stdout.strip(), result.stderr) == (0, str(port), '')
    with held_udp_port(port):
        result = choose_port(str(port))
    assert result.returncode == 1
    assert f'UDP port {port} (MIRELO_DEMO_PORT) is in use' in result.stderr
    assert choose_port('70000').returncode == 1
    assert choose_port('7333x').returncode == 1


@pytest.fixture
def web(tmp_path):
    port_file = tmp_path / 'web.port'
    process = subprocess.Popen([sys.executable, str(SCRIPTS / 'demo_web.py'), '--port-file', str(port_file)],
                               stdout=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 20
    while not (port_file.exists() and port_file.read_text().strip()) and time.monotonic() < deadline:
        time.sleep(0.05)
    yield process, f'http://127.0.0.1:{port_file.read_text().strip()}'
    process.kill()
    process.wait()


def test_the_refresh_request_is_answered_and_told_in_one_line(web):
    process, url = web
    body = b'id=appr_demo-key&data=%7B%22command%22%3A%22refresh%22%7D'
    with urllib.request.urlopen(urllib.request.Request(url + '/refresh', data=body), timeout=10) as answer:
        assert answer.status == 200
    assert process.stdout.readline() == ('demo: the client asked the web server to refresh its lists '
                                         '(id=appr_demo-key, data={"command":"refresh"})\n')


def test_view_pages_are_answered(web):
    _, url = web
    with urllib.request.urlopen(url + '/mail/read?id=7&K=demo', timeout=10) as answer:
        page = answer.read().decode()
    assert answer.status == 200
    assert '/mail/read?id=7&amp;K=demo' in page
