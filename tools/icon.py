#!/usr/bin/env python3
"""Makes Vellum's icons from a capture of the picture.

    build/vellum-capture-720 frame.png     # on any X display (xvfb-run, say)
    python3 tools/icon.py frame.png

The icon is the middle square of the frame (the creature's head, the sun and the castle's
left towers), averaged down box by box. It writes packaging/icons/vellum-N.png for the sizes of the
Linux menu entries and packaging/icons/vellum.ico (16, 32 and 48 pixels, PNG-compressed) for the
Windows programs, which must stay small.
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
PNG_SIZES = (48, 128, 256)
ICO_SIZES = (16, 32, 48)


def read_png(path):
    """An 8-bit RGB or RGBA PNG, non-interlaced, as (width, height, rows of RGB bytes)."""
    data = open(path, 'rb').read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        sys.exit(f'icon.py: {path}: not a PNG')
    pos, chunks, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            chunks.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit(f'icon.py: {path}: needs an 8-bit RGB or RGBA PNG without interlacing')
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(b''.join(chunks))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        row = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = row[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                row[i] = (row[i] + left) & 255
            elif kind == 2:
                row[i] = (row[i] + up) & 255
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                row[i] = (row[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        previous = row
        rows.append(bytes(b for x in range(width) for b in row[x * channels:x * channels + 3]))
    return width, height, rows


def square(width, height, rows, size):
    """The middle height x height square, averaged down to size x size, as RGBA rows."""
    left = (width - height) // 2
    out = []
    for y in range(size):
        y0, y1 = y * height // size, (y + 1) * height // size
        row = bytearray()
        for x in range(size):
            x0, x1 = left + x * height // size, left + (x + 1) * height // size
            sums = [0, 0, 0]
            for source in rows[y0:y1]:
                for sx in range(x0, x1):
                    for k in range(3):
                        sums[k] += source[3 * sx + k]
            count = (y1 - y0) * (x1 - x0)
            row += bytes((s + count // 2) // count for s in sums) + b'\xff'
        out.append(bytes(row))
    return out


def png(size, rows):
    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    pixels = zlib.compress(b''.join(b'\0' + row for row in rows), 9)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', pixels) + chunk(b'IEND', b'')


def ico(images):
    """An icon file whose entries are PNGs (Windows Vista and later read them at any size)."""
    head = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, bodies = b'', b''
    for size, body in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(body), offset)
        offset += len(body)
        bodies += body
    return head + entries + bodies


def main():
    if len(sys.argv) != 2:
        sys.exit('usage: python3 tools/icon.py FRAME.png (a capture of the picture)')
    width, height, rows = read_png(sys.argv[1])
    os.makedirs(os.path.join(ROOT, 'packaging', 'icons'), exist_ok=True)
    made = {size: png(size, square(width, height, rows, size)) for size in sorted(set(PNG_SIZES + ICO_SIZES))}
    for size in PNG_SIZES:
        with open(os.path.join(ROOT, 'docs', 'icons', f'vellum-{size}.png'), 'wb') as out:
            out.write(made[size])
    with open(os.path.join(ROOT, 'packaging', 'icons', 'vellum.ico'), 'wb') as out:
        out.write(ico([(size, made[size]) for size in ICO_SIZES]))


if __name__ == '__main__':
    main()
