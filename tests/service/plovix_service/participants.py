"""Test participants of a class room: members that have no client of their
own. A test makes one join a room, lets it send messages through the
room's logic exactly as a connected client would, and reads what the room
sent to it. The room also keeps what the rights, camera and microphone
messages change, so a later member list tells the truth.

Test control (`/_control/ws/participant/...`, never recorded):
- POST join {uid, room, name?}     the participant is in the room from now on
- POST send {uid, message}         the participant sends the message (an object)
- GET  inbox?uid=[&type=]          every message the room sent to it, oldest first
- POST leave {uid}                 the participant is gone (nothing is announced)
"""

import json
import time

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


def _rights(room, message):
    """Keeps the member's rights and device state as the room's messages
    change them."""
    type_ = message.get("type")
    data = message.get("data") if isinstance(message.get("data"), dict) else {}
    members = room.setdefault("members", {})
    bits = {"microphone": 1, "camera": 4, "chat": 16, "whiteboard": 128}
    if type_ == 193 and data.get("privilege") in bits and isinstance(data.get("userId"), str):
        member = members.setdefault(data["userId"], {"role": "STUDENT"})
        bit = bits[data["privilege"]]
        privilege = int(member.get("privilege", 0))
        member["privilege"] = privilege | bit if data.get("enabled") is True else privilege & ~bit
    elif type_ == 194 and isinstance(data.get("operatorId"), str) and data.get("value") in ("open", "close"):
        members.setdefault(data["operatorId"], {"role": "STUDENT"})["camera"] = data["value"] == "open"
    elif type_ == 195 and isinstance(data.get("speakerUserId"), str):
        members.setdefault(data["speakerUserId"], {"role": "STUDENT"})["microphone"] = data.get("alive") in (True, "true")


def routes(state):
    table = web.RouteTableDef()
    room_service = state.store["signalling"]
    from .signalling import Conn

    participants = {}

    original_handle = room_service.handle

    def handle(conn, request, message):
        _rights(room_service.room_of(conn), message)
        original_handle(conn, request, message)

    room_service.handle = handle

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
        return web.json_response({"ok": True, "time": time.time()})

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
