"""The school's TURN relay: Debian's coturn with a configuration written at
start, beside the media server. It takes clients over TCP on 3478 and over
TLS on 443 (a certificate of the service's test CA), and relays to the media
server over UDP. Credentials are coturn's shared-secret scheme: the user name
is "<expiry>:<uid>", the password base64(HMAC-SHA1(secret, user name)), so
the service issues them without telling coturn."""

import base64
import hashlib
import hmac
import os
import secrets
import shutil
import socket
import subprocess
import time

from . import certs

TCP_PORT = 3478
TLS_PORT = 443
# Long enough for a lesson; a key road answer per join renews it.
LIFETIME = 6 * 3600
START_TIMEOUT = 10.0


class RelayError(Exception):
    pass


def turnserver_binary():
    return shutil.which("turnserver") or (os.path.exists("/usr/bin/turnserver") and "/usr/bin/turnserver")


def _listening(addr, port):
    try:
        with socket.create_connection((addr, port), timeout=0.2):
            return True
    except OSError:
        return False


class Relay:
    def __init__(self, addr, folder, ca_folder):
        self.addr = addr
        self.folder = folder
        self.ca_folder = ca_folder
        self.secret = secrets.token_hex(16)
        self.process = None
        self.log = None
        self.tls_port = 0

    def start(self):
        binary = turnserver_binary()
        if not binary:
            raise RelayError("the coturn package is not installed")
        cert, key = certs.make_for_address(self.ca_folder, "relay", self.addr)
        # 443 where the namespace lets the service bind it, as a school's
        # relay for networks that let only that port out.
        self.tls_port = TLS_PORT if os.geteuid() == 0 else _free_port(self.addr)
        config = os.path.join(self.folder, "turnserver.conf")
        with open(config, "w", encoding="ascii") as out:
            out.write("""listening-ip=%(addr)s
relay-ip=%(addr)s
listening-port=%(tcp)d
tls-listening-port=%(tls)d
no-udp
no-dtls
use-auth-secret
static-auth-secret=%(secret)s
realm=plovix
cert=%(cert)s
pkey=%(key)s
fingerprint
no-cli
no-multicast-peers
allowed-peer-ip=%(addr)s
userdb=%(folder)s/turndb
pidfile=%(folder)s/turnserver.pid
log-file=%(folder)s/turnserver.log
simple-log
""" % {"addr": self.addr, "tcp": TCP_PORT, "tls": self.tls_port, "secret": self.secret, "cert": cert,
                "key": key, "folder": self.folder})
        self.log = open(os.path.join(self.folder, "turnserver.out"), "ab")
        self.process = subprocess.Popen([binary, "-c", config, "--no-stdout-log"], stdin=subprocess.DEVNULL,
                                        stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + START_TIMEOUT
        while not (_listening(self.addr, TCP_PORT) and _listening(self.addr, self.tls_port)):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RelayError("coturn did not listen on %s:%d and :%d" % (self.addr, TCP_PORT, self.tls_port))
            time.sleep(0.05)

    def stop(self):
        end_process(self.process, self.log)
        self.process = self.log = None

    def credentials(self, uid):
        """The relays of the key road's answer, for one participant."""
        username = "%d:%s" % (int(time.time()) + LIFETIME, uid)
        digest = hmac.new(self.secret.encode(), username.encode(), hashlib.sha1).digest()
        return [{"urls": ["turn:%s:%d?transport=tcp" % (self.addr, TCP_PORT),
                          "turns:%s:%d?transport=tcp" % (self.addr, self.tls_port)],
                 "username": username, "credential": base64.b64encode(digest).decode()}]


def end_process(process, log):
    """Stops a server process (killed after 5 s) and closes its log."""
    if process is not None:
        process.terminate()
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    if log is not None:
        log.close()


def _free_port(host):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as sock:
        sock.bind((host, 0))
        return sock.getsockname()[1]
