"""File formats of the pop-up clips: palette, RLE8 frames, the AVI file, and PNG strips to look at them.

Used by make-media.py; standard library only.
"""
from __future__ import annotations

import pathlib
import struct
import zlib


def make_palette(frames, background) -> tuple[list, dict]:
    """Up to 256 colours, the background exactly at index 0; other colours by median cut."""
    counts: dict[tuple, int] = {}
    for frame in frames:
        for colour in frame:
            counts[colour] = counts.get(colour, 0) + 1
    counts.pop(background, None)
    boxes = [sorted(counts.items())]
    while len(boxes) < 255:
        widest = None
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = max(max(c[0][k] for c in box) - min(c[0][k] for c in box) for k in range(3))
            if widest is None or spread > widest[0]:
                widest = (spread, index)
        if widest is None:
            break
        box = boxes.pop(widest[1])
        axis = max(range(3), key=lambda k: max(c[0][k] for c in box) - min(c[0][k] for c in box))
        box.sort(key=lambda c: (c[0][axis], c[0]))
        half, seen = sum(c[1] for c in box) / 2, 0
        for cut, (_, count) in enumerate(box):
            seen += count
            if seen >= half:
                break
        cut = min(max(cut + 1, 1), len(box) - 1)
        boxes[widest[1]:widest[1]] = [box[:cut], box[cut:]]
    palette, lookup = [background], {background: 0}
    for box in boxes:
        total = sum(c[1] for c in box)
        mean = tuple(int(sum(c[0][k] * c[1] for c in box) / total + 0.5) for k in range(3))
        for colour, _ in box:
            lookup[colour] = len(palette)
        palette.append(mean)
    return palette, lookup


def rle8_row(row: list[int]) -> bytes:
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        j = i + 1
        while j < n and row[j] == row[i] and j - i < 255:
            j += 1
        if j - i >= 2:
            out += bytes((j - i, row[i]))
            i = j
            continue
        k = i
        while k < n and k - i < 255 and not (k + 2 < n and row[k] == row[k + 1] == row[k + 2]):
            k += 1
        if k - i >= 3:
            out += bytes((0, k - i)) + bytes(row[i:k]) + (b'\0' if (k - i) % 2 else b'')
        else:
            for value in row[i:k]:
                out += bytes((1, value))
        i = k
    return bytes(out)


def rle8_frame(indices: list[int], width: int, height: int) -> bytes:
    """A whole frame, bottom row first; every pixel is written, so each frame stands alone."""
    out = bytearray()
    for y in range(height - 1, -1, -1):
        out += rle8_row(indices[y * width:(y + 1) * width])
        out += b'\0\0' if y else b'\0\1'
    return bytes(out)


def rle8_decode(data: bytes, width: int, height: int) -> list[int]:
    """Inverse of rle8_frame (top row first), to check what the file holds."""
    pixels = [0] * (width * height)
    x, y, i = 0, height - 1, 0
    while i + 1 < len(data):
        count, value = data[i], data[i + 1]
        i += 2
        if count:
            for _ in range(count):
                pixels[y * width + x] = value
                x += 1
        elif value == 0:
            x, y = 0, y - 1
        elif value == 1:
            break
        elif value == 2:
            x, y, i = x + data[i], y - data[i + 1], i + 2
        else:
            for k in range(value):
                pixels[y * width + x] = data[i + k]
                x += 1
            i += value + (value % 2)
    return pixels


def chunk(fourcc: bytes, data: bytes) -> bytes:
    return fourcc + struct.pack('<I', len(data)) + data + (b'\0' if len(data) % 2 else b'')


def riff_list(kind: bytes, fourcc: bytes, *parts: bytes) -> bytes:
    body = fourcc + b''.join(parts)
    return kind + struct.pack('<I', len(body)) + body


def make_avi(width: int, height: int, fps: int, palette: list, frames: list[bytes]) -> bytes:
    """One video stream of RLE8 key frames and an index; the stream handler "RLE " tells the animate
    control to draw the frames itself rather than look for a codec.

    Every frame is padded (after its end-of-bitmap code) to the same size, which is also the header's
    image size and suggested buffer size: the control reads that many bytes for each frame.
    """
    size = max(len(f) for f in frames)
    size += size % 2
    frames = [f + b'\0' * (size - len(f)) for f in frames]
    n = len(frames)
    avih = struct.pack('<10I4I', 1000000 // fps, size * fps, 0, 0x10, n, 0, 1, size, width, height, 0, 0, 0, 0)
    strh = struct.pack('<4s4sIHHIIIIIIIIhhhh', b'vids', b'RLE ', 0, 0, 0, 0, 1, fps, 0, n, size, 0xFFFFFFFF, 0,
                       0, 0, width, height)
    bih = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 1, size, 0, 0, len(palette), 0)
    colours = b''.join(struct.pack('<4B', b, g, r, 0) for r, g, b in palette)
    hdrl = riff_list(b'LIST', b'hdrl', chunk(b'avih', avih),
                     riff_list(b'LIST', b'strl', chunk(b'strh', strh), chunk(b'strf', bih + colours)))
    movi = riff_list(b'LIST', b'movi', *(chunk(b'00dc', f) for f in frames))
    index = b''.join(struct.pack('<4sIII', b'00dc', 0x10, 4 + k * (size + 8), size) for k in range(n))
    return riff_list(b'RIFF', b'AVI ', hdrl, movi, chunk(b'idx1', index))


def read_avi(data: bytes):
    """Width, height, palette and decoded frames of one of our AVI files."""
    def walk(start, end):
        while start + 8 <= end:
            fourcc, size = data[start:start + 4], struct.unpack_from('<I', data, start + 4)[0]
            if fourcc in (b'RIFF', b'LIST'):
                yield from walk(start + 12, start + 8 + size)
            else:
                yield fourcc, data[start + 8:start + 8 + size]
            start += 8 + size + size % 2

    header, frames = None, []
    for fourcc, body in walk(0, len(data)):
        if fourcc == b'strf':
            header = struct.unpack_from('<IiiHHIIiiII', body)
            palette = [(body[40 + 4 * k + 2], body[40 + 4 * k + 1], body[40 + 4 * k]) for k in range(header[9])]
        elif fourcc == b'00dc':
            frames.append(rle8_decode(body, header[1], header[2]))
    return header[1], header[2], palette, frames


def write_png(path: pathlib.Path, width: int, height: int, rgb_rows: list[bytes]) -> None:
    raw = b''.join(b'\0' + row for row in rgb_rows)

    def png_chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))

    path.write_bytes(b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
                     + png_chunk(b'IDAT', zlib.compress(raw, 9)) + png_chunk(b'IEND', b''))


def preview(avi: pathlib.Path, out: pathlib.Path, zoom: int = 4) -> None:
    """All frames side by side with a 2-pixel gap, enlarged."""
    width, height, palette, frames = read_avi(avi.read_bytes())
    rows = []
    for y in range(height):
        line = bytearray()
        for frame in frames:
            for x in range(width):
                line += bytes(palette[frame[y * width + x]]) * zoom
            line += b'\x80\x80\x80' * 2
        rows += [bytes(line)] * zoom
    write_png(out, len(rows[0]) // 3, len(rows), rows)
