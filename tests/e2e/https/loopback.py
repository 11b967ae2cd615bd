# The bench's side of the download cases: the CA in the prefix, the server, a file holder.
"""run_e2e.py calls serve() around each case's driver run and finish() once at the end.

A case that has a "download" table gets, for the length of its run, the loopback HTTPS server
(server.py) with the reply it names, and optionally a second Windows process that holds a
work-folder file open. The first such case of a run makes the throw-away certificates and adds
the CA to the prefix's trusted roots with certadd.exe; finish() takes it out again.

case.json:
  "download": {"reply": "whole" | ... (server.REPLIES) | "none" (nothing listens),
               "identity": "trusted" (default) | "untrusted" | "other_host",
               "body": path of the body in the case folder (default: the shared fixture),
               "repeat": n (the body n times over, default 1),
               "age": {"certdata.txt": seconds} (last-write time that many seconds before
                       now, in true elapsed time, whatever the time zone does meanwhile),
               "hold_open": {"path": "certdata.txt", "share": "read" | "none"}}
  "expect": {"requests": n,            the number of GETs the server must see, each for
                                       /certdata.txt with the user agent Tolvique
             "no_connection": true,    not even a connection reached the server
             "connections": n,         the number of connections the server accepted
             "served_body_in": "certdata.txt"}   that file holds exactly the body served
"""

import contextlib
import fcntl
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time
from datetime import datetime
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import pki  # noqa: E402
import server  # noqa: E402

AGENT = "Tolvique"
PATH = "/certdata.txt"
HOLD_START_S = 30  # longest wait for the holder to have the file open
HOLD_END_S = 30
# The test build's port is fixed, so two bench runs on one machine take turns with it.
PORT_LOCK = Path(tempfile.gettempdir()) / f"orvak-e2e-port-{server.PORT}.lock"
PORT_WAIT_S = 900

_runs = {}  # prefix -> what the run has set up there


class Served:
    """What one case's server saw; problems is filled when the case's run has ended."""

    def __init__(self, log_path=None):
        self.log_path = log_path
        self.problems = []

    def entries(self):
        return server.read_log(self.log_path) if self.log_path else []


class _Run:
    def __init__(self, session, bin_dir):
        self.session = session
        self.folder = session.temp / "https"
        self.folder.mkdir(exist_ok=True)
        pki_folder = self.folder / "pki"
        pki_folder.mkdir(exist_ok=True)
        self.pki = pki.make_pki(pki_folder)
        bench = session.drive_c / "bench"
        bench.mkdir(exist_ok=True)
        for name in ("certadd.exe", "holdopen.exe"):
            shutil.copyfile(Path(bin_dir) / name, bench / name)
        shutil.copyfile(self.pki.ca_der, bench / "bench-ca.der")
        self.certadd("add")
        if self.certadd("has") != 0:
            raise RuntimeError("certadd: the bench CA is not in the prefix's Root store after "
                               "adding it")

    def certadd(self, verb):
        result = self.session.wine(["C:\\bench\\certadd.exe", verb, "C:\\bench\\bench-ca.der"],
                                   check=False)
        if verb != "has" and result.returncode != 0:
            raise RuntimeError(f"certadd {verb}: {result.stderr.decode(errors='replace')}")
        return result.returncode

    def identity(self, name):
        return {"trusted": self.pki.trusted, "untrusted": self.pki.untrusted,
                "other_host": self.pki.other_host}[name]


def _run_for(session, bin_dir):
    key = str(session.prefix)
    if key not in _runs:
        _runs[key] = _Run(session, bin_dir)
    return _runs[key]


def prompt_date_text(timestamp):
    """A file time as quelbrin's download prompt shows it in the bench's prefix: Wine 8 gives
    ja-JP the short date yyyy/M/d (months and days without leading zero, unlike Windows'
    yyyy/MM/dd) and the long time H:mm:ss; the time is left out at exactly midnight."""
    moment = datetime.fromtimestamp(timestamp)
    text = f"{moment.year}/{moment.month}/{moment.day}"
    if (moment.hour, moment.minute, moment.second) != (0, 0, 0):
        text += f" {moment.hour}:{moment.minute:02d}:{moment.second:02d}"
    return text


def _freeze_dates(case, layout):
    """{MTIME:path} in the expected boxes means the time stamp the program saw, the one the file
    has before the run (a download replaces the file): put in its date text now."""
    for entry in case.expect.get("boxes", []):
        if isinstance(entry, dict) and isinstance(entry.get("text"), list):
            entry = entry["text"]
        if isinstance(entry, list):
            for index, argument in enumerate(entry[1:], 1):
                if argument.startswith("{MTIME:") and argument.endswith("}"):
                    path = layout.unix_path(argument[len("{MTIME:"):-1])
                    entry[index] = prompt_date_text(path.stat().st_mtime)


def _port_is_free():
    with socket.socket() as probe:
        probe.settimeout(1)
        return probe.connect_ex((server.HOST, server.PORT)) != 0


class _Holder:
    """A Windows process of the prefix that keeps a work-folder file open during the run."""

    def __init__(self, session, layout, hold, folder):
        self.session = session
        self.held = folder / f"{layout.case.name}.held"
        self.release = folder / f"{layout.case.name}.release"
        for marker in (self.held, self.release):
            marker.unlink(missing_ok=True)
        args = [session.loader, "C:\\bench\\holdopen.exe", layout.windows_path(hold["path"]),
                hold.get("share", "read"), self._windows(self.held), self._windows(self.release)]
        self.process = subprocess.Popen(args, env=session.env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        deadline = time.time() + HOLD_START_S
        while not self.held.exists():
            if self.process.poll() is not None:
                raise RuntimeError(f"holdopen could not open {hold['path']} "
                                   f"(exit code {self.process.returncode})")
            if time.time() > deadline:
                self.end()
                raise RuntimeError(f"holdopen did not open {hold['path']} within {HOLD_START_S} s")
            time.sleep(0.05)

    @staticmethod
    def _windows(path):
        return "Z:" + str(path).replace("/", "\\")

    def end(self):
        self.release.touch()
        try:
            self.process.wait(timeout=HOLD_END_S)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def _check_requests(expect, entries):
    problems = []
    if expect.get("no_connection") and entries:
        kinds = ", ".join(e["event"] for e in entries)
        problems.append(f"server: expected no network access at all, got: {kinds}")
    if "connections" in expect:
        connections = sum(1 for e in entries if e["event"] == "connection")
        if connections != expect["connections"]:
            problems.append(f"server: expected {expect['connections']} connection(s), "
                            f"got {connections}")
    if "requests" not in expect:
        return problems
    requests = [e for e in entries if e["event"] == "request"]
    if len(requests) != expect["requests"]:
        problems.append(f"server: expected {expect['requests']} request(s), got {len(requests)}")
    for number, request in enumerate(requests, 1):
        got = (request["method"], request["path"], request["user_agent"])
        if got != ("GET", PATH, AGENT):
            problems.append(f"server request {number}: expected GET {PATH} with user agent "
                            f"{AGENT}, got {got[0]} {got[1]} with user agent {got[2]}")
    return problems


def _set_ages(layout, ages):
    """Sets last-write times a true number of seconds back, on an even second as MS-DOS time
    stamps keep them, so that the date text of the file is what the program shows."""
    now = int(time.time())
    for relative, seconds in ages.items():
        stamp = now - int(seconds)
        stamp -= stamp % 2
        os.utime(layout.unix_path(relative), (stamp, stamp), follow_symlinks=False)


def _check_body(layout, relative, body):
    """The file must hold exactly what the server sent as the body."""
    path = layout.unix_path(relative)
    if not path.is_file():
        return [f"{relative}: expected the served body there, there is no such file"]
    size = path.stat().st_size
    if size != len(body):
        return [f"{relative}: expected the served body of {len(body)} bytes, got {size} bytes"]
    with path.open("rb") as got:
        for offset, piece in _offsets(body.pieces()):
            if got.read(len(piece)) != piece:
                return [f"{relative}: differs from the served body within bytes {offset} to "
                        f"{offset + len(piece)}"]
    return []


def _offsets(pieces):
    offset = 0
    for piece in pieces:
        yield offset, piece
        offset += len(piece)


@contextlib.contextmanager
def _port_turn():
    """Holds the machine-wide lock of the port for the length of one case; yields whether it
    got it."""
    with PORT_LOCK.open("a") as lock:
        deadline = time.time() + PORT_WAIT_S
        while True:
            try:
                fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
                break
            except BlockingIOError:
                if time.time() > deadline:
                    yield False
                    return
                time.sleep(0.2)
        try:
            yield True
        finally:
            fcntl.flock(lock, fcntl.LOCK_UN)


@contextlib.contextmanager
def serve(session, case, layout, bin_dir):
    """Runs the case's server (and file holder) around the body of the with statement."""
    download = case.definition.get("download")
    if download is None:
        yield Served()
        return
    run = _run_for(session, bin_dir)
    _set_ages(layout, download.get("age", {}))
    _freeze_dates(case, layout)
    with _port_turn() as turn:
        if not turn:
            served = Served()
            served.problems.append(f"port {server.PORT} stayed taken by another bench run for "
                                   f"{PORT_WAIT_S} s")
            yield served
            return
        with _serving(session, case, layout, run, download) as served:
            yield served


@contextlib.contextmanager
def _serving(session, case, layout, run, download):
    logs = run.folder / "logs"
    logs.mkdir(exist_ok=True)
    served = Served(logs / f"{case.name}.log")
    served.log_path.write_text("")
    reply = download.get("reply", "whole")
    loopback = None
    if reply == "none":
        if not _port_is_free():
            served.problems.append(f"something listens on port {server.PORT}; the case needs "
                                   "it free")
    else:
        source = download.get("body")
        body = server.Body(case.folder / source if source else server_body_path(),
                           download.get("repeat", 1))
        certificate, key = run.identity(download.get("identity", "trusted"))
        try:
            loopback = server.LoopbackServer(certificate, key, reply, body, served.log_path).start()
        except OSError as error:
            served.problems.append(f"the loopback server cannot listen on port {server.PORT}: "
                                   f"{error}")
    holder = None
    try:
        if download.get("hold_open"):
            try:
                holder = _Holder(session, layout, download["hold_open"], logs)
            except RuntimeError as error:
                served.problems.append(str(error))
        yield served
    finally:
        if holder:
            holder.end()
        if loopback:
            loopback.stop()
    served.problems += _check_requests(case.expect, served.entries())
    if "served_body_in" in case.expect and loopback:
        served.problems += _check_body(layout, case.expect["served_body_in"], loopback.body)


def server_body_path():
    import case_setup  # the bench's own module: where the shared fixture is

    return case_setup.FIXTURE_CERTDATA


def finish(session):
    """Takes the CA out of the prefix again (the certificates go with the session's folder).
    True, after saying so, when it is still there."""
    run = _runs.pop(str(session.prefix), None)
    if not run:
        return False
    try:
        run.certadd("remove")
        if run.certadd("has") == 0:
            raise RuntimeError("certadd: it is still in the prefix's Root store")
    except (RuntimeError, OSError, subprocess.SubprocessError) as error:
        print(f"FAIL removing the bench CA from the prefix: {error}", flush=True)
        return True
    return False
