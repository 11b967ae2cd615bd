# Throw-away certificates for the loopback HTTPS server, made with openssl for one bench run.
"""make_pki(folder) writes a trusted CA, a second CA that nobody trusts, and three server
certificates: one for localhost from the trusted CA, one for localhost from the other CA, and
one for another host name from the trusted CA. Wine 8 ignores IP addresses in a certificate's
names, so every certificate names a DNS host."""

import secrets
import subprocess
from pathlib import Path
from types import SimpleNamespace

OTHER_HOST = "elsewhere.invalid"
DAYS = "3"  # a run takes minutes; short lives keep a leaked key worth nothing

SERVER_EXTENSIONS = """basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:{host}
"""


def openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)


def make_ca(folder, name, label):
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", DAYS,
            "-keyout", f"{name}.key", "-out", f"{name}.pem", "-subj", f"/O=Orvak bench/CN={label}",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)


def make_server(folder, name, host, ca):
    (folder / f"{name}.ext").write_text(SERVER_EXTENSIONS.format(host=host))
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-keyout", f"{name}.key",
            "-out", f"{name}.csr", "-subj", f"/O=Orvak bench/CN={host}", cwd=folder)
    openssl("x509", "-req", "-in", f"{name}.csr", "-CA", f"{ca}.pem", "-CAkey", f"{ca}.key",
            "-CAcreateserial", "-sha256", "-days", DAYS, "-extfile", f"{name}.ext",
            "-out", f"{name}.pem", cwd=folder)


def make_pki(folder):
    """Makes the certificates in `folder` (which must exist) and returns their paths: ca_der
    (the CA to trust, DER) and, per server identity, a (certificate, key) pair of PEM files."""
    folder = Path(folder)
    # A label of its own per run (openssl picks random serials), so that a CA left behind in
    # some store is never taken for the next run's.
    run = secrets.token_hex(4)
    make_ca(folder, "ca", f"Orvak bench CA {run}")
    make_ca(folder, "untrusted-ca", f"Orvak bench untrusted CA {run}")
    make_server(folder, "localhost", "localhost", "ca")
    make_server(folder, "untrusted", "localhost", "untrusted-ca")
    make_server(folder, "other-host", OTHER_HOST, "ca")
    openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", cwd=folder)
    def pair(name):
        return folder / f"{name}.pem", folder / f"{name}.key"

    return SimpleNamespace(ca_pem=folder / "ca.pem", ca_der=folder / "ca.der",
                           trusted=pair("localhost"), untrusted=pair("untrusted"),
                           other_host=pair("other-host"))
