"""The room's whiteboards: every board's shape stack and redo stack as the
clients hold them, changed by the shape messages (321 new shape, 323 undo,
324 redo, 325 clear, 326 erase, 327 text move), relayed to the others, and
answered as the whiteboard history (352).

Each entry is one whole shape as a 321 message carries it. The history of a
board lists the shape stack bottom first, then the redo stack top first, and
names the top of the shape stack as "currentShapeId", so a client that
replays it and takes back everything above that id holds both stacks again.
"""

NOTHING_DRAWN = "-"
SHAPE_TYPES = {321, 323, 324, 325, 326, 327}


def boards_of(room):
    """The room's boards {id: {"done": [...], "redo": [...]}}, made once from
    the fixture's history."""
    boards = room.get("boards")
    if boards is not None:
        return boards
    boards = room["boards"] = {}
    for board in room.get("whiteboards", []):
        shapes = [s for s in board.get("shapeList", []) if isinstance(s, dict)]
        current = board.get("currentShapeId", "")
        done, redo = list(shapes), []
        if current:
            while done and done[-1].get("shapeId") != current:
                redo.append(done.pop())
        boards[board.get("whiteboardId", "")] = {"done": done, "redo": redo}
    return boards


def history(room):
    listed = []
    for board_id, board in boards_of(room).items():
        done, redo = board["done"], board["redo"]
        if not done and not redo:
            continue
        current = done[-1].get("shapeId", "") if done else NOTHING_DRAWN
        listed.append({"whiteboardId": board_id, "currentShapeId": current,
                       "shapeList": done + list(reversed(redo))})
    return listed


def whole(value):
    if isinstance(value, bool) or not isinstance(value, (int, float)):
        return 0
    return int(value) if value == int(value) else 0


def apply(room, type_, data):
    boards = boards_of(room)
    board_id = data.get("whiteboardId")
    if type_ == 327:
        shapes = data.get("shapes")
        moved = shapes[0] if isinstance(shapes, list) and shapes and isinstance(shapes[0], dict) else None
        board = boards.get(moved.get("whiteboardId")) if moved else None
        if board:
            for shape in reversed(board["done"]):
                if shape.get("shapeId") == moved.get("shapeId") and shape.get("type") == "text":
                    shape["x"], shape["y"] = whole(moved.get("x")), whole(moved.get("y"))
                    break
        return
    if not isinstance(board_id, str) or not board_id or board_id == "_blank" or data.get("shapeId") == "_blank":
        return
    if type_ == 321:
        board = boards.setdefault(board_id, {"done": [], "redo": []})
        board["done"].append({k: v for k, v in data.items() if k not in ("whiteboardId", "roomId", "operatorId")})
        board["redo"] = []
        return
    board = boards.get(board_id)
    if board is None:
        return
    done, redo = board["done"], board["redo"]
    if type_ == 323 and done:
        redo.append(done.pop())
    elif type_ == 324 and redo:
        done.append(redo.pop())
    elif type_ == 325:
        redo.extend(reversed(done))
        done.clear()
    elif type_ == 326:
        ids = data.get("shapesId")
        if isinstance(ids, list) and ids:
            for index in range(len(done) - 1, -1, -1):
                if done[index].get("shapeId") == ids[0]:
                    redo.append(done.pop(index))


def handle(service, conn, room, message, data):
    """True when the message was a whiteboard one and is done with."""
    type_ = message.get("type")
    if type_ == 352:
        service.answer(conn, 352, {"whiteboards": history(room)})
        return True
    if type_ not in SHAPE_TYPES:
        return False
    apply(room, type_, data)
    service.broadcast(conn, message, False)
    return True
