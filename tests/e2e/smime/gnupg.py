# The real GnuPG for the S/MIME cases: a throw-away CA and signer, a signed message, a gpgsm home, a verify.
"""Everything runs the Linux gpgsm, gpg-agent and openssl of this machine, offline.

A case's home is the portable home in its work folder, a path too long for a Unix socket
address; each of gpg-agent's sockets there is therefore a redirection file (libassuan's
"%Assuan%" form) naming a socket in a short temporary folder."""

import atexit
import hashlib
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path
from types import SimpleNamespace

SOCKETS = ("S.gpg-agent", "S.gpg-agent.extra", "S.gpg-agent.browser", "S.gpg-agent.ssh")
# gpgsm asks no one and fetches nothing: no CRLs, no dirmngr, no key server.
GPGSM_CONF = "disable-crl-checks\ndisable-dirmngr\ndisable-policy-checks\n"
# Without this gpgsm could ask the agent to add the root to trustlist.txt itself.
AGENT_CONF = "no-allow-mark-trusted\n"
EMAIL = "alice@example.org"
MESSAGE = b"A signed message for the bench.\r\n"
# Plain English texts from GnuPG whatever this machine's locale.
C_LOCALE = dict(os.environ, LC_ALL="C", LANGUAGE="C")
TIMEOUT_S = 60


def openssl(*args, cwd):
    result = subprocess.run(["openssl"] + list(args), cwd=cwd, capture_output=True, text=True,
                            timeout=TIMEOUT_S)
    if result.returncode != 0:
        raise RuntimeError(f"openssl {args[0]} failed: {result.stderr.strip()[-300:]}")


def make_certificates(folder):
    """A root CA and an e-mail certificate it issued, and a detached CMS signature made with
    it. Returns the paths and the CA's DER bytes."""
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "signer.ext").write_text("basicConstraints=critical,CA:FALSE\n"
                                       "keyUsage=critical,digitalSignature,keyEncipherment\n"
                                       "extendedKeyUsage=emailProtection\n"
                                       f"subjectAltName=email:{EMAIL}\n")
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem",
            "-days", "30", "-subj", "/O=Orvak Bench/CN=Orvak Bench Mail Root",
            "-addext", "basicConstraints=critical,CA:TRUE",
            "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
            "-subj", f"/CN=Alice Bench/emailAddress={EMAIL}", cwd=folder)
    openssl("x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
            "-CAcreateserial", "-days", "30", "-extfile", "signer.ext", "-out", "signer.pem",
            cwd=folder)
    openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", cwd=folder)
    (folder / "message.txt").write_bytes(MESSAGE)
    openssl("cms", "-sign", "-binary", "-in", "message.txt", "-signer", "signer.pem",
            "-inkey", "signer.key", "-outform", "DER", "-out", "message.p7s", cwd=folder)
    return certificates_in(folder)


def certificates_in(folder):
    """The files that make_certificates left in the folder."""
    ca_der = (folder / "ca.der").read_bytes()
    return SimpleNamespace(folder=folder, ca_pem=folder / "ca.pem", signer_pem=folder / "signer.pem",
                           message=folder / "message.txt", signature=folder / "message.p7s",
                           ca_der=ca_der, ca_sha1=hashlib.sha1(ca_der).digest())


def make_home(home, pki):
    """A gpgsm home holding the CA and the signer, its agent's sockets redirected to a short
    folder that goes when the bench ends."""
    home.mkdir(parents=True, exist_ok=True)
    home.chmod(0o700)
    (home / "gpgsm.conf").write_text(GPGSM_CONF)
    (home / "gpg-agent.conf").write_text(AGENT_CONF)
    sockets = Path(tempfile.mkdtemp(prefix="e2e-gs-"))
    atexit.register(shutil.rmtree, sockets, ignore_errors=True)
    for name in SOCKETS:
        (home / name).write_text(f"%Assuan%\nsocket={sockets / name}\n")
    result = subprocess.run(["gpgsm", "--homedir", str(home), "--batch", "--import",
                             str(pki.ca_pem), str(pki.signer_pem)],
                            capture_output=True, text=True, env=C_LOCALE, timeout=TIMEOUT_S)
    if "imported: 2" not in result.stderr:
        raise RuntimeError(f"gpgsm did not import the two certificates: {result.stderr[-400:]}")


def verify(home, pki, autostart=True):
    """gpgsm --verify of the detached signature; the status lines tell good from untrusted."""
    args = ["gpgsm", "--homedir", str(home), "--batch", "--status-fd", "1"]
    args += [] if autostart else ["--no-autostart"]
    result = subprocess.run(args + ["--verify", str(pki.signature), str(pki.message)],
                            capture_output=True, text=True, env=C_LOCALE, timeout=TIMEOUT_S)
    status = set(re.findall(r"^\[GNUPG:\] (\w+)", result.stdout, re.M))
    return SimpleNamespace(code=result.returncode, status=status, stdout=result.stdout,
                           stderr=result.stderr, good="GOODSIG" in status and "TRUST_FULLY" in status
                           and result.returncode == 0)


def untrusted_root(result):
    """The signature itself is sound and only its root is not trusted."""
    return ("GOODSIG" in result.status and "TRUST_FULLY" not in result.status and result.code != 0
            and "root certificate is not marked trusted" in result.stderr)


def describe(result):
    return (f"exit {result.code}, status {sorted(result.status)}, "
            f"gpgsm said {result.stderr.strip()[-300:]!r}")


def agent(home, *commands, autostart=True):
    args = ["gpg-connect-agent", "--homedir", str(home)] + ([] if autostart else ["--no-autostart"])
    return subprocess.run(args + list(commands) + ["/bye"], capture_output=True, text=True,
                          env=C_LOCALE, timeout=TIMEOUT_S)


def agent_pid(home, autostart=True):
    """The pid of the home's running gpg-agent (started if need be), or None."""
    match = re.search(r"^D (\d+)$", agent(home, "GETINFO pid", autostart=autostart).stdout, re.M)
    return int(match.group(1)) if match else None


def stop_agent_at_exit(home, pid):
    """The bench's end stops the agent even when the case's check never runs."""
    def stop():
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    atexit.register(stop)


def kill_agent(home):
    subprocess.run(["gpgconf", "--homedir", str(home), "--kill", "gpg-agent"],
                   capture_output=True, env=C_LOCALE, timeout=TIMEOUT_S)


def wait_for(probe, accept, seconds=20, step=0.2):
    """Wine starts a symlinked Linux gpgconf without giving quelbrin a handle to wait on, so
    its reload may still be on its way when the program has ended: probe again until the
    result is accepted or the time is up. Returns the last result."""
    deadline = time.time() + seconds
    while True:
        result = probe()
        if accept(result) or time.time() > deadline:
            return result
        time.sleep(step)


def managed_entries(trustlist):
    """The entry lines of the managed block of a saved trust list, in order."""
    lines = trustlist.read_bytes().decode("ascii").split("\r\n")
    begin = lines.index("# BEGIN - Mozilla CA Certificate Store")
    end = lines.index("# END - Mozilla CA Certificate Store")
    return [line for line in lines[begin + 1:end] if not line.startswith("# UPDATE: ")]


def keep_times(path, write):
    """Runs write() on the file and gives it back its last-write time, the one a case dated."""
    before = path.stat()
    write()
    os.utime(path, (before.st_atime, before.st_mtime))
