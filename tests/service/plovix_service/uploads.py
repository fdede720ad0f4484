"""Uploads of the classroom: chat pictures (multipart form with "file",
"roomId" and "userId")."""

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
        suffix = (picture.get("filename") or "picture.png").rsplit(".", 1)[-1].lower()
        file_name = "chat-%d.%s" % (number, suffix)
        chat[file_name] = picture["data"]
        return web.json_response({
            "returncode": "SUCCESS",
            "message": "",
            "data": [{"imageId": "img-%d" % number, "fileName": file_name}],
        })

    return table
