"""Builds the service from its modules. A later module adds its routes to
MODULES and finds the shared state in `state`."""

from aiohttp import web

from . import (control, conversion, mediaserver, misbehave, participants, player, properties, reports, signalling, static,
               uploads, webservice)

# participants hooks into signalling, so it comes after it.
MODULES = [control, properties, static, uploads, reports, webservice, signalling, participants, conversion, player,
           mediaserver]


def build(state):
    app = web.Application(middlewares=[misbehave.middleware(state)], client_max_size=64 << 20)
    app["state"] = state
    for module in MODULES:
        app.add_routes(module.routes(state))
    return app
