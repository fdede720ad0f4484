"""Certificates made at start with openssl: a test CA and a server
certificate it signed, plus a self-signed one that nobody trusts."""

import os
import subprocess

_SUBJECT_ALT = "subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1"


def _openssl(*args):
    subprocess.run(["openssl", *args], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def _key(path):
    _openssl("ecparam", "-name", "prime256v1", "-genkey", "-noout", "-out", path)


def _signed(folder, stem, common_name, subject_alt):
    """A server certificate signed by the test CA in folder; (cert, key)."""
    key = os.path.join(folder, stem + ".key")
    csr = os.path.join(folder, stem + ".csr")
    cert = os.path.join(folder, stem + ".pem")
    ext = os.path.join(folder, stem + ".ext")
    _key(key)
    _openssl("req", "-new", "-key", key, "-out", csr, "-subj", "/CN=" + common_name)
    with open(ext, "w", encoding="ascii") as out:
        out.write(subject_alt + "\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
    _openssl("x509", "-req", "-in", csr, "-CA", os.path.join(folder, "ca.pem"), "-CAkey",
             os.path.join(folder, "ca.key"), "-CAcreateserial", "-out", cert, "-days", "2", "-extfile", ext)
    return cert, key


def make_named(folder, name):
    """A certificate from the test CA of make() issued to the DNS name alone;
    returns (cert, key). For servers reached at an address that stand for a
    named host."""
    return _signed(folder, "named", name, "subjectAltName=DNS:" + name)


def make(folder):
    """Returns the paths (ca, cert, key, untrusted cert, untrusted key)."""
    ca_key = os.path.join(folder, "ca.key")
    ca = os.path.join(folder, "ca.pem")
    rogue_key = os.path.join(folder, "untrusted.key")
    rogue = os.path.join(folder, "untrusted.pem")
    _key(ca_key)
    _openssl("req", "-x509", "-new", "-key", ca_key, "-out", ca, "-days", "3", "-subj", "/CN=Plovix Test CA",
             "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    cert, key = _signed(folder, "server", "localhost", _SUBJECT_ALT)
    _key(rogue_key)
    _openssl("req", "-x509", "-new", "-key", rogue_key, "-out", rogue, "-days", "2", "-subj", "/CN=localhost",
             "-addext", _SUBJECT_ALT)
    return ca, cert, key, rogue, rogue_key


def make_for_address(folder, stem, address):
    """A certificate from the test CA of make() for one IP address (a server
    reached by address only); returns (cert, key)."""
    return _signed(folder, stem, address, "subjectAltName=IP:" + address)
