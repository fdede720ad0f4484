"""The room's course pages as the school's servers keep them: the page the
teacher shows (258 sets "presentationShare"), deletions (257 takes the page
out of the room's list), and the pages that uploads become.

Both messages are relayed: a turn to the others, a deletion to everyone,
its sender too.
"""

TYPES = {257, 258}


def handle(service, conn, room, message, data):
    """True when the message was a page turn or deletion and is done with."""
    type_ = message.get("type")
    if type_ not in TYPES:
        return False
    page_id = data.get("presentationId")
    if isinstance(page_id, str) and page_id:
        if type_ == 258:
            room["presentationShare"] = page_id
        else:
            pages = room.setdefault("presentations", [])
            room["presentations"] = [p for p in pages if p.get("presentationId") != page_id]
            if room.get("presentationShare") == page_id:
                room["presentationShare"] = ""
    service.broadcast(conn, message, type_ == 257)
    return True


def page_count(data):
    """The pages a converted file makes: one per page of a PDF, one for a
    picture; 0 for anything the converter cannot read."""
    if data.startswith(b"%PDF-"):
        pages = data.count(b"/Type /Page") + data.count(b"/Type/Page")
        pages -= data.count(b"/Type /Pages") + data.count(b"/Type/Pages")
        return max(1, pages)
    if data.startswith(b"\x89PNG\r\n\x1a\n") or data.startswith(b"\xff\xd8\xff"):
        return 1
    return 0


def converted(room, upload_id, stored_name, pages):
    """Adds the pages of one converted upload to the room's list: the first
    keeps the upload's id, the others get "-2", "-3", ...; a picture is its
    own page, a PDF's pages are drawn by the service."""
    listed = room.setdefault("presentations", [])
    for number in range(1, pages + 1):
        page_id = upload_id if number == 1 else "%s-%d" % (upload_id, number)
        slide = ("/converted/%s" % stored_name if stored_name and pages == 1
                 else "/static/course/%s.png" % page_id.lower())
        listed.append({"type": "slide", "presentationId": page_id, "whiteboardId": "W" + page_id,
                       "slide": slide})
