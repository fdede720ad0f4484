"""Static files: avatars, list pictures, course pages (small PNGs made at
start), an installer, and blobs of any size for transfer tests."""

import hashlib
import struct
import zlib

from aiohttp import web

MAX_BLOB = 256 << 20


def make_png(width, height, rgb):
    """A plain one-colour PNG, made without any imaging library."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    row = b"\x00" + bytes(rgb) * width
    raw = row * height
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def colour_of(name):
    digest = hashlib.sha1(name.encode("utf-8")).digest()
    return digest[0], digest[1], digest[2]


def blob(size, seed=""):
    """Deterministic bytes, so a test can compare what it stored."""
    pattern = hashlib.sha256(seed.encode("utf-8")).digest() * 2048
    out = bytearray()
    while len(out) < size:
        out += pattern
    return bytes(out[:size])


# Sizes by folder: avatars are small squares, course pages are 4:3.
_PICTURES = {"avatar": (48, 48), "list": (160, 90), "course": (320, 240), "chat": (64, 64)}


def routes(state):
    table = web.RouteTableDef()

    @table.get("/static/{folder}/{name}")
    async def picture(request):
        folder = request.match_info["folder"]
        name = request.match_info["name"]
        if folder == "installer":
            data = blob(200 * 1024, name)
            return web.Response(body=data, content_type="application/octet-stream")
        if folder == "chat":
            stored = state.store.get("chat", {}).get(name)
            if stored is not None:
                return web.Response(body=stored, content_type="image/png")
        if folder not in _PICTURES or not name.lower().endswith(".png"):
            return web.Response(status=404, text="no such file")
        width, height = _PICTURES[folder]
        return web.Response(body=make_png(width, height, colour_of(folder + "/" + name)), content_type="image/png")

    @table.get("/blob/{size:\\d+}/{name}")
    async def sized(request):
        size = int(request.match_info["size"])
        if size > MAX_BLOB:
            return web.Response(status=413, text="too large")
        return web.Response(body=blob(size, request.match_info["name"]), content_type="application/octet-stream")

    return table
