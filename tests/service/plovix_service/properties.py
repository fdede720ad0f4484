"""The two properties files, generated from the service's own addresses, so
the client finds every endpoint on this service."""

from aiohttp import web

# Paths of the school's web service; later modules serve them.
SERVICE_PATHS = {
    "reg.server.join.url": "/api/room/join",
    "reg.login.statistics": "/api/stats",
    "presentation.upload.url": "/api/upload/presentation",
    "presentation.multi.upload.url": "/api/upload/presentations",
    "audio.multi.upload.url": "/api/upload/audio",
    "video.multi.upload.url": "/api/upload/video",
    "chat.multi.upload.url": "/api/upload/chat",
    "agora.dynamic.key.url": "/api/agora",
    "user.login": "/api/login",
    "user.info": "/api/users/{userId}",
    "session.teacher.info": "/api/teachers/{teacherId}",
    "user.room.info": "/api/rooms/by-password/{password}",
    "schools": "/api/schools",
    "user.default.school": "/api/users/{userId}/default-school",
    "school.user.id": "/api/schools/{schoolId}/users/{oldUserId}",
    "course.stu.history": "/api/s/{schoolId}/stu/{studentId}/history",
    "course.user.history": "/api/s/{schoolId}/user/{userId}/history",
    "course.teacher.history": "/api/s/{schoolId}/tea/{teacherId}/history",
    "student.sessions": "/api/s/{schoolId}/stu/{studentId}/sessions",
    "course.stu.current": "/api/s/{schoolId}/stu/{studentId}/current",
    "users.sessions": "/api/s/{schoolId}/user/{userId}/sessions",
    "course.user.current": "/api/s/{schoolId}/user/{userId}/current",
    "user.roles": "/api/users/{userId}/roles",
    "teacher.sessions": "/api/s/{schoolId}/tea/{teacherId}/sessions",
    "course.teacher.current": "/api/s/{schoolId}/tea/{teacherId}/current",
    "file.classroom.host": "/files",
    "course.comment.check.existed": "/api/comments/exists?userId={userId}&schoolId={schoolId}&sessionId={sessionId}",
    "course.comment.add": "/api/comments/{schoolId}/{sessionId}",
}
SOCKET_PATHS = {
    "app.user.server.host": "/ws",
    "echo.server.host": "/echo",
}


def servers_properties(state, secure):
    """The text of "vesk-servers.properties". No value holds "," or ";",
    which the client's ini reader would take as a list or a comment."""
    base = state.base_url(secure)
    socket = state.ws_url(secure)
    tls = secure and state.https_port
    node = "%s:%d" % (state.host, state.https_port if tls else state.http_port)
    candidates = state.candidate_tls_ports if tls else state.candidate_ports
    others = "|".join("%s:%d" % (state.host, port) for port in candidates) or node
    lines = ["%s=%s%s" % (key, base, path) for key, path in SERVICE_PATHS.items()]
    lines += ["%s=%s%s" % (key, socket, path) for key, path in SOCKET_PATHS.items()]
    lines += [
        "node.ispList=tel|uni",
        "classroom.servers.tel=%s" % node,
        "classroom.servers.uni=%s" % others,
        "reg.servers.ispList=tel",
        "reg.servers.tel=%s" % node,
    ]
    return "\n".join(lines) + "\n"


def win_properties(state, secure):
    """The text of "vesk-win.properties": by default no newer version."""
    offer = state.store.get("update", {})
    version = offer.get("version", "1.5.0")
    force = offer.get("force", "false")
    message = offer.get("message", "整体UI更美观！|登录可以记住密码了")
    return ("update.version=%s\nupdate.server.url=%s/static/installer/plovix-setup-%s.exe\n"
            "update.message=%s\nupdate.force=%s\n") % (version, state.base_url(secure), version, message, force)


def routes(state):
    table = web.RouteTableDef()

    @table.get("/vesk-servers.properties")
    async def servers(request):
        return web.Response(text=servers_properties(state, request.secure), content_type="text/plain", charset="utf-8")

    @table.get("/vesk-win.properties")
    async def win(request):
        return web.Response(text=win_properties(state, request.secure), content_type="text/plain", charset="utf-8")

    return table
