#!/usr/bin/env python3
# The bench's loopback HTTPS server: answers quelbrin_testurl's download in the way a case chose.
"""Listens on 127.0.0.1:48443 only and answers every GET with one reply chosen per case
(REPLIES below). Every connection, failed TLS handshake and request (method, path, headers)
goes as one JSON line into a log file, so that a case can tell that nothing was asked at all.

By hand:  server.py --reply whole --folder /tmp/pki --log /tmp/requests.log
(makes the certificates in --folder when they are not there yet, serves until Ctrl-C)."""

import argparse
import json
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

HOST = "127.0.0.1"
PORT = 48443
PIECE = 65536  # bytes per write and per chunk of a chunked reply

HTML_PAGE = (b"<!DOCTYPE html>\n<html><head><title>Sign in</title></head>\n"
             b"<body><p>Please sign in to continue.</p></body></html>\n")

# reply -> what the server does after reading a GET
REPLIES = {
    "whole": "200, the body with Content-Length",
    "chunked": "200, the body in chunked transfer encoding, no Content-Length",
    "not_found": "404 with a small HTML page",
    "server_error": "500 with a small HTML page",
    "empty": "200 with Content-Length: 0",
    "html": "200 with an HTML page instead of the root list",
    "cut": "200 announcing the whole body, half of it sent, then the connection dropped",
    "chunked_cut": "200 in chunked transfer encoding, half of the body sent, then the connection "
                   "dropped",
    "slow": "200 with Content-Length, the body dribbled over about four seconds",
}


class Body:
    """The root list `repeat` times over, produced piece by piece so a big body costs no memory."""

    def __init__(self, path, repeat=1):
        self.data = Path(path).read_bytes()
        self.repeat = repeat

    def __len__(self):
        return len(self.data) * self.repeat

    def pieces(self, limit=None):
        left = len(self) if limit is None else limit
        while left > 0:
            for start in range(0, len(self.data), PIECE):
                piece = self.data[start:start + PIECE][:left]
                if not piece:
                    return
                yield piece
                left -= len(piece)
                if left <= 0:
                    return


class RequestLog:
    def __init__(self, path):
        self.path = Path(path)
        self.lock = threading.Lock()
        self.path.write_text("")

    def write(self, **entry):
        entry["time"] = round(time.time(), 3)
        with self.lock, self.path.open("a") as log:
            log.write(json.dumps(entry) + "\n")


def read_log(path):
    path = Path(path)
    if not path.exists():
        return []
    return [json.loads(line) for line in path.read_text().splitlines() if line.strip()]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "OrvakBench/1.0"
    timeout = 60  # no connection of a case lives longer; ends the threads of abandoned ones

    def handle(self):
        peer = "%s:%d" % self.client_address
        self.server.log.write(event="connection", peer=peer)
        try:
            self.connection.do_handshake()
        except (ssl.SSLError, OSError) as error:
            self.server.log.write(event="handshake_failed", peer=peer, error=str(error))
            return
        try:
            super().handle()
        except (ConnectionError, ssl.SSLError, socket.timeout):
            pass  # the client went away; what it asked for is logged already

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        pass  # the JSON log says it all

    def do_GET(self):  # noqa: N802 - the base class's name
        self.server.log.write(event="request", method=self.command, path=self.path,
                              version=self.request_version,
                              user_agent=self.headers.get("User-Agent"),
                              headers=[[k, v] for k, v in self.headers.items()])
        reply = self.server.reply
        body = self.server.body
        if reply == "whole":
            self.head(200, "text/plain", len(body))
            self.send(body.pieces())
        elif reply in ("chunked", "chunked_cut"):
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            whole = reply == "chunked"
            for piece in body.pieces(None if whole else len(body) // 2):
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
            if whole:
                self.wfile.write(b"0\r\n\r\n")
            else:
                self.drop()
        elif reply in ("not_found", "server_error"):
            code = 404 if reply == "not_found" else 500
            page = b"<html><body><h1>%d</h1></body></html>\n" % code
            self.head(code, "text/html", len(page))
            self.wfile.write(page)
        elif reply == "empty":
            self.head(200, "text/plain", 0)
        elif reply == "html":
            self.head(200, "text/html", len(HTML_PAGE))
            self.wfile.write(HTML_PAGE)
        elif reply == "cut":
            self.head(200, "text/plain", len(body))
            self.send(body.pieces(len(body) // 2))
            self.drop()
        elif reply == "slow":
            self.head(200, "text/plain", len(body))
            # A first piece smaller than the reader's smallest chunk, then the rest in steps.
            data = b"".join(body.pieces())
            time.sleep(0.5)
            self.wfile.write(data[:100])
            time.sleep(0.5)
            steps = 20
            size = -(-(len(data) - 100) // steps)
            for start in range(100, len(data), size):
                self.wfile.write(data[start:start + size])
                time.sleep(0.15)
        else:
            raise ValueError(f"unknown reply {reply}")

    def drop(self):
        """Ends the connection without TLS close_notify, as a broken line would."""
        self.wfile.flush()
        self.connection.shutdown(socket.SHUT_RDWR)
        self.close_connection = True

    def head(self, code, content_type, length):
        self.send_response(code)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def send(self, pieces):
        for piece in pieces:
            self.wfile.write(piece)


class LoopbackServer(ThreadingHTTPServer):
    daemon_threads = True
    block_on_close = False

    def __init__(self, certificate, key, reply, body, log_path, port=PORT):
        if reply not in REPLIES:
            raise ValueError(f"unknown reply {reply!r}; known: {', '.join(REPLIES)}")
        self.reply = reply
        self.body = body
        self.log = RequestLog(log_path)
        self.context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        self.context.load_cert_chain(certificate, key)
        super().__init__((HOST, port), Handler)
        self.thread = None

    def get_request(self):
        sock, address = super().get_request()
        # The handshake runs in the connection's own thread, where its failure is logged.
        wrapped = self.context.wrap_socket(sock, server_side=True, do_handshake_on_connect=False)
        return wrapped, address

    def start(self):
        self.thread = threading.Thread(target=self.serve_forever, kwargs={"poll_interval": 0.1},
                                       daemon=True)
        self.thread.start()
        return self

    def stop(self):
        self.shutdown()
        self.server_close()
        self.thread.join(timeout=5)


def main():
    sys.path.insert(0, str(Path(__file__).resolve().parent))
    import pki

    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--reply", default="whole", choices=sorted(REPLIES))
    parser.add_argument("--identity", default="trusted",
                        choices=["trusted", "untrusted", "other_host"])
    parser.add_argument("--body", default="/work/shared/fixtures/certdata.txt")
    parser.add_argument("--repeat", type=int, default=1)
    parser.add_argument("--folder", required=True, help="where the certificates are or go")
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=PORT)
    options = parser.parse_args()
    folder = Path(options.folder)
    folder.mkdir(parents=True, exist_ok=True)
    if not (folder / "ca.der").exists():
        pki.make_pki(folder)
    certificate, key = {"trusted": ("localhost.pem", "localhost.key"),
                        "untrusted": ("untrusted.pem", "untrusted.key"),
                        "other_host": ("other-host.pem", "other-host.key")}[options.identity]
    server = LoopbackServer(folder / certificate, folder / key, options.reply,
                            Body(options.body, options.repeat), options.log, options.port)
    print(f"https://localhost:{options.port}/ ({options.reply}); CA {folder / 'ca.der'}",
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    server.server_close()


if __name__ == "__main__":
    main()
