#!/usr/bin/env python3
"""Draws the pop-up clips and synthesises the notification sounds of Mirelo.exe.

Writes into client/resources/media/ (or the folder given as the first argument):
  BBSAVI.AVI  38 x 40  a pinned note that sways gently on its pin           (bulletin board)
  MAILAVI.AVI 50 x 40  an envelope with a red seal that floats up and down  (mail)
  GSAVI.AVI   40 x 40  a calendar page whose marked day glows softly        (schedule)
  SANCAVI.AVI 40 x 40  a document on which a green check badge appears      (approval)
and one WAV file for every sound the pop-ups play.

Clips are RLE8 AVIs with a palette and no audio stream, every frame a key frame: the format the
Windows animate control plays itself (ACM_OPENA / ACM_PLAY), without a codec. Each clip is the size of
its rectangle in the pop-up and its background is the pop-up's background colour, so the control
needs no transparency. Sounds are soft chimes: the notes are computed here and sox adds a little room
and writes mono 8-bit 22050 Hz PCM with noise-shaped dither. The output is the same, byte for byte, on
every run: python3 (standard library) and sox are all it needs.

Usage: make-media.py [OUTPUT_DIR] [--preview DIR]   (--preview also writes one PNG strip per clip,
decoded back from the AVI file, enlarged four times.)
"""
from __future__ import annotations

import argparse
import math
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import wave

from media_files import make_avi, make_palette, preview, rle8_decode, rle8_frame

ROOT = pathlib.Path(__file__).resolve().parent.parent
SS = 4  # supersampling: SS x SS samples per pixel


# ---------------------------------------------------------------------------------------------------
# Drawing: shapes become per-row spans of sample columns, painted with coverage-correct alpha.

class Canvas:
    def __init__(self, width: int, height: int, background: tuple[int, int, int]):
        self.width, self.height = width, height
        self.sw, self.sh = width * SS, height * SS
        self.channels = [[float(c)] * (self.sw * self.sh) for c in background]

    def paint(self, spans: dict[int, list[tuple[int, int]]], colour, alpha: float = 1.0) -> None:
        if alpha <= 0:
            return
        alpha = min(alpha, 1.0)
        for row, intervals in spans.items():
            if not 0 <= row < self.sh:
                continue
            base = row * self.sw
            for a, b in intervals:
                a, b = max(a, 0), min(b, self.sw)
                for channel, value in zip(self.channels, colour):
                    for i in range(base + a, base + b):
                        channel[i] += (value - channel[i]) * alpha

    def pixels(self) -> list[tuple[int, int, int]]:
        """The image box-filtered down to whole pixels, top row first."""
        out = []
        n = SS * SS
        for y in range(self.height):
            for x in range(self.width):
                sums = [0.0, 0.0, 0.0]
                for sy in range(y * SS, y * SS + SS):
                    base = sy * self.sw + x * SS
                    for k, channel in enumerate(self.channels):
                        sums[k] += sum(channel[base:base + SS])
                out.append(tuple(int(s / n + 0.5) for s in sums))
        return out


def _columns(x0: float, x1: float) -> tuple[int, int]:
    """Sample columns whose centres lie in [x0, x1)."""
    return math.ceil(x0 * SS - 0.5), math.ceil(x1 * SS - 0.5)


def _rows(y0: float, y1: float) -> range:
    return range(max(math.ceil(y0 * SS - 0.5), 0), math.ceil(y1 * SS - 0.5))


def union(*shapes: dict) -> dict:
    merged: dict[int, list[tuple[int, int]]] = {}
    for shape in shapes:
        for row, intervals in shape.items():
            merged.setdefault(row, []).extend(intervals)
    for row, intervals in merged.items():
        intervals.sort()
        out = []
        for a, b in intervals:
            if b <= a:
                continue
            if out and a <= out[-1][1]:
                out[-1] = (out[-1][0], max(out[-1][1], b))
            else:
                out.append((a, b))
        merged[row] = out
    return merged


def polygon(points) -> dict:
    """Even-odd fill of a closed polygon given in pixel coordinates."""
    spans = {}
    ys = [p[1] for p in points]
    for row in _rows(min(ys), max(ys)):
        y = (row + 0.5) / SS
        xs = []
        for (xa, ya), (xb, yb) in zip(points, points[1:] + points[:1]):
            if (ya <= y < yb) or (yb <= y < ya):
                xs.append(xa + (y - ya) * (xb - xa) / (yb - ya))
        xs.sort()
        spans[row] = [_columns(xs[i], xs[i + 1]) for i in range(0, len(xs) - 1, 2)]
    return union(spans)


def ellipse(cx: float, cy: float, rx: float, ry: float) -> dict:
    spans = {}
    for row in _rows(cy - ry, cy + ry):
        dy = ((row + 0.5) / SS - cy) / ry
        if abs(dy) < 1:
            half = rx * math.sqrt(1 - dy * dy)
            spans[row] = [_columns(cx - half, cx + half)]
    return spans


def circle(cx: float, cy: float, r: float) -> dict:
    return ellipse(cx, cy, r, r)


def stroke(points, width: float) -> dict:
    """A polyline of the given width with round joins and caps."""
    r = width / 2
    parts = [circle(x, y, r) for x, y in points]
    for (xa, ya), (xb, yb) in zip(points, points[1:]):
        length = math.hypot(xb - xa, yb - ya)
        if length == 0:
            continue
        nx, ny = -(yb - ya) / length * r, (xb - xa) / length * r
        parts.append(polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny), (xa - nx, ya - ny)]))
    return union(*parts)


def rounded_rect(x0: float, y0: float, x1: float, y1: float, r: float) -> list[tuple[float, float]]:
    points = []
    for cx, cy, start in ((x1 - r, y0 + r, -90), (x1 - r, y1 - r, 0), (x0 + r, y1 - r, 90), (x0 + r, y0 + r, 180)):
        for step in range(7):
            angle = math.radians(start + step * 15)
            points.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
    return points


def partial_path(points, fraction: float):
    """The first fraction (0 to 1) of a polyline, by length."""
    lengths = [math.hypot(b[0] - a[0], b[1] - a[1]) for a, b in zip(points, points[1:])]
    left = sum(lengths) * fraction
    out = [points[0]]
    for (a, b), length in zip(zip(points, points[1:]), lengths):
        if left >= length:
            out.append(b)
            left -= length
        else:
            t = left / length
            out.append((a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t))
            break
    return out


def ease(t: float) -> float:
    """0 to 1 and back to 0 over one period, with no corner anywhere."""
    return 0.5 - 0.5 * math.cos(2 * math.pi * t)


# ---------------------------------------------------------------------------------------------------
# The four clips. Each function draws frame i of n.

BBS_BG, MAIL_BG, GS_BG, SANC_BG = (230, 245, 245), (225, 227, 241), (237, 244, 225), (241, 232, 221)


def bbs_frame(i: int, n: int) -> Canvas:
    canvas = Canvas(38, 40, BBS_BG)
    pin_x, pin_y = 19.0, 7.5
    angle = math.radians(3.5 * math.sin(2 * math.pi * i / n))
    cos_a, sin_a = math.cos(angle), math.sin(angle)

    def turn(points):
        return [(pin_x + x * cos_a - y * sin_a, pin_y + x * sin_a + y * cos_a) for x, y in points]

    note = [(-12, -3.5), (12, -3.5), (12, 19), (7, 24), (-12, 24)]
    canvas.paint(polygon([(x + 1.2, y + 1.5) for x, y in turn(note)]), (196, 222, 222))
    canvas.paint(polygon(turn(note)), (206, 184, 110))
    canvas.paint(polygon(turn([(-11.2, -2.7), (11.2, -2.7), (11.2, 18.6), (6.6, 23.2), (-11.2, 23.2)])),
                 (255, 244, 178))
    canvas.paint(polygon(turn([(12, 19), (7, 19), (7, 24)])), (232, 208, 132))
    for k, right in enumerate((7.5, 7.5, 7.5, 2.5)):
        y = 3.5 + 4.2 * k
        canvas.paint(stroke(turn([(-7.5, y), (right, y)]), 1.3), (176, 164, 124))
    canvas.paint(circle(pin_x + 0.5, pin_y + 0.8, 3.4), (170, 200, 200), 0.8)
    canvas.paint(circle(pin_x, pin_y, 3.4), (200, 64, 64))
    canvas.paint(circle(pin_x - 1.0, pin_y - 1.1, 1.2), (240, 160, 150))
    return canvas


def mail_frame(i: int, n: int) -> Canvas:
    canvas = Canvas(50, 40, MAIL_BG)
    # The envelope moves by whole pixels so that its outline stays sharp; the shadow follows smoothly.
    rise = ease(i / n)
    lift = float(round(3 * rise))
    canvas.paint(ellipse(25, 35.8, 14.5 - 4 * rise, 1.9), (190, 193, 218), 0.75 - 0.3 * rise)
    top, bottom, left, right = 10.0 - lift, 32.0 - lift, 9.0, 41.0
    canvas.paint(polygon(rounded_rect(left, top, right, bottom, 1.8)), (96, 104, 152))
    canvas.paint(polygon(rounded_rect(left + 1, top + 1, right - 1, bottom - 1, 1.0)), (252, 252, 255))
    tip = (25.0, top + 12.5)
    canvas.paint(stroke([(left + 2, bottom - 2), (21, top + 14.5)], 1.0), (200, 204, 226))
    canvas.paint(stroke([(right - 2, bottom - 2), (29, top + 14.5)], 1.0), (200, 204, 226))
    canvas.paint(polygon([(left + 1, top + 1), tip, (right - 1, top + 1)]), (236, 238, 250))
    canvas.paint(stroke([(left + 1.4, top + 1.3), tip, (right - 1.4, top + 1.3)], 1.3), (112, 120, 170))
    canvas.paint(circle(tip[0], tip[1], 2.9), (206, 84, 80))
    canvas.paint(circle(tip[0] - 0.9, tip[1] - 0.9, 0.9), (236, 150, 140))
    return canvas


def gs_frame(i: int, n: int) -> Canvas:
    canvas = Canvas(40, 40, GS_BG)
    canvas.paint(polygon([(x + 1, y + 1.2) for x, y in rounded_rect(6, 8, 34, 36, 2.5)]), (208, 220, 192))
    canvas.paint(polygon(rounded_rect(6, 8, 34, 36, 2.5)), (140, 162, 118))
    canvas.paint(polygon(rounded_rect(7, 9, 33, 35, 1.6)), (255, 255, 252))
    canvas.paint(union(polygon(rounded_rect(7, 9, 33, 14, 1.6)), polygon([(7, 12), (33, 12), (33, 16), (7, 16)])),
                 (112, 160, 96))
    for x in (13.5, 26.5):
        canvas.paint(stroke([(x, 5.5), (x, 11)], 2.4), (84, 92, 84))
        canvas.paint(circle(x, 12.2, 1.0), (84, 120, 72))
    glow = ease(i / n)
    marked = (2, 1)
    for row in range(3):
        for col in range(4):
            x, y = 9.2 + col * 6.0, 19.0 + row * 5.2
            if (col, row) == marked:
                cx, cy = x + 1.8, y + 1.8
                canvas.paint(circle(cx, cy, 3.2 + 0.9 * glow), (250, 196, 150), 0.35 + 0.45 * glow)
                canvas.paint(circle(cx, cy, 2.6), (226, 122, 72))
            else:
                canvas.paint(polygon(rounded_rect(x, y, x + 3.6, y + 3.6, 0.8)), (206, 216, 196))
    return canvas


def sanc_frame(i: int, n: int) -> Canvas:
    canvas = Canvas(40, 40, SANC_BG)
    page = [(8, 4), (25, 4), (31, 10), (31, 36), (8, 36)]
    canvas.paint(polygon([(x + 1, y + 1.2) for x, y in page]), (222, 208, 192))
    canvas.paint(polygon(page), (168, 146, 124))
    canvas.paint(polygon([(9, 5), (24.6, 5), (30, 10.4), (30, 35), (9, 35)]), (255, 253, 249))
    canvas.paint(polygon([(25, 4), (25, 10), (31, 10)]), (226, 214, 198))
    for y, right in ((9, 21), (13, 27), (17, 27), (21, 24), (25, 17)):
        canvas.paint(stroke([(12, y), (right, y)], 1.3), (196, 182, 166))

    # The badge grows in, the check is drawn, both rest, then fade before the loop starts again.
    t = i / n
    grow = min(t / 0.15, 1.0)
    alpha = 1.0 if t < 0.8 else max(0.0, 1 - (t - 0.8) / 0.2) ** 1.5
    drawn = min(max((t - 0.12) / 0.3, 0.0), 1.0)
    radius = 7.6 * (0.7 + 0.3 * math.sin(grow * math.pi / 2))
    cx, cy = 28.5, 29.0
    canvas.paint(circle(cx, cy, radius + 1.2), (255, 253, 249), alpha * grow)
    canvas.paint(circle(cx, cy, radius), (78, 156, 92), alpha * grow)
    if drawn > 0:
        check = [(24.6, 29.4), (27.4, 32.2), (32.4, 26.2)]
        canvas.paint(stroke(partial_path(check, drawn), 2.0), (255, 255, 255), alpha)
    return canvas


CLIPS = {
    # name: (draw function, frames, frames per second)
    'BBSAVI.AVI': (bbs_frame, 16, 10),
    'MAILAVI.AVI': (mail_frame, 16, 10),
    'GSAVI.AVI': (gs_frame, 16, 10),
    'SANCAVI.AVI': (sanc_frame, 16, 8),
}


def write_clips(out_dir: pathlib.Path, preview_dir: pathlib.Path | None) -> None:
    for name, (draw, count, fps) in CLIPS.items():
        canvases = [draw(i, count) for i in range(count)]
        width, height = canvases[0].width, canvases[0].height
        images = [c.pixels() for c in canvases]
        background = images[0][0]
        palette, lookup = make_palette(images, background)
        indexed = [[lookup[c] for c in image] for image in images]
        encoded = [rle8_frame(frame, width, height) for frame in indexed]
        for frame, data in zip(indexed, encoded):
            if rle8_decode(data, width, height) != frame:
                sys.exit(f'make-media: RLE8 round trip failed for {name}')
        path = out_dir / name
        path.write_bytes(make_avi(width, height, fps, palette, encoded))
        if preview_dir:
            preview(path, preview_dir / (path.stem.lower() + '.png'))


# ---------------------------------------------------------------------------------------------------
# Sounds. A note is (start in seconds, semitones above the family's root, velocity); a timbre is a list
# of partials (frequency ratio, level, decay time in seconds).

RATE = 22050
TIMBRES = {
    'glass': [(1.0, 1.0, 0.30), (2.0, 0.22, 0.16), (3.0, 0.07, 0.09), (4.17, 0.035, 0.05)],
    'wood': [(1.0, 1.0, 0.20), (2.0, 0.10, 0.09), (3.93, 0.10, 0.04), (9.2, 0.02, 0.015)],
    'bell': [(1.0, 1.0, 0.42), (2.0, 0.30, 0.26), (2.76, 0.18, 0.20), (5.40, 0.05, 0.09)],
}

# What each action sounds like: arrivals rise, rejections and cancellations fall, "done" resolves onto
# the octave, "processed" is one soft chord, a changed line turns around, "hold" repeats one note.
PATTERNS = {
    'arrv': (0.48, [(0.0, 0, 0.8), (0.12, 7, 1.0)]),
    'proc': (0.36, [(0.0, 4, 0.8), (0.0, 12, 0.6)]),
    'done': (0.52, [(0.0, 7, 0.8), (0.13, 12, 1.0), (0.13, 16, 0.35)]),
    'rejc': (0.44, [(0.0, 3, 0.8), (0.14, -2, 0.8)]),
    'cncl': (0.36, [(0.0, 2, 0.7), (0.11, 0, 0.55)]),
    'chng': (0.46, [(0.0, 0, 0.7), (0.09, 5, 0.7), (0.18, 2, 0.8)]),
    'hold': (0.46, [(0.0, 4, 0.75), (0.17, 4, 0.6)]),
}

# Document families: a root (MIDI note) and a timbre each, so that the same action is recognisable and
# the family can still be told apart.
FAMILIES = {'sanc': (72, 'wood'), 'recv': (74, 'wood'), 'agre': (76, 'wood'), 'send': (77, 'wood'),
            'audi': (69, 'wood'), 'gong': (67, 'bell')}

SOUNDS = {
    # The three notification kinds: a rising sixth (mail), an arpeggio (board), a chime and a chord
    # (schedule).
    'newmail.wav': ('glass', 0.58, [(0.0, 74, 0.85), (0.13, 83, 1.0)]),
    'newbbs.wav': ('glass', 0.58, [(0.0, 72, 0.75), (0.09, 76, 0.8), (0.18, 79, 1.0)]),
    'newgs.wav': ('glass', 0.62, [(0.0, 79, 0.85), (0.15, 76, 0.5), (0.15, 84, 0.8)]),
}
for file_name in ('sancarrv', 'sancproc', 'sancrejc', 'sanccncl', 'sancdone', 'sancchng', 'sanchold',
                  'sendarrv', 'sendrejc', 'senddone', 'recvproc', 'recvrejc', 'recvdone', 'recvarrv',
                  'agrearrv', 'agredone', 'audiarrv', 'audirejc', 'audidone', 'gongarrv'):
    root, timbre = FAMILIES[file_name[:4]]
    length, notes = PATTERNS[file_name[4:]]
    SOUNDS[file_name + '.wav'] = (timbre, length, [(t, root + step, v) for t, step, v in notes])


TAIL = 0.06  # seconds of room sound after the notes have faded out


def synthesise(timbre: str, length: float, notes) -> list[float]:
    """The dry notes, peak 0.5, ending in a fade so that the last sample is silence."""
    samples = [0.0] * int(length * RATE)
    attack, release = int(0.006 * RATE), int(0.07 * RATE)
    for start, midi, velocity in notes:
        frequency = 440.0 * 2 ** ((midi - 69) / 12)
        first = int(start * RATE)
        for ratio, level, decay in TIMBRES[timbre]:
            if frequency * ratio > RATE * 0.45:
                continue
            step = 2 * math.pi * frequency * ratio / RATE
            for k in range(len(samples) - first):
                envelope = math.exp(-k / (decay * RATE))
                if envelope < 1e-4:
                    break
                if k < attack:
                    envelope *= 0.5 - 0.5 * math.cos(math.pi * k / attack)
                samples[first + k] += velocity * level * envelope * math.sin(step * k)
    for k in range(release):
        samples[-1 - k] *= 0.5 - 0.5 * math.cos(math.pi * k / release)
    peak = max(abs(s) for s in samples)
    return [s / peak * 0.5 for s in samples]


def write_sound(path: pathlib.Path, timbre: str, length: float, notes, work: pathlib.Path) -> None:
    """One WAV file of the given total length: the notes, then a short tail of room sound."""
    dry = work / 'dry.wav'
    with wave.open(str(dry), 'wb') as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        samples = synthesise(timbre, length - TAIL, notes)
        out.writeframes(struct.pack(f'<{len(samples)}h', *(int(round(s * 32767)) for s in samples)))
    wet = work / 'wet.wav'
    # A small, damped room; peaks at -6 dBFS; fades at both ends so that no edge clicks; then 8 bits
    # with noise-shaped dither, left out where the signal is digital silence. -R seeds the dither's
    # random numbers the same way on every run.
    subprocess.run(['sox', '-R', '-V1', str(dry), '-b', '8', '-e', 'unsigned-integer', str(wet),
                    'pad', '0', f'{TAIL}', 'reverb', '18', '60', '35', 'gain', '-n', '-6',
                    'fade', 'q', '0.002', f'{length:.3f}', '0.04', 'dither', '-s', '-a'], check=True)
    # Written again with nothing but the format and data chunks.
    with wave.open(str(wet), 'rb') as source:
        assert (source.getnchannels(), source.getsampwidth(), source.getframerate()) == (1, 1, RATE)
        frames = source.readframes(source.getnframes())
    with wave.open(str(path), 'wb') as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(frames)


def write_sounds(out_dir: pathlib.Path) -> None:
    if not shutil.which('sox'):
        sys.exit('make-media: sox is needed for the sounds (apt-get install sox)')
    with tempfile.TemporaryDirectory() as work:
        for name, (timbre, length, notes) in SOUNDS.items():
            write_sound(out_dir / name, timbre, length, notes, pathlib.Path(work))


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('output', nargs='?', type=pathlib.Path, default=ROOT / 'client' / 'resources' / 'media')
    parser.add_argument('--preview', type=pathlib.Path, help='also write PNG strips of the clips here')
    args = parser.parse_args()
    args.output.mkdir(parents=True, exist_ok=True)
    if args.preview:
        args.preview.mkdir(parents=True, exist_ok=True)
    write_clips(args.output, args.preview)
    write_sounds(args.output)


if __name__ == '__main__':
    main()
