"""The test-control API: make a path misbehave, read what was received,
reset. Never recorded and never subject to the rules."""

import json

from aiohttp import web

from . import recording
from .state import Rule


def routes(state):
    table = web.RouteTableDef()

    @table.get("/_control/ping")
    async def ping(_request):
        return web.json_response({"ok": True})

    @table.post("/_control/rules")
    async def set_rule(request):
        try:
            definition = json.loads(await request.text())
        except ValueError:
            return recording.json_error(400, "rule is not JSON")
        if not isinstance(definition, dict) or not isinstance(definition.get("path"), str):
            return recording.json_error(400, "rule needs a path")
        if definition.get("action") in (None, "", "none"):
            state.rules.pop(definition["path"], None)
        else:
            state.rules[definition["path"]] = Rule(definition)
        return web.json_response({"ok": True})

    @table.get("/_control/requests")
    async def requests(request):
        path = request.query.get("path")
        shown = [recording.public(r) for r in state.records if path is None or r["path"] == path]
        return web.json_response(shown)

    @table.post("/_control/reset")
    async def reset(_request):
        state.reset()
        return web.json_response({"ok": True})

    return table
