"""Certificates made at start with openssl: a test CA and a server
certificate it signed, plus a self-signed one that nobody trusts."""

import os
import subprocess

_SUBJECT_ALT = "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1"


def _openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _key(path):
    _openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", path)


def make(folder):
    """Returns the paths (ca, cert, key, untrusted cert, untrusted key)."""
    ca_key = os.path.join(folder, "ca.key")
    ca = os.path.join(folder, "ca.pem")
    key = os.path.join(folder, "server.key")
    csr = os.path.join(folder, "server.csr")
    cert = os.path.join(folder, "server.pem")
    ext = os.path.join(folder, "server.ext")
    rogue_key = os.path.join(folder, "untrusted.key")
    rogue = os.path.join(folder, "untrusted.pem")
    _key(ca_key)
    _openssl("req", "-x509", "-new", "-key", ca_key, "-out", ca, "-days", "3", "-subj", "/CN=Plovix Test CA",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    _key(key)
    _openssl("req", "-new", "-key", key, "-out", csr, "-subj", "/CN=localhost")
    with open(ext, "w", encoding="ascii") as out:
        out.write(_SUBJECT_ALT + "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
    _openssl("x509", "-req", "-in", csr, "-CA", ca, "-CAkey", ca_key, "-CAcreateserial", "-out", cert,
             "-days", "2", "-extfile", ext)
    _key(rogue_key)
    _openssl("req", "-x509", "-new", "-key", rogue_key, "-out", rogue, "-days", "2", "-subj", "/CN=localhost",
             "-addext", _SUBJECT_ALT)
    return ca, cert, key, rogue, rogue_key
