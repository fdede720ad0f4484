"""State shared by every module of the service: its addresses, the recorded
requests and the misbehaviour rules set through the control API."""

import time

MAX_RECORDS = 20000


class Rule:
    """How one path misbehaves. `remaining` counts the requests still affected
    (None: every request until the rule is removed)."""

    def __init__(self, definition):
        self.action = str(definition.get("action", ""))
        self.definition = dict(definition)
        count = definition.get("count")
        self.remaining = int(count) if count is not None else None

    def take(self):
        """True when this request is affected; uses up one count."""
        if self.remaining is None:
            return True
        if self.remaining <= 0:
            return False
        self.remaining -= 1
        return True

    def number(self, key, default):
        value = self.definition.get(key, default)
        try:
            return int(value)
        except (TypeError, ValueError):
            return default


class ServiceState:
    def __init__(self):
        self.http_port = 0
        self.https_port = 0
        self.untrusted_port = 0
        self.host = "127.0.0.1"
        # Where the media server listens when other networks reach it
        # (empty: host), whether a TURN relay runs beside it, and the
        # service's working folder.
        self.media_host = ""
        self.relay = False
        self.folder = ""
        self.ca_path = ""
        # The school fixture; empty for the demo school.
        self.school_file = ""
        self.records = []
        self.rules = {}
        self.started = time.time()
        # Filled by modules that keep data between requests (uploads...).
        self.store = {}
        # Called by reset(), for modules that keep state of their own.
        self.reset_hooks = []
        # Extra listening ports standing for the candidate classroom
        # servers: plain, and over TLS when the service runs with TLS.
        self.candidate_ports = []
        self.candidate_tls_ports = []

    def base_url(self, secure=False):
        if secure and self.https_port:
            return "https://%s:%d" % (self.host, self.https_port)
        return "http://%s:%d" % (self.host, self.http_port)

    def ws_url(self, secure=False):
        if secure and self.https_port:
            return "wss://%s:%d" % (self.host, self.https_port)
        return "ws://%s:%d" % (self.host, self.http_port)

    def record(self, entry):
        if len(self.records) >= MAX_RECORDS:
            del self.records[: MAX_RECORDS // 10]
        self.records.append(entry)

    def rule_for(self, path):
        rule = self.rules.get(path)
        if rule is None or not rule.take():
            return None
        return rule

    def reset(self):
        self.records.clear()
        self.rules.clear()
        for hook in self.reset_hooks:
            hook()
