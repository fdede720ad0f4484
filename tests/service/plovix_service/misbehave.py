"""Makes a path misbehave on a test's request: the middleware that applies
the rules set through the control API around the normal handlers."""

import asyncio

from aiohttp import web

from . import recording

# Long enough to outlive any test; the client gives up long before.
FOREVER = 3600.0


def _body_of(response):
    """The bytes, content type and status of a finished (non-streamed) response."""
    body = response.body if isinstance(response, web.Response) else b""
    if not isinstance(body, (bytes, bytearray)):
        body = b""
    return bytes(body), response.headers.get("Content-Type", "application/octet-stream"), response.status


async def _stream(request, status, content_type, length):
    response = web.StreamResponse(status=status)
    response.content_type = content_type.split(";")[0]
    if length is not None:
        response.content_length = length
    await response.prepare(request)
    return response


def _abort(request):
    transport = request.transport
    if transport is not None:
        transport.abort()


async def apply(rule, request, handler):
    action = rule.action
    if action == "delay":
        await asyncio.sleep(rule.number("ms", 1000) / 1000.0)
        return await handler(request)
    if action == "status":
        code = rule.number("status", 500)
        return web.Response(status=code, text=str(rule.definition.get("text", "error %d" % code)))
    if action == "redirect":
        code = rule.number("status", 302)
        return web.Response(status=code, headers={"Location": str(rule.definition.get("location", "/"))})
    if action == "body":
        data = str(rule.definition.get("content", "")).encode("utf-8")
        content_type = str(rule.definition.get("content_type", "application/json"))
        return web.Response(status=rule.number("status", 200), body=data, headers={"Content-Type": content_type})
    if action == "huge":
        size = rule.number("size", 64 << 20)
        # "chunked": the length is not announced.
        announced = None if rule.definition.get("chunked") else size
        response = await _stream(request, 200, str(rule.definition.get("content_type", "application/json")), announced)
        chunk = b"x" * 65536
        sent = 0
        while sent < size:
            piece = chunk[: min(len(chunk), size - sent)]
            await response.write(piece)
            sent += len(piece)
        await response.write_eof()
        return response
    if action == "drop":
        # Accepted and served (a WebSocket is upgraded), then cut without a
        # close frame after ms.
        served = asyncio.ensure_future(handler(request))
        done, _ = await asyncio.wait({served}, timeout=rule.number("ms", 200) / 1000.0)
        if not done:
            _abort(request)
        return await served
    if action == "stall" and rule.number("after", -1) < 0:
        # No answer at all, not even headers.
        await asyncio.sleep(FOREVER)
        return web.Response(status=504)

    # The remaining actions send the normal answer in a damaged way.
    body, content_type, status = _body_of(await handler(request))
    if action == "trickle":
        chunk = max(1, rule.number("chunk", 1024))
        interval = rule.number("interval_ms", 100) / 1000.0
        response = await _stream(request, status, content_type, len(body))
        for start in range(0, len(body), chunk):
            await response.write(body[start:start + chunk])
            await asyncio.sleep(interval)
        await response.write_eof()
        return response
    if action == "cut":
        after = max(0, min(rule.number("after", len(body) // 2), len(body)))
        response = await _stream(request, status, content_type, len(body))
        await response.write(body[:after])
        await asyncio.sleep(0.05)
        _abort(request)
        return response
    if action == "stall":
        after = max(0, min(rule.number("after", 0), len(body)))
        response = await _stream(request, status, content_type, len(body))
        await response.write(body[:after])
        await asyncio.sleep(FOREVER)
        return response
    return recording.json_error(500, "unknown action %r" % action)


def middleware(state):
    @web.middleware
    async def misbehaving(request, handler):
        if request.path.startswith("/_control/"):
            return await handler(request)
        await recording.capture(request, state)
        rule = state.rule_for(request.path)
        if rule is None:
            return await handler(request)
        try:
            return await apply(rule, request, handler)
        except ConnectionError:
            # The client gave up in the middle, which is what these tests
            # provoke; aiohttp drops the answer quietly.
            return web.Response(status=499)
    return misbehaving
