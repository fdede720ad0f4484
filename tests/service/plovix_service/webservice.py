"""The school's web service as the client expects it: login, schools, the
user's id in a school, user information, roles, the upcoming and past
sessions of the three identities (bare JSON arrays), the teacher card, the
comment check and add, the room by password, the default course picture and
the course website's pages. Data from the demo school (school.py)."""

import json
import time

from aiohttp import web

from . import recording, static
from .school import DEFAULT_FIXTURE, School

# Where the client's default course picture lives on the picture host.
DEFAULT_PICTURE = "/upload/school/3/course/307/8980a601-ceba-4435-b1d9-316b2a810783/lesson.jpg"


def ok(data, message=""):
    return web.json_response({"returncode": "SUCCESS", "message": message, "data": data})


def fail(message):
    return web.json_response({"returncode": "FAIL", "message": message, "data": None})


def picture_url(request, state, folder, name):
    if not isinstance(name, str) or not name:
        return ""
    if "://" in name:
        return name
    return "%s/static/%s/%s" % (state.base_url(request.secure), folder, name)


def comment_problem(comment, school_id, session_id):
    """Why the school would refuse an end-of-class comment; None when it
    takes it."""
    if not isinstance(comment, dict):
        return "comment is not an object"
    if comment.get("schoolId") != school_id or comment.get("sessionId") != session_id:
        return "schoolId and sessionId must name the address's school and session"
    whole = lambda value: isinstance(value, int) and not isinstance(value, bool)
    if not whole(comment.get("userId")):
        return "userId must be a number"
    if not whole(comment.get("teacherScore")) or not 1 <= comment["teacherScore"] <= 5:
        return "teacherScore must be 1 to 5"
    if comment.get("anonymous") not in (0, 1) or isinstance(comment.get("anonymous"), bool):
        return "anonymous must be 0 or 1"
    if not isinstance(comment.get("description", ""), str):
        return "description must be text"
    return None


def ms(seconds):
    return int(seconds) * 1000


def session_element(request, state, school, session, identity, history):
    """One element of a session list, keyed as the client reads it."""
    element = {
        "courseName": session.get("courseName", ""),
        "sessionId": session["sessionId"],
        "sessionName": session.get("sessionName", ""),
        "teacherName": school.teacher_name(session.get("teacherId", "")),
        "teacherId": str(session.get("teacherId", "")),
        "roomNo": session.get("roomNo", ""),
        "roomPwd": session.get("roomPwd", ""),
        "roomName": session.get("roomName", ""),
        "startTime": ms(session["startTime"]),
        "endTime": ms(session["endTime"]),
        "roomType": str(session.get("roomType", "128")),
        "sessionGroup": {"name": session.get("group", "")},
    }
    if "snapshot" in session:
        element["snapshotUrl"] = picture_url(request, state, "list", session["snapshot"])
    if history:
        recorded = bool(session.get("recording"))
        element["recordingStatus"] = {"value": 1 if recorded else 0}
        element["recordingUrl"] = ("%s/static/recording/%s.mp4" % (state.base_url(request.secure), session["sessionId"])
                                   if recorded else "")
    else:
        element["isLeave"] = {"value": 1 if identity in [str(i) for i in session.get("onLeave", [])] else 0}
    return element


def routes(state):
    table = web.RouteTableDef()
    path = getattr(state, "school_file", "") or DEFAULT_FIXTURE
    state.store["school"] = School.load(path)

    def school():
        return state.store["school"]

    @table.post("/_control/school")
    async def replace_school(request):
        try:
            state.store["school"] = School(json.loads(await request.text()))
        except (ValueError, TypeError, KeyError) as error:
            return recording.json_error(400, "bad school fixture: %s" % error)
        return web.json_response({"ok": True})

    @table.post("/api/login")
    async def login(request):
        parts = {part["name"]: part["text"] for part in request["record"]["parts"]}
        user = school().user_by_name(parts.get("username", ""))
        if user is None or user.get("password", "123456") != parts.get("password"):
            return fail("用户名或密码错误")
        schools = school().schools_of(user)
        return ok({"userId": str(user["userId"]), "schoolId": schools[0] if schools else ""})

    @table.get("/api/schools")
    async def schools(_request):
        return ok([dict(s) for s in school().schools])

    @table.get("/api/schools/{schoolId:[^/]*}/users/{oldUserId:[^/]*}")
    async def school_user_id(request):
        user = school().users.get(request.match_info["oldUserId"])
        if user is None:
            return fail("no such user")
        school_id = request.match_info["schoolId"]
        known = school().schools_of(user)
        if school_id and school_id not in known:
            return fail("the user is not in this school")
        return ok({"userId": str(user["userId"])})

    @table.get("/api/users/{userId:[^/]*}")
    async def user_info(request):
        user = school().users.get(request.match_info["userId"])
        if user is None:
            return fail("no such user")
        data = {"userId": str(user["userId"])}
        if "nickName" in user:
            data["nickName"] = user["nickName"]
        avatar = picture_url(request, state, "avatar", user.get("avatar"))
        if avatar:
            data["avatarUrl"] = avatar
        return ok(data)

    @table.get("/api/users/{userId:[^/]*}/roles")
    async def user_roles(request):
        user = school().users.get(request.match_info["userId"])
        if user is None:
            return fail("no such user")
        return ok(list(user.get("roles", [])))

    def session_list(history):
        async def handler(request):
            kind = request.match_info["kind"]
            identity = request.match_info["identity"]
            now = time.time()
            found = [s for s in school().sessions_for(request.match_info["schoolId"], kind, identity)
                     if (s["endTime"] <= now) == history]
            found.sort(key=lambda s: s["startTime"], reverse=history)
            return web.json_response([session_element(request, state, school(), s, identity, history) for s in found])
        return handler

    base = "/api/s/{schoolId:[^/]*}/{kind:stu|tea|user}/{identity:[^/]*}/"
    table.get(base + "current")(session_list(False))
    table.get(base + "history")(session_list(True))

    @table.get("/api/teachers/{teacherId:[^/]*}")
    async def teacher_info(request):
        teacher = school().teachers.get(request.match_info["teacherId"])
        if teacher is None:
            return fail("no such teacher")
        return ok({
            "teacherName": teacher.get("teacherName", ""),
            "likeCount": teacher.get("likeCount", 0),
            "avatarUrl": picture_url(request, state, "avatar", teacher.get("avatar")),
        })

    @table.get("/api/comments/exists")
    async def comment_exists(request):
        query = request.query
        found = school().has_comment(query.get("userId", ""), query.get("schoolId", ""), query.get("sessionId", ""))
        message = {"key": 0, "value": "已评价"} if found else {"key": -1, "value": "未评价"}
        return web.json_response({"returncode": "SUCCESS", "message": message})

    @table.post("/api/comments/{schoolId:[^/]*}/{sessionId:[^/]*}")
    async def comment_add(request):
        if request.content_type != "application/json":
            return recording.json_error(415, "comment is not application/json")
        try:
            comment = json.loads(request["body"].decode("utf-8"))
        except ValueError:
            return recording.json_error(400, "comment is not JSON")
        problem = comment_problem(comment, request.match_info["schoolId"], request.match_info["sessionId"])
        if problem:
            return recording.json_error(400, problem)
        school_id, session_id = comment["schoolId"], comment["sessionId"]
        if school().has_comment(str(comment["userId"]), school_id, session_id):
            return fail("已评价")
        school().comments.append({"userId": str(comment["userId"]), "schoolId": school_id, "sessionId": session_id,
                                  "teacherScore": comment["teacherScore"], "anonymous": comment["anonymous"],
                                  "description": comment.get("description", "")})
        return web.json_response({"returncode": "SUCCESS", "message": "ok"})

    @table.get("/api/rooms/by-password/{password:[^/]*}")
    async def room_by_password(request):
        session = school().session_by_password(request.match_info["password"])
        if session is None:
            return fail("教室密码错误")
        return ok({
            "teacherId": str(session.get("teacherId", "")),
            "sessionId": session["sessionId"],
            "sessionName": session.get("sessionName", ""),
            "startTime": ms(session["startTime"]),
            "endTime": ms(session["endTime"]),
            "room": {"roomNo": session.get("roomNo", ""), "password": session.get("roomPwd", "")},
        })

    @table.get(DEFAULT_PICTURE)
    async def default_picture(_request):
        return web.Response(body=static.make_png(160, 90, (0x6D, 0xD4, 0xA0)), content_type="image/png")

    async def course_page(request):
        session = request.match_info.get("session", "")
        text = "<html><body><h1>课程 %s</h1><p>%s</p></body></html>" % (session, request.path)
        return web.Response(text=text, content_type="text/html", charset="utf-8")

    for page in ("/teacher/vip/session/{session}", "/teacher/session/{session}", "/vip/session/{session}",
                 "/student/session/{session}/help", "/session/{session}",
                 "/help/meeting/help.html", "/password/forget", "/register/fp", "/feedback",
                 "/survey/student", "/survey/software", "/survey/teaching"):
        table.get(page)(course_page)

    return table
