"""The clips and sounds that ship beside Mirelo.exe (client/resources/media, made by scripts/make-media.py).

Every clip and sound named in the string table exists; the clips open and loop in the Windows animate
control under Wine (tools/media-check.exe, with a screenshot of the four while they play); the sounds
are short, quiet-edged mono PCM; and the script still writes exactly the committed files.
"""
from __future__ import annotations

import array
import re
import shutil
import subprocess
import sys
import wave

import pytest

from wine_session import REPO

MEDIA = REPO / 'client' / 'resources' / 'media'
CLIPS = ('BBSAVI.AVI', 'MAILAVI.AVI', 'GSAVI.AVI', 'SANCAVI.AVI')


def string_table_names(extension: str) -> set[str]:
    text = (REPO / 'client' / 'resources' / 'strings.rc').read_text(encoding='utf-8')
    return set(re.findall(r'"([A-Za-z0-9_]+\.' + extension + ')"', text, flags=re.IGNORECASE))


def test_every_named_file_exists():
    names = string_table_names('wav') | string_table_names('avi')
    assert len(names) >= 27, sorted(names)
    missing = sorted(name for name in names if not (MEDIA / name).is_file())
    assert not missing, f'not in {MEDIA}: {missing}'
    assert sum(path.stat().st_size for path in MEDIA.iterdir()) < 400 * 1024


@pytest.mark.parametrize('name', sorted(string_table_names('wav')))
def test_sound_is_a_short_soft_pcm_chime(name):
    path = MEDIA / name
    assert path.stat().st_size < 40 * 1024
    with wave.open(str(path), 'rb') as sound:
        assert sound.getnchannels() == 1 and sound.getframerate() == 22050
        assert sound.getsampwidth() in (1, 2)
        width = sound.getsampwidth()
        duration = sound.getnframes() / sound.getframerate()
        data = sound.readframes(sound.getnframes())
    assert 0.3 <= duration <= 0.8, f'{duration:.2f} s'
    if width == 1:
        samples = [b - 128 for b in data]
        full = 128
    else:
        samples = array.array('h', data).tolist()
        full = 32768
    peak = max(abs(s) for s in samples) / full
    assert 0.25 < peak <= 0.71, f'peak {peak:.2f} of full scale'
    # Both ends within a couple of steps of silence: no click when the sound starts or stops.
    edge = 3 * full // 128
    assert all(abs(s) <= edge for s in samples[:20] + samples[-20:])


def test_clips_play_in_the_animate_control(wine, tools_dir, work_dir):
    exe = tools_dir / 'media-check.exe'
    if not exe.exists():
        pytest.fail(f'{exe} is not built')
    folder = 'Z:' + str(MEDIA).replace('/', '\\')
    process = subprocess.Popen(['timeout', '--kill-after=5', '90', 'wine', str(exe), folder, '4'],
                               env=wine.env(debug=False), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    lines = []
    for raw in process.stdout:
        lines.append(raw.decode(errors='replace').rstrip())
        if lines[-1].startswith('media-check:'):
            # The clips keep playing for a few seconds after the checks: the moment for a picture.
            wine.screenshot(work_dir / 'media-clips.png')
            break
    process.stdout.close()
    code = process.wait(timeout=60)
    output = '\n'.join(lines)
    (work_dir / 'media-check-output.txt').write_text(output + '\n')
    assert code == 0, output
    assert 'media-check: OK (0 failed)' in output
    for clip in CLIPS:
        assert f'ok   ACM_OPENA {clip} returned 1' in output
    assert 'ok   ACM_OPENA MISSING.AVI returned 0' in output


def test_script_writes_the_committed_files(tmp_path):
    if not shutil.which('sox'):
        pytest.skip('sox is not installed')
    subprocess.run([sys.executable, str(REPO / 'scripts' / 'make-media.py'), str(tmp_path)], check=True,
                   timeout=300)
    written = sorted(path.name for path in tmp_path.iterdir())
    assert written == sorted(path.name for path in MEDIA.iterdir())
    changed = [name for name in written if (tmp_path / name).read_bytes() != (MEDIA / name).read_bytes()]
    assert not changed, f'run scripts/make-media.py and commit: {changed}'
