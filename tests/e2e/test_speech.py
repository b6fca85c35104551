"""Spoken notifications: the client asks vocelink-server for the sentence of each notification."""
from __future__ import annotations

import os
import pathlib
import socket
import time

import pytest

from mirelo_client import free_port, payload
from speech_server import SpeechServer
from wine_session import wait_until

# The 32-bit view of HKLM, where the suite's installer records its folder.
SUITE_KEY = r'HKLM\SOFTWARE\Wow6432Node\Corvane\Quillon Groupware 6.5'
MAIL = {
    True: ('홍길동 (영업부)', '회의 안내', '홍길동님으로 부터 제목이 회의 안내 인 새 편지가 도착하였습니다.'),
    False: ('Hong Gildong (Sales)', 'Meeting notes', 'A new mail from Hong with the subject Meeting notes has arrived.'),
}


@pytest.fixture
def suite(wine, mirelo):
    """Names (or, left alone, leaves out) the suite's settings file; the value is gone afterwards."""
    wine.reg_delete(SUITE_KEY, 'TesselDir32')

    def name_server(address: str, port: int) -> pathlib.Path:
        folder = mirelo.folder / 'suite'
        (folder / 'bin').mkdir(parents=True, exist_ok=True)
        (folder / 'bin' / 'tesseldef.ini').write_bytes(f'[TTS]\r\nIP={address}\r\nPort={port}\r\n'.encode())
        wine.reg_add(SUITE_KEY, 'TesselDir32', 'REG_SZ', mirelo.windows_path(folder) + '\\')
        return folder

    yield name_server
    wine.reg_delete(SUITE_KEY, 'TesselDir32')


@pytest.fixture
def speech_dir(mirelo) -> pathlib.Path:
    path = mirelo.logs / 'speech'
    path.mkdir()
    return path


def start(mirelo, ini: dict[str, str] | None = None):
    mirelo.write_ini(mirelo.program_ini, {'Version': '1', 'DisplayPos': '4', **(ini or {})})
    port = free_port()
    client = mirelo.start(payload(ListenPort=str(port), SpeakNotifications='1'))
    assert client.wait_log(r'^main frame created'), client.log()
    return client, port


def send_mail(sender, port: int, korean: bool, subject: str | None = None) -> None:
    name, default_subject, _ = MAIL[korean]
    sender.run('mail', '--sender', name, '--subject', subject or default_subject, '--function', 'OpenMail',
               '--url', 'http://gw/mail?id=1', '--port', port)


def test_a_mail_is_spoken_by_the_server_the_settings_file_names(mirelo, sender, wine, native_dir, korean, suite,
                                                                 speech_dir):
    with SpeechServer(native_dir, mirelo.logs / 'server.log', '--bind', '127.0.0.2', '--save-dir',
                      str(speech_dir)) as server:
        suite('127.0.0.2', server.port)
        client, port = start(mirelo)
        send_mail(sender, port, korean)
        assert client.wait_log(r'^pop-up mail shown: '), client.log()
        playing = client.wait_log(r'^speech: playing \d+ bytes of audio$', timeout=60)
        assert playing, client.log() + [server.log_text()]
        assert client.wait_log(r'^(speech: played|Cannot play sound in memory: \d+)$'), client.log()
        wine.screenshot(mirelo.logs / 'spoken-mail.png')
    expected = MAIL[korean][2].encode(wine.code_page)
    assert (speech_dir / 'speech-001.txt').read_bytes() == expected
    audio = (speech_dir / 'speech-001.wav').read_bytes()
    assert audio[:4] == b'RIFF' and playing == f'speech: playing {len(audio)} bytes of audio'
    assert client.has_log(rf'^speech: asking 127\.0\.0\.2:{server.port} for {len(expected)} bytes of text$')
    assert client.has_log(r'^speech: status 1, \d+ bytes of audio$')
    assert len(server.requests()) == 1 and 'voice 10, format 1, single reply' in server.requests()[0]


def test_without_the_registry_value_the_default_server_is_asked(mirelo, sender, native_dir, korean, suite,
                                                                 speech_dir):
    try:
        server = SpeechServer(native_dir, mirelo.logs / 'server.log', '--port', '7000', '--tone', '--save-dir',
                              str(speech_dir))
    except RuntimeError as error:
        pytest.fail(f'port 7000 is taken on this machine: {error}')
    with server:
        client, port = start(mirelo)
        sender.run('schedule', '--requester', 'Park', '--subject', 'Weekly sync', '--port', port)
        assert client.wait_log(r'^speech: playing \d+ bytes of audio$', timeout=60), client.log()
    assert client.has_log(r'^speech: asking 127\.0\.0\.1:7000 for \d+ bytes of text$')
    sentence = '제목이 Weekly sync 인 메시지가 도착하였습니다.' if korean else \
        'A message with the subject Weekly sync has arrived.'
    assert (speech_dir / 'speech-001.txt').read_bytes() == sentence.encode('cp949' if korean else 'cp1252')


def test_without_vocelink_nothing_is_spoken_and_the_pop_up_appears(mirelo, sender, native_dir, korean, suite):
    (mirelo.folder / 'vocelink.dll').unlink()
    with SpeechServer(native_dir, mirelo.logs / 'server.log', '--tone') as server:
        suite('127.0.0.1', server.port)
        client, port = start(mirelo)
        send_mail(sender, port, korean)
        assert client.wait_log(r'^pop-up mail shown: '), client.log()
        assert client.wait_log(r'^speech: vocelink\.dll not found$'), client.log()
        time.sleep(1)
        assert server.requests() == []
    assert not client.has_log(r'^speech: (asking|playing)')


def test_a_server_that_never_answers_does_not_hold_the_pop_ups(mirelo, sender, native_dir, korean, suite):
    with SpeechServer(native_dir, mirelo.logs / 'server.log', '--never-answer') as server:
        suite('127.0.0.1', server.port)
        client, port = start(mirelo)
        for count, subject in enumerate(('First', 'Second', 'Third'), start=1):
            sent = time.monotonic()
            send_mail(sender, port, korean, subject=subject)
            assert client.wait_count(r'^pop-up mail shown: ', count, timeout=15) == count, client.log()
            assert time.monotonic() - sent < 15
            if count == 1:
                # The pop-up came while its own request still waits for the answer (30 s).
                assert not client.has_log(r'^speech: status ')
        assert wait_until(lambda: len(server.requests()) == 1, 10), server.log_text()
        assert client.wait_count(r'^speech: \d+ bytes of text queued$', 3) == 3


def thread_count(pid: int) -> int:
    try:
        return len(os.listdir(f'/proc/{pid}/task'))
    except FileNotFoundError:
        return 0


def test_a_burst_of_two_hundred_keeps_the_threads_bounded(mirelo, sender, wine, native_dir, korean, suite):
    # A server that never answers keeps the first sentence busy for the whole burst (the request gives
    # up after 30 s). With OnlyUrgency on, the plain mails show nothing and play nothing: speech alone
    # works for them.
    with SpeechServer(native_dir, mirelo.logs / 'server.log', '--never-answer') as server:
        suite('127.0.0.1', server.port)
        client, port = start(mirelo, {'OnlyUrgency': '1'})
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as capture:
            capture.bind(('127.0.0.1', 0))
            capture.settimeout(10)
            send_mail(sender, capture.getsockname()[1], korean)
            datagram = capture.recv(65536)
        pid = client.process.pid
        before = thread_count(pid)
        peak = before
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as out:
            for _ in range(200):
                out.sendto(datagram, ('127.0.0.1', port))
                peak = max(peak, thread_count(pid))
                time.sleep(0.01)
        dispatched = client.wait_count(r'^dispatch kind=2 ', 200, timeout=60)
        peak = max(peak, thread_count(pid))
        queued = client.wait_count(r'^speech: \d+ bytes of text queued$', 4)
        dropped = client.wait_count(r'^speech: 4 sentences in progress; this one is dropped$', dispatched - 4)
        assert dispatched >= 150, f'{dispatched} of 200 datagrams dispatched'
        assert (queued, dropped) == (4, dispatched - 4), client.log()[-10:]
        # The speech worker is the one thread the burst may add (a thread per sentence would be 200).
        assert before > 0 and peak <= before + 2, f'{before} threads before the burst, {peak} at most during it'
        assert len(server.requests()) == 1
        (mirelo.logs / 'threads.txt').write_text(f'{before} before, {peak} at most, {dispatched} dispatched\n')
