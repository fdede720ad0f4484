"""Runs the local classroom service.

    /usr/bin/python3 -m plovix_service [--port N] [--https] [--host H]

(from tests/service). Prints one line once it listens:
    PLOVIX-SERVICE READY {"http": N, "https": N, "untrusted": N, "ca": "path"}
"""

import argparse
import asyncio
import json
import os
import signal
import socket
import ssl
import sys
import tempfile

from aiohttp import web

from . import app as service_app
from . import certs
from .state import ServiceState

# Stalled answers are abandoned at once when the service stops.
SHUTDOWN = 0.2
# Extra ports standing for candidate classroom servers.
CANDIDATES = 2


def listen(host, port):
    family = socket.AF_INET6 if ":" in host else socket.AF_INET
    sock = socket.socket(family, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    sock.bind((host, port))
    sock.listen(128)
    return sock


def tls_context(cert, key):
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


async def watch_stdin(stop):
    """Ends the service when the parent process goes away."""
    loop = asyncio.get_running_loop()
    await loop.run_in_executor(None, sys.stdin.buffer.read)
    stop.set()


async def serve(args, folder):
    state = ServiceState()
    state.host = args.host
    state.media_host = args.media_host
    state.relay = args.relay
    state.folder = folder
    state.school_file = args.school
    application = service_app.build(state)
    runner = web.AppRunner(application, access_log=None, handle_signals=False)
    await runner.setup()

    plain = listen(args.host, args.port)
    state.http_port = plain.getsockname()[1]
    await web.SockSite(runner, plain, shutdown_timeout=SHUTDOWN).start()
    # The candidate classroom servers of the server choice: the same
    # service on more ports.
    for _ in range(CANDIDATES):
        extra = listen(args.host, 0)
        state.candidate_ports.append(extra.getsockname()[1])
        await web.SockSite(runner, extra, shutdown_timeout=SHUTDOWN).start()
    if args.https:
        ca, cert, key, rogue, rogue_key = certs.make(folder)
        state.ca_path = ca
        secure = listen(args.host, args.https_port)
        state.https_port = secure.getsockname()[1]
        await web.SockSite(runner, secure, ssl_context=tls_context(cert, key), shutdown_timeout=SHUTDOWN).start()
        untrusted = listen(args.host, 0)
        state.untrusted_port = untrusted.getsockname()[1]
        await web.SockSite(runner, untrusted, ssl_context=tls_context(rogue, rogue_key),
                           shutdown_timeout=SHUTDOWN).start()
        # With --classroom-name the first TLS candidate shows a certificate
        # for that name only, as a server standing in for the classroom host.
        named = certs.make_named(folder, args.classroom_name) if args.classroom_name else (cert, key)
        for index in range(CANDIDATES):
            extra = listen(args.host, 0)
            state.candidate_tls_ports.append(extra.getsockname()[1])
            context = tls_context(*(named if index == 0 else (cert, key)))
            await web.SockSite(runner, extra, ssl_context=context, shutdown_timeout=SHUTDOWN).start()

    media = state.store["media"]
    if args.media_server:
        await media.start()
    ready = {"http": state.http_port, "https": state.https_port, "untrusted": state.untrusted_port,
             "ca": state.ca_path, "host": state.host, "candidates": state.candidate_ports,
             "tls_candidates": state.candidate_tls_ports, "media": media.url}
    print("PLOVIX-SERVICE READY " + json.dumps(ready), flush=True)

    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    if args.exit_with_stdin:
        asyncio.ensure_future(watch_stdin(stop))
    await stop.wait()
    await media.stop()
    await runner.cleanup()


def main():
    parser = argparse.ArgumentParser(prog="plovix_service", description="Local classroom service")
    parser.add_argument("--host", default="127.0.0.1", help="loopback address to listen on")
    parser.add_argument("--port", type=int, default=0, help="HTTP port (0: a free one)")
    parser.add_argument("--https", action="store_true", help="also listen over HTTPS (test CA made at start)")
    parser.add_argument("--https-port", type=int, default=0, help="HTTPS port (0: a free one)")
    parser.add_argument("--workdir", default="", help="folder for the certificates (default: a temporary one)")
    parser.add_argument("--school", default="", help="school fixture file (default: fixtures/demo_school.json)")
    parser.add_argument("--classroom-name", default="", help="DNS name of the first TLS candidate's certificate")
    parser.add_argument("--media-server", action="store_true",
                        help="run a Janus media server (inside tools/netns.sh) and issue real RTC keys")
    parser.add_argument("--media-host", default="",
                        help="address the media server and its relay listen on (default: --host)")
    parser.add_argument("--relay", action="store_true",
                        help="with --media-server, a coturn relay over TCP 3478 and TLS 443 on the media address")
    parser.add_argument("--exit-with-stdin", action="store_true", help="stop when standard input closes")
    args = parser.parse_args()
    if args.workdir:
        os.makedirs(args.workdir, exist_ok=True)
        asyncio.run(serve(args, args.workdir))
        return
    with tempfile.TemporaryDirectory(prefix="plovix-service-") as folder:
        asyncio.run(serve(args, folder))


if __name__ == "__main__":
    main()
