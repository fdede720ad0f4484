"""The demo school: schools, users, teachers and sessions read from one
fixture file (fixtures/demo_school.json by default, or the file named by
--school), with the session times placed around the moment it is loaded.

Fixture format (every key optional unless said otherwise):
    schools:  [{schoolId, schoolName, profile}]
    users:    [{userName, password, userId (required), nickName, avatar,
                schools: [schoolId], roles: [{role, userRoleId}]}]
    teachers: [{teacherId (required), teacherName, likeCount, avatar}]
    sessions: [{sessionId (required), schoolId, courseName, sessionName,
                group, teacherId, roomNo, roomPwd, roomName, roomType,
                start: {minutes: M} | {days: D, at: "HH:MM"}, minutes,
                snapshot (absent: the client's default picture),
                students: [id], users: [id], onLeave: [id], recording}]
    comments: [{userId, schoolId, sessionId}]
"avatar" and "snapshot" are file names under /static/avatar/ and
/static/list/; a name with "://" is used as the address itself.
"""

import datetime
import json
import os
import time

DEFAULT_FIXTURE = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "fixtures",
                               "demo_school.json")


def _list(value):
    return value if isinstance(value, list) else []


def _text(value, default=""):
    return value if isinstance(value, str) else default


def _start_of(start, now):
    """Seconds since 1970 of a session start given relative to now."""
    if not isinstance(start, dict):
        return now
    if "days" in start or "at" in start:
        day = datetime.date.fromtimestamp(now) + datetime.timedelta(days=int(start.get("days", 0)))
        hour, _, minute = _text(start.get("at"), "09:00").partition(":")
        moment = datetime.datetime.combine(day, datetime.time(int(hour), int(minute or 0)))
        return int(moment.timestamp())
    return int(now + float(start.get("minutes", 0)) * 60)


class School:
    """The loaded fixture, with every session's start and end in seconds."""

    def __init__(self, data, now=None):
        if not isinstance(data, dict):
            raise ValueError("the school fixture must be a JSON object")
        self.loaded_at = time.time() if now is None else now
        self.schools = [s for s in _list(data.get("schools")) if isinstance(s, dict)]
        self.users = {str(u["userId"]): u for u in _list(data.get("users")) if isinstance(u, dict) and "userId" in u}
        self.teachers = {str(t["teacherId"]): t for t in _list(data.get("teachers"))
                         if isinstance(t, dict) and "teacherId" in t}
        self.comments = [c for c in _list(data.get("comments")) if isinstance(c, dict)]
        self.sessions = []
        for session in _list(data.get("sessions")):
            if not isinstance(session, dict) or "sessionId" not in session:
                continue
            entry = dict(session)
            entry["sessionId"] = str(session["sessionId"])
            entry["startTime"] = _start_of(session.get("start"), self.loaded_at)
            entry["endTime"] = entry["startTime"] + int(float(session.get("minutes", 45)) * 60)
            self.sessions.append(entry)

    @staticmethod
    def load(path):
        with open(path, encoding="utf-8") as handle:
            return School(json.load(handle))

    def user_by_name(self, name):
        for user in self.users.values():
            if user.get("userName") == name:
                return user
        return None

    def schools_of(self, user):
        return [str(s) for s in _list(user.get("schools"))]

    def teacher_name(self, teacher_id):
        return _text(self.teachers.get(str(teacher_id), {}).get("teacherName"))

    def sessions_for(self, school_id, kind, identity):
        """Sessions of the school where identity takes part: kind "stu" as a
        student, "tea" as the teacher, "user" as any other member."""
        found = []
        for session in self.sessions:
            if str(session.get("schoolId", "")) != school_id:
                continue
            if kind == "tea":
                member = str(session.get("teacherId", "")) == identity
            elif kind == "stu":
                member = identity in [str(i) for i in _list(session.get("students"))]
            else:
                member = identity in [str(i) for i in _list(session.get("users"))]
            if member:
                found.append(session)
        return found

    def has_comment(self, user_id, school_id, session_id):
        for comment in self.comments:
            if (str(comment.get("userId")), str(comment.get("schoolId")), str(comment.get("sessionId"))) == (
                    user_id, school_id, session_id):
                return True
        return False

    def session_by_password(self, password):
        for session in self.sessions:
            if password and _text(session.get("roomPwd")) == password:
                return session
        return None
