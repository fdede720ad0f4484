"""Uploads of the classroom: chat pictures (multipart form with "file",
"roomId" and "userId"), stored as chat-<n>.<suffix>."""

from aiohttp import web

from . import recording


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
        chat["chat-%d.%s" % (number, suffix)] = picture["data"]
        return web.json_response({
            "returncode": "SUCCESS",
            "message": "",
            "data": [{"imageId": "img-%d" % number, "fileName": original}],
        })

    return table
