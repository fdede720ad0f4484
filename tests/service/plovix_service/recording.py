"""Records every request the service receives, multipart parts included, so
a test can assert on what went over the wire."""

import base64
import time

from aiohttp import web


def _text(data):
    return data.decode("utf-8", errors="replace")


def parse_multipart(content_type, body):
    """Splits a multipart/form-data body into its parts; tolerant of junk."""
    boundary = None
    for item in content_type.split(";"):
        item = item.strip()
        if item.lower().startswith("boundary="):
            boundary = item[len("boundary="):].strip().strip('"')
    if not boundary:
        return []
    parts = []
    delimiter = b"--" + boundary.encode("latin-1")
    for chunk in body.split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        chunk = chunk[2:] if chunk.startswith(b"\r\n") else chunk
        head, _, data = chunk.partition(b"\r\n\r\n")
        if data.endswith(b"\r\n"):
            data = data[:-2]
        headers = {}
        for line in head.split(b"\r\n"):
            name, sep, value = line.partition(b":")
            if sep:
                headers[_text(name).strip().lower()] = _text(value).strip()
        disposition = headers.get("content-disposition", "")
        fields = {}
        for item in disposition.split(";"):
            key, sep, value = item.strip().partition("=")
            if sep:
                fields[key.strip()] = value.strip().strip('"')
        parts.append({
            "name": fields.get("name", ""),
            "filename": fields.get("filename"),
            "disposition": disposition,
            "content_type": headers.get("content-type", ""),
            "headers": headers,
            "size": len(data),
            "text": _text(data) if len(data) <= 65536 else "",
            "data": data,
        })
    return parts


async def capture(request, state):
    """Reads the body once and keeps a record on the request for handlers."""
    body = await request.read()
    entry = {
        "time": time.time(),
        "method": request.method,
        "path": request.path,
        "raw_path": request.rel_url.raw_path,
        "query": request.query_string,
        # As it came over the wire, still percent-encoded.
        "raw_query": request.raw_path.partition("?")[2],
        "scheme": "https" if request.secure else "http",
        "headers": {k: v for k, v in request.headers.items()},
        "size": len(body),
        "body": _text(body) if len(body) <= 1 << 20 else "",
        "parts": [],
    }
    content_type = request.headers.get("Content-Type", "")
    if content_type.lower().startswith("multipart/"):
        entry["parts"] = parse_multipart(content_type, body)
    request["record"] = entry
    request["body"] = body
    state.record(entry)
    return entry


def public(entry):
    """A record as the control API shows it (part bytes as base64)."""
    shown = dict(entry)
    shown["parts"] = []
    for part in entry["parts"]:
        item = {k: v for k, v in part.items() if k != "data"}
        item["base64"] = base64.b64encode(part["data"]).decode("ascii") if part["size"] <= 1 << 20 else ""
        shown["parts"].append(item)
    return shown


def json_error(status, message):
    return web.json_response({"returncode": "FAIL", "message": message}, status=status)
