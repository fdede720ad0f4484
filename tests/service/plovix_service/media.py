"""The room's media files as the school's servers keep them: the shared
media and its state ("mediaShare", "mediaStatus" play/pause/hidden, "seek"
in seconds), changed by the teacher's switch (455), seek, play and pause
(451 video, 452 audio) and close (456), and the list, from which deletions
(453, 454) take a media out. Each message is relayed: deletions to
everyone, their sender too, the rest to the others.
"""

TYPES = {451, 452, 453, 454, 455, 456}


def whole(value):
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return 0
    return max(0, int(value))


def handle(service, conn, room, message, data):
    """True when the message was a media message and is done with."""
    type_ = message.get("type")
    if type_ not in TYPES:
        return False
    media_id = data.get("mediaId")
    if isinstance(media_id, str) and media_id:
        if type_ in (451, 452):
            room["mediaShare"] = media_id
            room["mediaStatus"] = "pause" if data.get("state") == "pause" else "play"
            room["seek"] = whole(data.get("seek"))
        elif type_ == 455:
            room["mediaShare"], room["mediaStatus"], room["seek"] = media_id, "pause", 0
        elif type_ == 456 or room.get("mediaShare") == media_id:
            room["mediaShare"], room["mediaStatus"], room["seek"] = "", "hidden", 0
        if type_ in (453, 454):
            room["medias"] = [m for m in room.get("medias", []) if m.get("mediaId") != media_id]
    service.broadcast(conn, message, type_ in (453, 454))
    return True


def converted(room, media_id, kind, stored_name):
    """Adds one converted upload to the room's media list."""
    room.setdefault("medias", []).append({"type": kind, "mediaId": media_id, "slide": "",
                                          "url": "/converted/%s" % stored_name, "duration": 60})
