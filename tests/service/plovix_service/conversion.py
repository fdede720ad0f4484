"""Course file uploads and their conversion, as the school's servers do
them: the multipart forms of "presentation.multi.upload.url",
"audio.multi.upload.url" and "video.multi.upload.url" (one "file" part per
file, then "roomId" and "userId").

An upload is answered at once: "SUCCESS" with one new id per file
("presentationId" U<n>, "mediaId" A<n> or V<n>), or "FAIL" with a message
when a file is empty, a page file is neither a PDF nor a picture (a ".pdf"
that is no PDF too), or the room is unknown. The conversion then runs on
the room's socket: progress 25, 50, 75 and 100 (289 for pages, 480 video
and 481 audio), then the result: new pages in the room's list and 259
(the clients fetch the list again), new media and 449, or for a failed
media conversion 482 (video) or 483 (audio). Converted files are served
under /converted/<name>.

Test control (never recorded):
- POST /_control/conversion {"fail": n?, "step_ms": ms?}: the next n
  conversions fail (a page upload is refused, a media conversion ends in
  482/483); the time between two progress steps (default 150 ms).
"""

import asyncio
import json

from aiohttp import web

from . import courseware, media, recording

DEFAULT_STEP_MS = 150
KINDS = {"/api/upload/presentations": "pages", "/api/upload/audio": "audio", "/api/upload/video": "video"}


def routes(state):
    table = web.RouteTableDef()
    store = state.store.setdefault("conversion", {"files": {}, "count": 0, "fail": 0, "step_ms": DEFAULT_STEP_MS})

    def forget():
        store.update({"files": {}, "count": 0, "fail": 0, "step_ms": DEFAULT_STEP_MS})

    state.reset_hooks.append(forget)

    def refuse(message):
        return web.json_response({"returncode": "FAIL", "message": message})

    def tell_room(room_id, type_, data):
        service = state.store["signalling"]
        for conn in service.sockets_of(room_id):
            service.send(conn, {"type": type_, "source": "0", "dest": room_id, "data": data})

    async def convert(room_id, room, kind, upload_id, stored_name, pages, fails):
        key = "presentationId" if kind == "pages" else "mediaId"
        progress_type = {"pages": 289, "video": 480, "audio": 481}[kind]
        for progress in (25, 50, 75, 100):
            await asyncio.sleep(store["step_ms"] / 1000.0)
            tell_room(room_id, progress_type, {key: upload_id, "progress": progress})
            if fails and progress == 50:
                tell_room(room_id, 482 if kind == "video" else 483, {"mediaId": upload_id})
                return
        if kind == "pages":
            courseware.converted(room, upload_id, stored_name, pages)
            tell_room(room_id, 259, {})
        else:
            media.converted(room, upload_id, kind, stored_name)
            tell_room(room_id, 449, {})

    async def upload(request):
        kind = KINDS[request.path]
        parts = request["record"]["parts"]
        files = [p for p in parts if p["name"] == "file"]
        fields = {p["name"]: p["text"] for p in parts if p["name"] in ("roomId", "userId")}
        if not files or "roomId" not in fields or "userId" not in fields:
            return recording.json_error(400, "file, roomId and userId are required")
        room_id = fields["roomId"]
        room = state.store["signalling"].room(room_id)
        if room is None:
            return refuse("房间不存在")
        planned = []
        for part in files:
            name = part.get("filename") or "file"
            if part["size"] == 0:
                return refuse("文件为空: %s" % name)
            pages = courseware.page_count(part["data"]) if kind == "pages" else 1
            if pages == 0:
                return refuse("无法转换: %s" % name)
            planned.append((part, name, pages))
        fails = store["fail"] > 0
        if fails:
            store["fail"] -= 1
            if kind == "pages":
                return refuse("转换失败")
        answer = []
        for part, name, pages in planned:
            store["count"] += 1
            upload_id = {"pages": "U", "audio": "A", "video": "V"}[kind] + str(store["count"])
            suffix = name.rsplit(".", 1)[-1].lower() if "." in name else "bin"
            stored_name = "%s.%s" % (upload_id.lower(), suffix)
            store["files"][stored_name] = part["data"]
            answer.append({("presentationId" if kind == "pages" else "mediaId"): upload_id, "fileName": name})
            asyncio.ensure_future(convert(room_id, room, kind, upload_id, stored_name, pages, fails))
        return web.json_response({"returncode": "SUCCESS", "message": "", "data": answer})

    for path in KINDS:
        table.post(path)(upload)

    @table.get("/converted/{name}")
    async def converted_file(request):
        data = store["files"].get(request.match_info["name"])
        if data is None:
            return web.Response(status=404, text="no such file")
        return web.Response(body=data, content_type="application/octet-stream")

    @table.post("/_control/conversion")
    async def control(request):
        try:
            body = json.loads(await request.text() or "{}")
        except ValueError:
            body = None
        if not isinstance(body, dict):
            return recording.json_error(400, "conversion control needs an object")
        if "fail" in body:
            store["fail"] = int(body["fail"])
        if "step_ms" in body:
            store["step_ms"] = max(0, int(body["step_ms"]))
        return web.json_response({"ok": True})

    return table
