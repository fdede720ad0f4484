"""The school's media server: one Janus (videoroom plugin, WebSocket
transport) with a private configuration written at start, and the keys of the
RTC key road as tokens in each room's allowed list.

Janus gathers no ICE candidates on a loopback interface, so it runs only
inside the private network namespace of tools/netns.sh, which names its
interface and address in PLOVIX_MEDIA_IFACE and PLOVIX_MEDIA_ADDR."""

import asyncio
import json
import os
import secrets
import shutil
import socket
import subprocess
import sys
import tempfile

import aiohttp

JANUS_LIBS = "/usr/lib/x86_64-linux-gnu/janus"
# Janus drops a session after 60 s without a message.
KEEPALIVE = 25
START_TIMEOUT = 10.0
REQUEST_TIMEOUT = 10.0


class MediaServerError(Exception):
    pass


def janus_binary():
    return shutil.which("janus")


def free_port(host):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as sock:
        sock.bind((host, 0))
        return sock.getsockname()[1]


def library(kind, name):
    """The installed module, wherever the multiarch folder is."""
    for folder in (os.path.join(JANUS_LIBS, kind), os.path.join("/usr/lib/janus", kind)):
        path = os.path.join(folder, name)
        if os.path.exists(path):
            return path
    raise MediaServerError("janus module %s/%s is not installed" % (kind, name))


class Janus:
    """One Janus process and the service's own control session on it."""

    def __init__(self, iface, addr, host="127.0.0.1"):
        self.iface = iface
        self.addr = addr
        self.host = host
        self.port = 0
        self.admin_key = secrets.token_hex(16)
        self.room_secret = secrets.token_hex(16)
        self.folder = None
        self.process = None
        self.log = None
        self.http = None
        self.socket = None
        self.reader = None
        self.keeper = None
        self.session = None
        self.handle = None
        self.pending = {}
        # room -> tokens in its allowed list; made again after a restart.
        self.rooms = {}
        self.lock = asyncio.Lock()

    @property
    def url(self):
        return "ws://%s:%d/" % (self.host, self.port) if self.port else ""

    def write_config(self):
        folder = self.folder
        plugins = os.path.join(folder, "plugins")
        transports = os.path.join(folder, "transports")
        empty = os.path.join(folder, "none")
        for path in (plugins, transports, empty):
            os.makedirs(path, exist_ok=True)
        # Janus loads every module of its folders: these hold only the two
        # it needs.
        for target, kind, name in ((plugins, "plugins", "libjanus_videoroom.so"),
                                   (transports, "transports", "libjanus_websockets.so")):
            link = os.path.join(target, name)
            if not os.path.exists(link):
                os.symlink(library(kind, name), link)
        main = """general: {
	configs_folder = "%(folder)s"
	plugins_folder = "%(plugins)s"
	transports_folder = "%(transports)s"
	events_folder = "%(empty)s"
	loggers_folder = "%(empty)s"
	debug_level = 3
	debug_timestamps = true
	interface = "%(addr)s"
	server_name = "plovix-media"
	session_timeout = 60
}
media: {
	rtp_port_range = "20000-60000"
}
nat: {
	nice_debug = false
	full_trickle = false
	ice_enforce_list = "%(iface)s"
	ignore_mdns = true
}
plugins: {
}
transports: {
}
events: {
	broadcast = false
}
""" % {"folder": folder, "plugins": plugins, "transports": transports, "empty": empty, "addr": self.addr,
       "iface": self.iface}
        websockets = """general: {
	json = "compact"
	ws = true
	ws_port = %d
	ws_ip = "%s"
	wss = false
}
admin: {
	admin_ws = false
	admin_wss = false
}
""" % (self.port, self.host)
        videoroom = """general: {
	admin_key = "%s"
	string_ids = true
	events = false
}
""" % self.admin_key
        for name, text in (("janus.jcfg", main), ("janus.transport.websockets.jcfg", websockets),
                           ("janus.plugin.videoroom.jcfg", videoroom)):
            with open(os.path.join(folder, name), "w") as out:
                out.write(text)

    async def start(self):
        if self.folder is None:
            self.folder = tempfile.mkdtemp(prefix="plovix-janus-")
        if not self.port:
            self.port = free_port(self.host)
        self.write_config()
        self.log = open(os.path.join(self.folder, "janus.log"), "ab")
        self.process = subprocess.Popen(
            [janus_binary(), "--config", os.path.join(self.folder, "janus.jcfg"), "--configs-folder", self.folder,
             "--disable-colors"],
            stdin=subprocess.DEVNULL, stdout=self.log, stderr=subprocess.STDOUT)
        self.http = aiohttp.ClientSession()
        loop = asyncio.get_running_loop()
        deadline = loop.time() + START_TIMEOUT
        while True:
            if self.process.poll() is not None:
                raise MediaServerError("janus ended at start (code %s); its log ends with:\n%s" %
                                       (self.process.returncode, self.log_tail()))
            try:
                self.socket = await self.http.ws_connect(self.url, protocols=("janus-protocol",), heartbeat=None)
                break
            except (aiohttp.ClientError, OSError):
                if loop.time() > deadline:
                    raise MediaServerError("janus did not listen on %s within %d s" % (self.url, START_TIMEOUT))
                await asyncio.sleep(0.05)
        self.reader = asyncio.ensure_future(self.read())
        reply = await self.call({"janus": "create"})
        self.session = reply["data"]["id"]
        reply = await self.call({"janus": "attach", "session_id": self.session, "plugin": "janus.plugin.videoroom"})
        self.handle = reply["data"]["id"]
        self.keeper = asyncio.ensure_future(self.keep_alive())
        # A restarted server gets back every room and key it had.
        for room, tokens in self.rooms.items():
            await self.create_room(room)
            if tokens:
                await self.room_request({"request": "allowed", "action": "add", "allowed": sorted(tokens)}, room)

    def log_tail(self, lines=15):
        try:
            with open(os.path.join(self.folder, "janus.log"), "rb") as log:
                return b"".join(log.readlines()[-lines:]).decode("utf-8", "replace")
        except OSError:
            return ""

    async def stop(self):
        for task in (self.keeper, self.reader):
            if task is not None:
                task.cancel()
        self.keeper = self.reader = None
        if self.socket is not None:
            await self.socket.close()
            self.socket = None
        if self.http is not None:
            await self.http.close()
            self.http = None
        for future in self.pending.values():
            if not future.done():
                future.set_exception(MediaServerError("janus stopped"))
        self.pending.clear()
        from .relay import end_process

        await asyncio.get_running_loop().run_in_executor(None, end_process, self.process, self.log)
        self.process = self.log = None
        self.session = self.handle = None

    async def restart(self):
        async with self.lock:
            await self.stop()
            await self.start()

    def remove(self):
        if self.folder:
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder = None

    async def read(self):
        async for message in self.socket:
            if message.type != aiohttp.WSMsgType.TEXT:
                continue
            try:
                reply = json.loads(message.data)
            except ValueError:
                continue
            if not isinstance(reply, dict) or reply.get("janus") == "ack":
                continue
            future = self.pending.pop(reply.get("transaction"), None)
            if future is not None and not future.done():
                future.set_result(reply)

    async def keep_alive(self):
        while True:
            await asyncio.sleep(KEEPALIVE)
            try:
                await self.socket.send_str(json.dumps({"janus": "keepalive", "session_id": self.session,
                                                       "transaction": secrets.token_hex(6)}))
            except (ConnectionError, RuntimeError):
                return

    async def call(self, request):
        transaction = secrets.token_hex(8)
        request = dict(request, transaction=transaction)
        future = asyncio.get_running_loop().create_future()
        self.pending[transaction] = future
        await self.socket.send_str(json.dumps(request))
        reply = await asyncio.wait_for(future, REQUEST_TIMEOUT)
        if reply.get("janus") == "error":
            raise MediaServerError("janus refused %s: %s" % (request.get("janus"), reply.get("error")))
        return reply

    async def room_request(self, body, room):
        body = dict(body, room=room, secret=self.room_secret)
        reply = await self.call({"janus": "message", "session_id": self.session, "handle_id": self.handle,
                                 "body": body})
        data = reply.get("plugindata", {}).get("data", {})
        if "error_code" in data:
            raise MediaServerError("videoroom refused %s: %s %s" % (body.get("request"), data["error_code"],
                                                                    data.get("error")))
        return data

    async def create_room(self, room):
        reply = await self.call({"janus": "message", "session_id": self.session, "handle_id": self.handle,
                                 "body": {"request": "create", "room": room, "admin_key": self.admin_key,
                                          "secret": self.room_secret, "permanent": False, "is_private": True,
                                          "publishers": 64, "audiocodec": "opus", "videocodec": "vp8",
                                          "require_pvtid": True, "notify_joining": True, "description": room}})
        data = reply.get("plugindata", {}).get("data", {})
        # 427: the room exists already.
        if "error_code" in data and data["error_code"] != 427:
            raise MediaServerError("videoroom refused create: %s %s" % (data["error_code"], data.get("error")))
        await self.room_request({"request": "allowed", "action": "enable"}, room)

    async def issue_key(self, room):
        """A fresh key admitted to room (made at the first key for it)."""
        token = secrets.token_urlsafe(24)
        async with self.lock:
            if room not in self.rooms:
                await self.create_room(room)
                self.rooms[room] = set()
            await self.room_request({"request": "allowed", "action": "add", "allowed": [token]}, room)
            self.rooms[room].add(token)
        return token


class MediaServer:
    """What the rest of the service sees: the address, the keys, a restart."""

    def __init__(self, state):
        self.state = state
        self.janus = None
        # key -> (room, uid) of every key issued.
        self.keys = {}
        self.problem = ""
        self.relay = None

    @property
    def url(self):
        return self.janus.url if self.janus is not None else ""

    async def start(self):
        iface = os.environ.get("PLOVIX_MEDIA_IFACE", "")
        addr = os.environ.get("PLOVIX_MEDIA_ADDR", "")
        if not janus_binary():
            self.problem = "the janus binary is not installed"
        elif not iface or not addr:
            self.problem = "not inside the media namespace (run through tools/netns.sh)"
        if self.problem:
            print("plovix_service: no media server: %s" % self.problem, file=sys.stderr, flush=True)
            return
        # The media host (--media-host) is where other networks reach the
        # server; by default the service's own.
        self.janus = Janus(iface, addr, self.state.media_host or self.state.host)
        try:
            await self.janus.start()
        except (MediaServerError, OSError, asyncio.TimeoutError) as failure:
            self.problem = str(failure)
            print("plovix_service: no media server: %s" % failure, file=sys.stderr, flush=True)
            await self.janus.stop()
            self.janus.remove()
            self.janus = None
            return
        if self.state.relay:
            await self.start_relay(addr)

    async def start_relay(self, addr):
        from . import certs, relay

        if not self.state.ca_path:
            self.state.ca_path = certs.make(self.state.folder)[0]
        self.relay = relay.Relay(addr, self.janus.folder, self.state.folder)
        try:
            await asyncio.get_running_loop().run_in_executor(None, self.relay.start)
        except (relay.RelayError, OSError, subprocess.CalledProcessError) as failure:
            self.relay = None
            self.problem = "no relay: %s" % failure
            print("plovix_service: %s" % self.problem, file=sys.stderr, flush=True)

    def relays(self, uid):
        return self.relay.credentials(uid) if self.relay is not None else []

    async def stop(self):
        if self.relay is not None:
            self.relay.stop()
            self.relay = None
        if self.janus is not None:
            await self.janus.stop()
            self.janus.remove()
            self.janus = None

    async def issue_key(self, room, uid):
        key = await self.janus.issue_key(room)
        self.keys[key] = (room, uid)
        return key


def routes(state):
    from aiohttp import web

    media = MediaServer(state)
    state.store["media"] = media
    table = web.RouteTableDef()

    @table.get("/_control/media")
    async def describe(_request):
        janus = media.janus
        return web.json_response({"url": media.url, "problem": media.problem,
                                  "pid": janus.process.pid if janus is not None and janus.process else 0,
                                  "rooms": sorted(janus.rooms) if janus is not None else [],
                                  "keys": [{"key": key, "room": room, "uid": uid}
                                           for key, (room, uid) in media.keys.items()]})

    @table.post("/_control/media/restart")
    async def restart(_request):
        if media.janus is None:
            return web.json_response({"error": "no media server"}, status=409)
        try:
            await media.janus.restart()
        except (MediaServerError, OSError, asyncio.TimeoutError) as failure:
            return web.json_response({"error": str(failure)}, status=500)
        return web.json_response({"url": media.url, "pid": media.janus.process.pid})

    # The media server away for a while, as when its machine goes down in
    # a lesson, and back with the same address.
    @table.post("/_control/media/stop")
    async def stop(_request):
        if media.janus is None:
            return web.json_response({"error": "no media server"}, status=409)
        async with media.janus.lock:
            await media.janus.stop()
        return web.json_response({"url": media.url})

    @table.post("/_control/media/start")
    async def start(_request):
        if media.janus is None:
            return web.json_response({"error": "no media server"}, status=409)
        try:
            async with media.janus.lock:
                await media.janus.start()
        except (MediaServerError, OSError, asyncio.TimeoutError) as failure:
            return web.json_response({"error": str(failure)}, status=500)
        return web.json_response({"url": media.url, "pid": media.janus.process.pid})

    return table
