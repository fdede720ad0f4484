"""Uploads of the classroom: chat pictures (multipart form with "file",
"roomId" and "userId"), stored as chat-<n>.<suffix>. Like the school's
servers, the classroom then converts the picture into its display sizes and
tells the uploader on its room socket (421), whose client turns that into the
picture message for the room."""

import struct
import time

from aiohttp import web

from . import recording


def picture_size(data):
    """(width, height) from a PNG, GIF or JPEG header; None when unknown."""
    if data[:8] == b"\x89PNG\r\n\x1a\n" and len(data) >= 24:
        return struct.unpack(">II", data[16:24])
    if data[:6] in (b"GIF87a", b"GIF89a") and len(data) >= 10:
        return struct.unpack("<HH", data[6:10])
    if data[:2] == b"\xff\xd8":
        at = 2
        while at + 9 <= len(data) and data[at] == 0xFF:
            marker = data[at + 1]
            length = struct.unpack(">H", data[at + 2:at + 4])[0]
            if 0xC0 <= marker <= 0xCF and marker not in (0xC4, 0xC8, 0xCC):
                height, width = struct.unpack(">HH", data[at + 5:at + 9])
                return width, height
            at += 2 + length
    return None


def routes(state):
    table = web.RouteTableDef()
    chat = state.store.setdefault("chat", {})

    @table.post("/api/upload/chat")
    async def chat_picture(request):
        parts = {part["name"]: part for part in request["record"]["parts"]}
        picture = parts.get("file")
        if picture is None or picture["size"] == 0 or "roomId" not in parts or "userId" not in parts:
            return recording.json_error(400, "file, roomId and userId are required")
        number = len(chat) + 1
        original = picture.get("filename") or "picture.png"
        suffix = original.rsplit(".", 1)[-1].lower()
        # Stored (and served under /static/chat/) by its own name; the answer
        # names the uploaded file as the client sent it, which is how the
        # client knows which of its pictures went up.
        name = "chat-%d.%s" % (number, suffix)
        chat[name] = picture["data"]
        size = picture_size(picture["data"])
        size_text = "%dx%d" % size if size else ""
        url = "%s/static/chat/%s" % (state.base_url(request.secure), name)
        room_service = state.store.get("signalling")
        if room_service is not None:
            room_service.converted(parts["roomId"].get("text", ""), parts["userId"].get("text", ""), {
                "imageId": "img-%d" % number, "slideUrl": url, "slideSize": size_text, "mediumUrl": url,
                "mediumSize": size_text, "normalUrl": url, "normalSize": size_text,
                "timestamp": int(time.time() * 1000)})
        return web.json_response({
            "returncode": "SUCCESS",
            "message": "",
            "data": [{"imageId": "img-%d" % number, "fileName": original}],
        })

    return table
