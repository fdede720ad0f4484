"""The class room's signalling socket, its delay-probe echo, the room join
and the RTC key, with the room logic the client expects: members, courseware,
media, whiteboard history, chat history, marks and likes from the demo rooms'
fixture (tests/service/fixtures/demo_rooms.json, keyed by room id).

Wire format: text frames holding JSON objects {"type", "source", "dest",
"data"}; the service puts several messages into one frame (separated by
CR LF) whenever more than one is due at the same moment.

Test control (`/_control/ws/...`, never recorded):
- GET  sent[?uid=&path=&type=]  every message clients sent, oldest first
- GET  attempts[?path=]         every connection attempt (accepted or not)
- GET  connections              the open connections
- POST push {uid|conn, frame}   sends the raw frame text to those clients
- POST drop {uid|conn}          cuts those connections without a close frame
- POST refuse {ms, path?}       refuses new connections for a while (503)
- POST late {type|port, ms}     answers of that type (or echoes on that
                                port) leave that much later; ms 0 removes
- POST config {ping_ms}         interval of the service's keep-alive pings
"""

import asyncio
import copy
import json
import os
import time

from aiohttp import WSMsgType, web

from . import courseware, marks, media, mediaserver, recording, whiteboard

FIXTURE = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "fixtures",
                       "demo_rooms.json")
DEFAULT_PING_MS = 20000
MAX_MESSAGE = 64 << 20
MAX_LOG = 50000

# Room messages that come back to their sender too.
ECHOED = {129, 193, 194, 195, 257, 385, 453, 454}
# Requests addressed to the sender, answered to it alone.
ANSWERED = {98, 99, 161, 164, 165, 167, 168, 169, 288, 352, 417, 484}


def load_rooms():
    try:
        with open(FIXTURE, encoding="utf-8") as source:
            rooms = json.load(source)
    except (OSError, ValueError):
        rooms = {}
    return rooms if isinstance(rooms, dict) else {}


class Conn:
    counter = 0

    def __init__(self, request, ws, path):
        Conn.counter += 1
        self.id = Conn.counter
        self.ws = ws
        self.request = request
        self.path = path
        self.port = request.transport.get_extra_info("sockname")[1] if request.transport else 0
        self.uid = request.query.get("userid", "")
        self.name = request.query.get("username", "")
        self.room = request.query.get("roomid", "")
        self.outbox = []
        self.flushing = False
        self.ping = None

    def public(self):
        return {"conn": self.id, "uid": self.uid, "name": self.name, "room": self.room, "path": self.path,
                "port": self.port}


class Signalling:
    def __init__(self, state):
        self.state = state
        self.conns = {}
        self.rooms = load_rooms()
        self.sent = []
        self.attempts = []
        self.refuse = {}
        self.late = {}
        self.echo_late = {}
        self.ping_ms = DEFAULT_PING_MS
        state.reset_hooks.append(self.reset)

    def reset(self):
        self.rooms = load_rooms()
        self.sent.clear()
        self.attempts.clear()
        self.refuse.clear()
        self.late.clear()
        self.echo_late.clear()
        self.ping_ms = DEFAULT_PING_MS

    # ---- addresses and room contents

    def absolute(self, request, value):
        if isinstance(value, str) and value.startswith("/"):
            return self.state.base_url(request.secure) + value
        return value

    def room(self, room_id):
        """The room's contents: from the rooms fixture, else made from the
        demo school's session of that room (its password, its teacher,
        students and other members, and the first room's course pages), so
        every course card of the demo can be entered."""
        if room_id in self.rooms:
            return self.rooms[room_id]
        school = self.state.store.get("school")
        session = next((s for s in getattr(school, "sessions", []) if str(s.get("roomNo", "")) == room_id), None)
        if session is None:
            return None
        template = next(iter(self.rooms.values()), {})
        # Everybody enters with camera and microphone off; the camera
        # follows each member's notices from then on.
        devices = {"camera": False, "microphone": False}
        members = {str(session.get("teacherId", "")): {"role": "TEACHER", "privilege": 255,
                                                        "alterablePrivilege": 0, "userStatus": 1, **devices}}
        for uid in session.get("students", []):
            members[str(uid)] = {"role": "STUDENT", "privilege": 17, "alterablePrivilege": 213, "userStatus": 1,
                                 **devices}
        for uid in session.get("users", []):
            members.setdefault(str(uid), {"role": "AUDITOR", "privilege": 0, "alterablePrivilege": 0,
                                          "userStatus": 1, **devices})
        room = {"password": str(session.get("roomPwd", "")), "roomType": "live", "members": members,
                "presentationShare": template.get("presentationShare", ""),
                "presentations": copy.deepcopy(template.get("presentations", [])),
                "mediaShare": "", "mediaStatus": "hidden", "seek": 0,
                "medias": copy.deepcopy(template.get("medias", [])),
                "whiteboards": [], "chatHistory": [], "marks": {}, "likes": {"count": 0, "liked": []}}
        self.rooms[room_id] = room
        return room

    def room_of(self, conn):
        room = self.room(conn.room)
        if room is None:
            room = self.rooms.setdefault(conn.room, {"members": {}})
        return room

    def member(self, conn, uid=None):
        uid = uid or conn.uid
        info = self.room_of(conn).get("members", {}).get(uid, {})
        names = [c.name for c in self.conns.values() if c.uid == uid and c.room == conn.room and c.name]
        return {
            "userId": uid,
            "userName": names[0] if names else uid,
            "avatarUrl": "%s/static/avatar/u%s.png" % (self.state.base_url(conn.request.secure), uid),
            "role": info.get("role", "STUDENT"),
            "privilege": info.get("privilege", 0),
            "alterablePrivilege": info.get("alterablePrivilege", 0),
            "userStatus": info.get("userStatus", 1),
        }, info

    def roster(self, conn):
        present = sorted({c.uid for c in self.sockets_of(conn.room)}, key=lambda u: (len(u), u))
        members = []
        for uid in present:
            entry, info = self.member(conn, uid)
            if "camera" in info:
                entry["camera"] = bool(info["camera"])
            if "microphone" in info:
                entry["microphone"] = info["microphone"]
            members.append(entry)
        return members

    # ---- sending

    def send(self, conn, message, delay_ms=0):
        text = message if isinstance(message, str) else json.dumps(message, ensure_ascii=False,
                                                                     separators=(",", ":"))
        if delay_ms > 0:
            asyncio.get_running_loop().call_later(delay_ms / 1000.0, self.send, conn, text)
            return
        conn.outbox.append(text)
        if not conn.flushing:
            conn.flushing = True
            asyncio.get_running_loop().call_soon(lambda: asyncio.ensure_future(self.flush(conn)))

    async def flush(self, conn):
        # Everything due at the same moment leaves in one frame.
        frame = "\r\n".join(conn.outbox)
        conn.outbox.clear()
        conn.flushing = False
        if frame and not conn.ws.closed:
            try:
                await conn.ws.send_str(frame)
            except (ConnectionError, RuntimeError):
                pass

    def sockets_of(self, room_id):
        """The room sockets of a room (not the other paths' sockets)."""
        return [c for c in self.conns.values() if c.room == room_id and c.path == "/ws"]

    def room_conns(self, conn, include_sender):
        return [c for c in self.sockets_of(conn.room) if include_sender or c.uid != conn.uid]

    def answer(self, conn, type_, data):
        message = {"type": type_, "source": conn.uid, "dest": conn.uid, "data": data}
        self.send(conn, message, self.late.get(type_, 0))

    # ---- the room's logic

    def handle(self, conn, request, message):
        type_ = message.get("type")
        data = message.get("data") if isinstance(message.get("data"), dict) else {}
        room = self.room_of(conn)
        uid = conn.uid
        if type_ == 96 or whiteboard.handle(self, conn, room, message, data):
            return
        if marks.handle(self, conn, room, request, message, data):
            return
        if courseware.handle(self, conn, room, message, data) or media.handle(self, conn, room, message, data):
            return
        if type_ == 129:
            entry, _ = self.member(conn)
            for other in self.room_conns(conn, True):
                self.send(other, {"type": 129, "source": uid, "dest": conn.room, "data": entry},
                          self.late.get(129, 0))
        elif type_ == 130:
            self.camera(conn.room, uid, False)
            for other in self.room_conns(conn, False):
                self.send(other, {"type": 130, "source": uid, "dest": conn.room, "data": {"userId": uid}})
        elif type_ == 161:
            self.answer(conn, 161, {"userList": self.roster(conn)})
        elif type_ == 288:
            pages = [dict(p, slide=self.absolute(request, p.get("slide"))) for p in room.get("presentations", [])]
            self.answer(conn, 288, {"presentationShare": room.get("presentationShare", ""), "presentations": pages})
        elif type_ == 484:
            medias = [dict(m, slide=self.absolute(request, m.get("slide")), url=self.absolute(request, m.get("url")))
                      for m in room.get("medias", [])]
            self.answer(conn, 484, {"mediaShare": room.get("mediaShare", ""), "mediaStatus":
                                    room.get("mediaStatus", "hidden"), "seek": room.get("seek", 0), "medias": medias})
        elif type_ == 417:
            history = []
            for item in room.get("chatHistory", []):
                item = copy.deepcopy(item)
                if isinstance(item.get("content"), dict):
                    for key in ("normalUrl", "slideUrl"):
                        item["content"][key] = self.absolute(request, item["content"].get(key))
                history.append(item)
            self.answer(conn, 417, {"chatHistory": history})
        elif type_ == 164:
            target = str(data.get("targetUserId", ""))
            self.answer(conn, 164, self.device(target))
        elif type_ == 165:
            present = {c.uid for c in self.room_conns(conn, True)}
            self.send(conn, {"type": 165, "source": uid, "dest": uid,
                             "data": [dict(self.device(u), userId=u) for u in sorted(present)]},
                      self.late.get(165, 0))
        elif type_ == 166:
            return
        elif type_ == 132:
            for other in self.room_conns(conn, False):
                if self.member(other)[0]["role"] == "TEACHER":
                    self.send(other, {"type": 132, "source": uid, "dest": other.uid,
                                      "data": {"operatorId": uid, "userStatus": data.get("userStatus", 1)}})
        elif type_ == 160:
            kicked = str(message.get("dest", ""))
            for other in self.room_conns(conn, True):
                if other.uid == kicked:
                    self.send(other, message)
        elif type_ == 260:
            pages = room.setdefault("presentations", [])
            number = len(pages) + 1
            pages.append({"type": "blank", "presentationId": "PW%d" % number, "whiteboardId": "WW%d" % number,
                          "slide": "/static/course/blank.jpg"})
            for other in self.room_conns(conn, True):
                self.send(other, {"type": 260, "source": uid, "dest": conn.room})
        elif type_ == 386 and str(message.get("dest")) == conn.room:
            # Kept for the history in the shape the history answers with.
            content = data.get("content") if isinstance(data.get("content"), dict) else {}
            room.setdefault("chatHistory", []).append({
                "messageType": 386, "sourceId": uid, "operatorUserName": data.get("operatorUserName", ""),
                "timestamp": content.get("timestamp") or int(time.time() * 1000),
                "content": {key: content.get(key, "") for key in ("imageId", "normalUrl", "slideUrl", "slideSize")}})
            self.broadcast(conn, message, False)
        elif type_ == 385:
            room.setdefault("chatHistory", []).append({
                "messageType": 385, "sourceId": uid, "content": data.get("content", ""),
                "operatorUserName": data.get("operatorUserName", ""), "timestamp": int(time.time() * 1000)})
            self.broadcast(conn, message, True)
        elif str(message.get("dest")) == conn.room:
            if type_ == 194 and data.get("name") == "camera":
                self.camera(conn.room, uid, data.get("value") == "open")
            self.broadcast(conn, message, type_ in ECHOED)

    def camera(self, room_id, uid, on):
        """Keeps a member's camera as its last notice said, so the member
        list tells whoever enters later which cameras are on."""
        room = self.room(room_id)
        if room is not None and uid:
            room.setdefault("members", {}).setdefault(uid, {})["camera"] = on

    def converted(self, room_id, uid, data):
        """A chat picture of user uid is converted: 421 to its room sockets
        (late answers of type 421 apply)."""
        for conn in self.sockets_of(room_id):
            if conn.uid == uid:
                self.send(conn, {"type": 421, "source": "0", "dest": uid, "data": data}, self.late.get(421, 0))

    def broadcast(self, conn, message, include_sender):
        for other in self.room_conns(conn, include_sender):
            self.send(other, message, self.late.get(message.get("type"), 0))

    @staticmethod
    def device(uid):
        return {"userId": uid, "networkSupplier": "电信", "networkLocation": "上海", "networkUserIp": "10.0.0.%s" % uid,
                "networkServerIp": "127.0.0.1", "deviceSystem": "Linux", "softwareVersion": "v1.5.0.2",
                "softwareBuild": "20240101", "deviceVersion": "pc", "deviceSystemVersion": "12",
                "hardwareSoundCount": 1, "hardwareMicCount": 1, "agoraRx": 1, "agoraTx": 2}

    # ---- connections

    def record_attempt(self, request, path, accepted):
        if len(self.attempts) >= MAX_LOG:
            del self.attempts[: MAX_LOG // 10]
        self.attempts.append({"path": path, "query": dict(request.query), "accepted": accepted, "time": time.time(),
                              "port": request.transport.get_extra_info("sockname")[1] if request.transport else 0})

    def record_sent(self, conn, text):
        if len(self.sent) >= MAX_LOG:
            del self.sent[: MAX_LOG // 10]
        self.sent.append(dict(conn.public(), text=text, time=time.time()))

    async def pinger(self, conn):
        # Wakes often, so a changed interval applies at once.
        last = time.monotonic()
        while not conn.ws.closed:
            await asyncio.sleep(0.05)
            if time.monotonic() - last >= max(self.ping_ms, 50) / 1000.0:
                last = time.monotonic()
                self.send(conn, {"type": 96, "source": "0", "dest": conn.uid})

    async def serve(self, request, path):
        refused_until = self.refuse.get(path, 0)
        if time.time() < refused_until:
            self.record_attempt(request, path, False)
            return web.Response(status=503, text="refused for a while")
        self.record_attempt(request, path, True)
        ws = web.WebSocketResponse(max_msg_size=MAX_MESSAGE, autoping=True)
        await ws.prepare(request)
        conn = Conn(request, ws, path)
        self.conns[conn.id] = conn
        if path == "/ws":
            conn.ping = asyncio.ensure_future(self.pinger(conn))
        try:
            async for frame in ws:
                if frame.type != WSMsgType.TEXT:
                    continue
                self.record_sent(conn, frame.data)
                try:
                    message = json.loads(frame.data)
                except ValueError:
                    continue
                if not isinstance(message, dict):
                    continue
                if path == "/echo":
                    if message.get("type") == 97:
                        self.send(conn, frame.data, self.echo_late.get(conn.port, 0))
                    continue
                self.handle(conn, request, message)
        finally:
            self.conns.pop(conn.id, None)
            if conn.ping:
                conn.ping.cancel()
        return ws

    def chosen(self, body):
        conn_id = body.get("conn")
        uid = body.get("uid")
        path = body.get("path", "/ws")
        return [c for c in list(self.conns.values())
                if (conn_id is None or c.id == conn_id) and (uid is None or c.uid == str(uid)) and c.path == path]


def join_reply(room_service, query):
    room_id = query.get("roomId", "")
    room = room_service.room(room_id)
    if room is None:
        return {"returncode": "FAIL", "message": "房间不存在"}
    if room.get("password") and query.get("password", "") != room["password"]:
        return {"returncode": "FAIL", "message": "房间密码错误"}
    user_id = query.get("userId", "")
    if not user_id.isdigit():
        return {"returncode": "FAIL", "message": "用户不存在"}
    # A client enters with its camera off; only a reconnection of its
    # socket, which does not join again, keeps the camera it had.
    room_service.camera(room_id, user_id, False)
    full_name = query.get("fullName", "") or ("学员" + user_id)
    return {"returncode": "SUCCESS", "message": "",
            "data": {"fullName": full_name, "roomType": room.get("roomType", "live"), "userId": user_id,
                     "roomId": room_id}}


def routes(state):
    table = web.RouteTableDef()
    room_service = Signalling(state)
    state.store["signalling"] = room_service

    @table.get("/ws")
    async def room_socket(request):
        return await room_service.serve(request, "/ws")

    @table.get("/echo")
    async def echo_socket(request):
        return await room_service.serve(request, "/echo")

    @table.get("/api/room/join")
    async def join(request):
        return web.json_response(join_reply(room_service, request.query))

    @table.get("/api/agora/room/{roomId}/{userId}/token")
    async def token(request):
        room_id = request.match_info["roomId"]
        user_id = request.match_info["userId"]
        if room_service.room(room_id) is None:
            return recording.json_error(404, "no such room")
        media = state.store.get("media")
        if media is None or media.janus is None:
            # No media server: a fixed key and an id naming no server.
            return web.json_response({"channelKey": "key-%s-%s" % (room_id, user_id), "appId": "plovix-demo-app"})
        try:
            key = await media.issue_key(room_id, user_id)
        except (mediaserver.MediaServerError, OSError, asyncio.TimeoutError) as failure:
            return recording.json_error(503, "media server: %s" % failure)
        answer = {"channelKey": key, "appId": media.url}
        relays = media.relays(user_id)
        if relays:
            answer["relays"] = relays
        return web.json_response(answer)

    async def body_of(request):
        try:
            body = json.loads(await request.text() or "{}")
        except ValueError:
            body = None
        return body if isinstance(body, dict) else None

    @table.get("/_control/ws/sent")
    async def sent(request):
        uid = request.query.get("uid")
        path = request.query.get("path")
        type_ = request.query.get("type")
        shown = []
        for entry in room_service.sent:
            if (uid and entry["uid"] != uid) or (path and entry["path"] != path):
                continue
            if type_:
                try:
                    if json.loads(entry["text"]).get("type") != int(type_):
                        continue
                except (ValueError, AttributeError):
                    continue
            shown.append(entry)
        return web.json_response(shown)

    @table.get("/_control/ws/attempts")
    async def attempts(request):
        path = request.query.get("path")
        return web.json_response([a for a in room_service.attempts if not path or a["path"] == path])

    @table.get("/_control/ws/connections")
    async def connections(_request):
        return web.json_response([c.public() for c in room_service.conns.values()])

    @table.post("/_control/ws/push")
    async def push(request):
        body = await body_of(request)
        if body is None or not isinstance(body.get("frame"), str):
            return recording.json_error(400, "push needs a frame")
        targets = room_service.chosen(body)
        for conn in targets:
            if not conn.ws.closed:
                await conn.ws.send_str(body["frame"])
        return web.json_response({"ok": True, "count": len(targets)})

    @table.post("/_control/ws/pages")
    async def pages(request):
        # Pages a test adds to a room's list, so every later list answer
        # names them as the room's own.
        body = await body_of(request) or {}
        added = body.get("pages")
        if not isinstance(added, list) or not isinstance(body.get("room"), str):
            return recording.json_error(400, "pages needs a room and a list")
        listed = room_service.room(body["room"]).setdefault("presentations", [])
        listed.extend(page for page in added if isinstance(page, dict))
        return web.json_response({"ok": True, "count": len(added)})

    @table.post("/_control/ws/drop")
    async def drop(request):
        body = await body_of(request) or {}
        targets = room_service.chosen(body)
        for conn in targets:
            if conn.request.transport is not None:
                conn.request.transport.abort()
        return web.json_response({"ok": True, "count": len(targets)})

    @table.post("/_control/ws/refuse")
    async def refuse(request):
        body = await body_of(request) or {}
        room_service.refuse[str(body.get("path", "/ws"))] = time.time() + float(body.get("ms", 0)) / 1000.0
        return web.json_response({"ok": True})

    @table.post("/_control/ws/late")
    async def late(request):
        body = await body_of(request) or {}
        ms = int(body.get("ms", 0))
        target = room_service.echo_late if "port" in body else room_service.late
        key = int(body["port"]) if "port" in body else int(body.get("type", 0))
        if ms > 0:
            target[key] = ms
        else:
            target.pop(key, None)
        return web.json_response({"ok": True})

    @table.post("/_control/ws/config")
    async def config(request):
        body = await body_of(request) or {}
        if "ping_ms" in body:
            room_service.ping_ms = int(body["ping_ms"])
        return web.json_response({"ok": True})

    return table
