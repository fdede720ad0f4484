"""The room's likes and lesson marks, as a real class room keeps them.

Likes (one lesson = one room): the room counts the likes its teacher got and
who gave them, {"count", "liked": [uid, ...]} under the room's "likes".
- 98 (like count): answered to the asker with "likedCount" and whether the
  asker has liked ("liked").
- 99 (like): only a student-side member may like, once a lesson. A counted
  like is confirmed (65) to the liker and to the liked teacher, and shown in
  every chat as a system line (387 with the praise phrase). A refused like
  is not answered.

Marks: each student's marks, in the order made, under the room's "marks"
{uid: [{"markTimestamp", "markMessage", "presentationUrl", "uuid"}]}. The
client names a new mark's uuid.
- 167 (list): the asker's marks.
- 168 (make or edit): a known uuid is an edit, kept in its place; an unknown
  one a new mark at the end; answered {"uuid", "result"}; no uuid is refused.
- 169 (delete): answered {"uuid", "result"}; false for an unknown uuid.
"""

TYPES = {98, 99, 167, 168, 169}
STUDENT_ROLES = {"STUDENT", "AUDITOR", "LISTENER"}
MARK_KEYS = ("markTimestamp", "markMessage", "presentationUrl")


def likes_of(room):
    likes = room.setdefault("likes", {})
    likes.setdefault("count", 0)
    likes.setdefault("liked", [])
    return likes


def handle(service, conn, room, request, message, data):
    """True when the message was one of the room's like or mark messages."""
    type_ = message.get("type")
    if type_ not in TYPES:
        return False
    uid = conn.uid
    if type_ == 98:
        likes = likes_of(room)
        service.answer(conn, 98, {"likedCount": likes["count"], "liked": uid in likes["liked"]})
    elif type_ == 99:
        like(service, conn, room, data)
    elif type_ == 167:
        marks = [dict(m, presentationUrl=service.absolute(request, m.get("presentationUrl")))
                 for m in room.setdefault("marks", {}).get(uid, [])]
        service.answer(conn, 167, {"markList": marks})
    elif type_ == 168:
        marks = room.setdefault("marks", {}).setdefault(uid, [])
        mark_id = data.get("uuid")
        if not isinstance(mark_id, str) or not mark_id:
            service.answer(conn, 168, {"uuid": "", "result": False})
            return True
        entry = {key: data.get(key) for key in MARK_KEYS}
        entry["uuid"] = mark_id
        known = next((m for m in marks if m.get("uuid") == mark_id), None)
        if known is not None:
            known.update(entry)
        else:
            marks.append(entry)
        service.answer(conn, 168, {"uuid": mark_id, "result": True})
    else:
        marks = room.setdefault("marks", {}).setdefault(uid, [])
        mark_id = data.get("uuid")
        kept = [m for m in marks if m.get("uuid") != mark_id]
        room["marks"][uid] = kept
        service.answer(conn, 169, {"uuid": mark_id, "result": len(kept) != len(marks)})
    return True


def like(service, conn, room, data):
    uid = conn.uid
    likes = likes_of(room)
    role = service.member(conn)[0]["role"]
    if role not in STUDENT_ROLES or uid in likes["liked"]:
        return
    likes["liked"].append(uid)
    likes["count"] += 1
    teacher = str(data.get("likedUserId", ""))
    confirmed = {"likedUserId": teacher}
    service.answer(conn, 65, confirmed)
    for other in service.room_conns(conn, False):
        if other.uid == teacher:
            service.send(other, {"type": 65, "source": uid, "dest": other.uid, "data": confirmed})
    for other in service.room_conns(conn, True):
        service.send(other, {"type": 387, "source": uid, "dest": conn.room,
                             "data": {"messageType": 99, "content": str(data.get("message", ""))}})
