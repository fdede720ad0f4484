"""Media files for the in-class player, made by the service itself (never
downloaded): a raw video whose colour changes each second under a bar that
moves across, and a tone. Each is made once per set of parameters into a
temporary folder and served with byte ranges, so players can seek.

- GET /media/<name>.y4m?seconds=&fps=&size=WxH  (defaults 10 s, 10 fps, 160x120)
- GET /media/<name>.wav?seconds=                (8 kHz, 16-bit mono)
A name ending in anything else, or seconds of 0, gives a file with a header
and no picture or sound; "broken" in the name gives text that is no media.
"""

import array
import atexit
import colorsys
import math
import os
import re
import shutil
import tempfile

from aiohttp import web

MAX_SECONDS = 600
_NAME = re.compile(r"^[A-Za-z0-9_.-]{1,64}$")


def _number(query, key, default, low, high):
    try:
        return max(low, min(high, int(query.get(key, default))))
    except (TypeError, ValueError):
        return default


def _yuv(red, green, blue):
    y = 16 + 0.257 * red + 0.504 * green + 0.098 * blue
    u = 128 - 0.148 * red - 0.291 * green + 0.439 * blue
    v = 128 + 0.439 * red - 0.368 * green - 0.071 * blue
    return [max(0, min(255, int(round(c)))) for c in (y, u, v)]


def write_video(path, seconds, fps, width, height):
    width &= ~1
    height &= ~1
    bar_height = max(2, height // 8) & ~1
    bar_width = max(2, width // 10)
    frames = seconds * fps
    with open(path, "wb") as out:
        out.write(b"YUV4MPEG2 W%d H%d F%d:1 Ip A1:1 C420jpeg\n" % (width, height, fps))
        for index in range(frames):
            second = index // fps
            red, green, blue = colorsys.hsv_to_rgb((second * 47 % 360) / 360.0, 160 / 255.0, 200 / 255.0)
            y, u, v = _yuv(red * 255, green * 255, blue * 255)
            left = index * width // max(1, frames)
            plain = bytes([y]) * width
            bar = bytes([y]) * left + b"\xeb" * min(bar_width, width - left) + bytes([y]) * max(0, width - left - bar_width)
            out.write(b"FRAME\n")
            out.write(plain * (height - bar_height) + bar * bar_height)
            out.write(bytes([u]) * (width // 2 * height // 2))
            out.write(bytes([v]) * (width // 2 * height // 2))


def write_tone(path, seconds, rate=8000):
    samples = array.array("h", (int(8000 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(seconds * rate)))
    if array.array("h", [1]).tobytes() != b"\x01\x00":
        samples.byteswap()
    data = samples.tobytes()
    header = b"RIFF" + (36 + len(data)).to_bytes(4, "little") + b"WAVEfmt " + (16).to_bytes(4, "little")
    header += (1).to_bytes(2, "little") + (1).to_bytes(2, "little") + rate.to_bytes(4, "little")
    header += (rate * 2).to_bytes(4, "little") + (2).to_bytes(2, "little") + (16).to_bytes(2, "little")
    header += b"data" + len(data).to_bytes(4, "little")
    with open(path, "wb") as out:
        out.write(header + data)


def routes(state):
    table = web.RouteTableDef()
    folder = tempfile.mkdtemp(prefix="plovix-media-")
    atexit.register(shutil.rmtree, folder, True)
    state.store["media_folder"] = folder

    @table.get("/media/{name}")
    async def media(request):
        name = request.match_info["name"]
        if not _NAME.match(name) or name.startswith("."):
            raise web.HTTPNotFound()
        query = request.query
        seconds = _number(query, "seconds", 10, 0, MAX_SECONDS)
        if name.endswith(".y4m"):
            fps = _number(query, "fps", 10, 1, 30)
            size = re.match(r"^(\d+)x(\d+)$", query.get("size", "160x120"))
            width = max(16, min(640, int(size.group(1)))) if size else 160
            height = max(16, min(480, int(size.group(2)))) if size else 120
            made = os.path.join(folder, "%s-%d-%d-%dx%d" % (name, seconds, fps, width, height))
            if not os.path.exists(made):
                write_video(made + ".part", seconds, fps, width, height)
                os.replace(made + ".part", made)
            content_type = "video/x-yuv4mpeg"
        elif name.endswith(".wav") and "broken" not in name:
            made = os.path.join(folder, "%s-%d" % (name, seconds))
            if not os.path.exists(made):
                write_tone(made + ".part", seconds)
                os.replace(made + ".part", made)
            content_type = "audio/wav"
        else:
            made = os.path.join(folder, "text-" + name)
            if not os.path.exists(made):
                with open(made, "wb") as out:
                    out.write(b"these are lesson notes, not a media file\n" * 200)
            content_type = "application/octet-stream"
        return web.FileResponse(made, headers={"Content-Type": content_type})

    return table
