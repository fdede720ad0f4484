#!/usr/bin/python3
"""Writes resource/courselist/small_loading.gif: the spinner shown on a
course page while its picture is on its way. Eight dots on a ring, the
bright one going round, on a transparent 4:3 frame (the animation is
scaled to the page's thumbnail). Run once by hand when it changes:
    tools/loading_gif.py resource/courselist/small_loading.gif
"""

import math
import struct
import sys

WIDTH, HEIGHT = 120, 90
DOTS = 8
RING = 14.0
DOT = 3.2
# Index 0 is transparent; 1..8 go from faint to the list's green.
PALETTE = [(255, 255, 255)] + [
    tuple(int(229 + (c - 229) * k / 7.0) for c in (54, 189, 111)) for k in range(8)]
while len(PALETTE) < 16:
    PALETTE.append((0, 0, 0))


def frame(step):
    pixels = bytearray(WIDTH * HEIGHT)
    cx, cy = WIDTH / 2.0, HEIGHT / 2.0
    for dot in range(DOTS):
        angle = 2 * math.pi * dot / DOTS - math.pi / 2
        x, y = cx + RING * math.cos(angle), cy + RING * math.sin(angle)
        shade = 1 + (dot - step) % DOTS  # the dot at `step` is the brightest
        shade = DOTS + 1 - shade
        for py in range(int(y - DOT - 1), int(y + DOT + 2)):
            for px in range(int(x - DOT - 1), int(x + DOT + 2)):
                if (px + 0.5 - x) ** 2 + (py + 0.5 - y) ** 2 <= DOT * DOT:
                    pixels[py * WIDTH + px] = shade
    return bytes(pixels)


def lzw(data, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    table = {bytes([i]): i for i in range(clear)}
    width, next_code = min_size + 1, end + 1
    out, bits, nbits = bytearray(), 0, 0

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8

    emit(clear)
    run = b""
    for value in data:
        grown = run + bytes([value])
        if grown in table:
            run = grown
            continue
        emit(table[run])
        if next_code < 4096:
            table[grown] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table = {bytes([i]): i for i in range(clear)}
            width, next_code = min_size + 1, end + 1
        run = bytes([value])
    if run:
        emit(table[run])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    return bytes(out)


def blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return bytes(out + b"\x00")


def main(path):
    gif = bytearray(b"GIF89a")
    gif += struct.pack("<HHBBB", WIDTH, HEIGHT, 0xF3, 0, 0)  # 16-colour global table
    for colour in PALETTE:
        gif += bytes(colour)
    gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop for ever
    for step in range(DOTS):
        # Restore to the background after each frame; 0.1 s; index 0 clear.
        gif += b"\x21\xF9\x04" + struct.pack("<BHB", 0x09, 10, 0) + b"\x00"
        gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, WIDTH, HEIGHT, 0)
        gif += bytes([4]) + blocks(lzw(frame(step), 4))
    gif += b"\x3B"
    with open(path, "wb") as target:
        target.write(gif)


if __name__ == "__main__":
    main(sys.argv[1])
