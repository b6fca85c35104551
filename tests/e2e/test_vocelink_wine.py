"""vocelink.dll under Wine against the native vocelink-server.

The Windows test program loads the library with LoadLibraryA, finds all eleven exports by their plain
names and runs each against the server; the speech it receives through TTSRequestBuffer is kept in the
run's work folder as spoken-<locale>.wav. Self-contained: its own server, its own Wine prefix.
"""
from __future__ import annotations

import array
import os
import pathlib
import subprocess
import wave

import pytest

from speech_server import SpeechServer
from wine_session import windows_build_dir

REPO = pathlib.Path(__file__).resolve().parents[2]
LOCALE = os.environ.get('MIRELO_LOCALE', 'ko_KR.UTF-8')
WIN32_DIR = windows_build_dir()
NATIVE_DIR = pathlib.Path(os.environ.get('MIRELO_NATIVE_DIR') or REPO / 'build' / 'native')
WORK = pathlib.Path(os.environ.get('MIRELO_E2E_WORK') or NATIVE_DIR / f'e2e-{LOCALE.split(".")[0]}')

# What the client speaks for a mail, in the system code page of each locale.
KOREAN_TEXT = '홍길동님으로 부터 제목이 회의 안내 인 새 편지가 도착하였습니다.'
ENGLISH_TEXT = 'You have new mail from Hong Gildong about the meeting.'


def windows_path(path: pathlib.Path) -> str:
    return 'Z:' + str(path).replace('/', '\\')


def wine_env(prefix: pathlib.Path) -> dict:
    env = dict(os.environ)
    env.update(WINEPREFIX=str(prefix), LANG=LOCALE, LC_ALL=LOCALE, MIRELO_WINE_TIMEOUT='120')
    return env


def run_check(prefix: pathlib.Path, port: int, wav: pathlib.Path, text_file: pathlib.Path):
    exe = WIN32_DIR / 'vocelink-wine-check.exe'
    command = [str(REPO / 'scripts' / 'wine-run.sh'), str(exe), '127.0.0.1', str(port), windows_path(wav),
               windows_path(text_file)]
    try:
        return subprocess.run(command, env=wine_env(prefix), capture_output=True, timeout=400, cwd=WIN32_DIR)
    finally:
        subprocess.run(['wineserver', '-k'], env=wine_env(prefix), capture_output=True, timeout=60, check=False)


def loudness(path: pathlib.Path) -> tuple[float, float]:
    """Duration in seconds and RMS level (0 to 1) of a 16-bit PCM WAV file."""
    with wave.open(str(path), 'rb') as sound:
        assert sound.getsampwidth() == 2, 'expected 16-bit samples'
        frames = sound.getnframes()
        samples = array.array('h', sound.readframes(frames))
        duration = frames / sound.getframerate()
    rms = (sum(s * s for s in samples) / max(len(samples), 1)) ** 0.5 / 32768
    return duration, rms


@pytest.fixture
def vocelink_work() -> pathlib.Path:
    for name in ('vocelink.dll', 'vocelink-wine-check.exe'):
        if not (WIN32_DIR / name).exists():
            pytest.fail(f'{name} is not built in {WIN32_DIR}')
    if not (NATIVE_DIR / 'vocelink-server').exists():
        pytest.fail(f'vocelink-server is not built in {NATIVE_DIR}')
    path = WORK / 'vocelink'
    path.mkdir(parents=True, exist_ok=True)
    return path


def test_every_export_under_wine_and_a_spoken_wav(vocelink_work):
    korean = LOCALE.startswith('ko_KR')
    text = KOREAN_TEXT if korean else ENGLISH_TEXT
    text_file = vocelink_work / 'text.txt'
    # The client sends its text in the system code page: 949 under the Korean locale.
    text_file.write_bytes(text.encode('cp949' if korean else 'cp1252'))
    wav = vocelink_work / f'spoken-{LOCALE.split(".")[0]}.wav'
    wav.unlink(missing_ok=True)
    files = vocelink_work / 'server-files'
    files.mkdir(exist_ok=True)

    server = SpeechServer(NATIVE_DIR, vocelink_work / 'server.log', '--piece-size', '4096', '--output-dir', str(files))
    try:
        result = run_check(vocelink_work / 'prefix', server.port, wav, text_file)
    finally:
        server_exit = server.stop()
    output = result.stdout.decode(errors='replace')
    log = server.log_text()
    (vocelink_work / 'check-output.txt').write_text(output + result.stderr.decode(errors='replace'))

    assert result.returncode == 0, output + log
    assert 'vocelink-wine-check: OK (0 failed)' in output
    for export in ('TTSOpen', 'TTSClose', 'TTSRequestFile', 'TTSRequestFileEx', 'TTSRequestBuffer',
                   'TTSRequestBufferEx', 'TTSRequestPlay', 'TTSRequestEffect', 'TTSRequestStatus', 'TTSSetTimeout',
                   'TTSBufferFree'):
        assert f'ok   GetProcAddress("{export}")' in output
    assert server_exit == 0, log
    assert f'buffer request: voice 10, format 1, single reply, text {len(text_file.read_bytes())} bytes "{text}"' in log
    assert 'status dialogue: SMON' in log and 'close request' in log
    assert (files / 'wine-check.wav').read_bytes()[:4] == b'RIFF'

    data = wav.read_bytes()
    assert data[:4] == b'RIFF' and data[8:12] == b'WAVE', data[:16]
    duration, rms = loudness(wav)
    assert duration > 1.0, f'{duration:.2f} s of audio'
    assert rms > 0.01, f'RMS level {rms:.4f}: silence rather than speech'
