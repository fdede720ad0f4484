"""Test participants of a class room: members that have no client of their
own. A test makes one join a room, lets it send messages through the
room's logic exactly as a connected client would, and reads what the room
sent to it.

Test control (`/_control/ws/participant/...`, never recorded):
- POST join {uid, room, name?}     the participant is in the room from now on
- POST send {uid, message}         the participant sends the message (an object)
- GET  inbox?uid=[&type=]          every message the room sent to it, oldest first
- POST leave {uid}                 the participant is gone (nothing is announced)
"""

import json

from aiohttp import web

from . import recording


class _Request:
    """What the room's logic reads of a connection's request."""

    def __init__(self, state, uid, room, name):
        self.secure = False
        self.query = {"userid": uid, "roomid": room, "username": name}
        self.transport = None
        self.state = state


class _Socket:
    """Collects what the room sends, as the client's socket would receive it."""

    def __init__(self):
        self.closed = False
        self.inbox = []

    async def send_str(self, frame):
        for piece in frame.split("\r\n"):
            try:
                self.inbox.append(json.loads(piece))
            except ValueError:
                self.inbox.append({"raw": piece})


def routes(state):
    table = web.RouteTableDef()
    room_service = state.store["signalling"]
    from .signalling import Conn

    participants = {}

    def forget():
        for conn in participants.values():
            room_service.conns.pop(conn.id, None)
        participants.clear()

    state.reset_hooks.append(forget)

    async def body_of(request):
        try:
            body = json.loads(await request.text() or "{}")
        except ValueError:
            return None
        return body if isinstance(body, dict) else None

    @table.post("/_control/ws/participant/join")
    async def join(request):
        body = await body_of(request)
        if body is None or not body.get("uid") or not body.get("room"):
            return recording.json_error(400, "join needs uid and room")
        uid = str(body["uid"])
        if uid in participants:
            room_service.conns.pop(participants.pop(uid).id, None)
        conn = Conn(_Request(state, uid, str(body["room"]), str(body.get("name", uid))), _Socket(), "/ws")
        room_service.conns[conn.id] = conn
        participants[uid] = conn
        return web.json_response({"ok": True})

    @table.post("/_control/ws/participant/send")
    async def send(request):
        body = await body_of(request)
        conn = participants.get(str((body or {}).get("uid", "")))
        if conn is None or not isinstance(body.get("message"), dict):
            return recording.json_error(400, "send needs a joined uid and a message object")
        message = body["message"]
        room_service.record_sent(conn, json.dumps(message, ensure_ascii=False, separators=(",", ":")))
        room_service.handle(conn, conn.request, message)
        return web.json_response({"ok": True})

    @table.get("/_control/ws/participant/inbox")
    async def inbox(request):
        conn = participants.get(request.query.get("uid", ""))
        if conn is None:
            return recording.json_error(404, "no such participant")
        wanted = request.query.get("type")
        shown = [m for m in conn.ws.inbox if not wanted or str(m.get("type")) == wanted]
        return web.json_response(shown)

    @table.post("/_control/ws/participant/leave")
    async def leave(request):
        body = await body_of(request) or {}
        conn = participants.pop(str(body.get("uid", "")), None)
        if conn is not None:
            room_service.conns.pop(conn.id, None)
        return web.json_response({"ok": conn is not None})

    return table
