#!/usr/bin/env python3
"""A stand-in for the update server, for the HTTP client tests.

Every address has the form /s/<scenario>/<path>, so one server plays every case; the
program is pointed at http://127.0.0.1:<port>/s/<scenario> through QEL_UPDATE_URL.

usage: update_server.py WORKDIR [--tls CERT KEY]
Writes WORKDIR/port (the port it listens on), WORKDIR/installer.bin (the installer it
serves) and appends one line per request to WORKDIR/requests.log: "<path>\t<User-Agent>".
Version pages that the test writes into WORKDIR/pages/ (signed with its own key) take the
place of the built-in ones: see signed_page.
"""
import os
import random
import socket
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

VERSION = "/download/version/rizavurozadada-version.html"
CHANGES = "/download/version/rizavurozadada-changes.html"
INSTALLERS = ("/download/rizavurozadada.exe", "/download/rizavurozadada.deb")

WORKDIR = sys.argv[1]
TLS = len(sys.argv) >= 5 and sys.argv[2] == "--tls"
SCHEME = "https" if TLS else "http"
if os.environ.get("QEL_TEST_INSTALLER"):
    # A real program to serve, for the tests that see the downloaded installer started.
    with open(os.environ["QEL_TEST_INSTALLER"], "rb") as f:
        INSTALLER = f.read()
else:
    INSTALLER = random.Random(24).randbytes(300 * 1024)
LOG_LOCK = threading.Lock()

PAGES = {
    "ok": ("25/20\r\nsecond line is ignored\r\n", "\r\nFaster clicks\r\n\r\n  \r\n<b>Macros</b>\r\n"),
    "mandatory": ("25/25", "Must update\n"),
    "current": ("24/20", "Nothing new\n"),
    "garbage": ("<html>version</html>", "x\n"),
}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        with LOG_LOCK, open(os.path.join(WORKDIR, "requests.log"), "a") as log:
            log.write(f"{self.path}\t{self.headers.get('User-Agent', '')}\n")
        parts = self.path.split("/", 3)  # "", "s", scenario, rest
        if len(parts) < 4 or parts[1] not in ("s", "r"):
            return self.plain(404, b"not here")
        if parts[1] == "r":
            return self.redirect_chain(parts[2], "/" + parts[3])
        scenario, path = parts[2], "/" + parts[3]
        try:
            if path in (VERSION, CHANGES):
                return self.page(scenario, path)
            if path in INSTALLERS:
                return self.installer(scenario, path)
        except (BrokenPipeError, ConnectionResetError):
            return
        return self.plain(404, b"not here")

    # ---- pages ----
    def page(self, scenario, path):
        if scenario.startswith("redirect"):
            # redirectN: both pages reach their content through N redirects.
            hops = int(scenario[len("redirect"):])
            return self.redirect_chain(f"{hops}-ok", path)
        if scenario == "tohttp":
            # From this server to the plain-http one, which would serve the offer.
            with open(os.path.join(WORKDIR, "port")) as f:
                return self.moved(f"http://127.0.0.1:{f.read().strip()}/s/ok{path}")
        if scenario == "nochanges" and path == CHANGES:
            return self.plain(404, b"no changes page")
        if scenario == "silent":
            # Accepts the request and never answers.
            time.sleep(60)
            return
        version, changes = PAGES.get(scenario, PAGES["ok"])
        if path == VERSION:
            signed = self.signed_page(scenario)
            if signed is not None:
                return self.plain(200, signed)
        body = version if path == VERSION else changes
        return self.plain(200, body.encode())

    def signed_page(self, scenario):
        """The version page the test wrote for this scenario (pages/<scenario>-version.txt),
        else, for the offers of version 2.5, the one signed with the test key."""
        own = os.path.join(WORKDIR, "pages", f"{scenario}-version.txt")
        shared = os.path.join(WORKDIR, "pages", "signed-version.txt")
        for name in (own, shared) if scenario == "ok" or scenario not in PAGES else (own,):
            if os.path.exists(name):
                with open(name, "rb") as f:
                    return f.read()
        return None

    def redirect_chain(self, spec, path):
        hops, target = spec.split("-", 1)
        hops = int(hops)
        if hops == 0:
            return self.page(target, path) if path in (VERSION, CHANGES) else self.installer(target, path)
        # Alternate absolute and relative Location values: both must be understood.
        nxt = f"/r/{hops - 1}-{target}{path}"
        if hops % 2:
            nxt = f"{SCHEME}://127.0.0.1:{self.server.server_port}{nxt}"
        self.send_response(302)
        self.send_header("Location", nxt)
        self.send_header("Content-Length", "0")
        self.end_headers()

    # ---- the installer ----
    def installer(self, scenario, path):
        if scenario == "installer404":
            return self.plain(404, b"no installer")
        if scenario == "installerredirect":
            self.send_response(302)
            self.send_header("Location", f"/s/ok{path}")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if scenario == "chunked":
            self.send_response(200)
            self.send_header("Transfer-Encoding", "chunked")
            self.end_headers()
            for i in range(0, len(INSTALLER), 7000):
                piece = INSTALLER[i:i + 7000]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                self.wfile.flush()
                time.sleep(0.005)
            self.wfile.write(b"0\r\n\r\n")
            return
        if scenario == "nolength":
            self.send_response(200)
            self.send_header("Connection", "close")
            self.end_headers()
            self.close_connection = True
            self.send_slowly(INSTALLER, 8000, 0.005)
            return
        if scenario == "drop":
            self.send_response(200)
            self.send_header("Content-Length", str(len(INSTALLER)))
            self.end_headers()
            self.wfile.write(INSTALLER[:20000])
            self.wfile.flush()
            self.close_connection = True
            self.connection.shutdown(socket.SHUT_RDWR)
            return
        if scenario == "stall":
            # A little, then nothing at all for a long time.
            self.send_response(200)
            self.send_header("Content-Length", str(len(INSTALLER)))
            self.end_headers()
            self.wfile.write(INSTALLER[:1024])
            self.wfile.flush()
            time.sleep(120)
            return
        if scenario == "slow":
            self.send_response(200)
            self.send_header("Content-Length", str(50 * 1024 * 1024))
            self.end_headers()
            for _ in range(600):
                self.wfile.write(b"\0" * 1024)
                self.wfile.flush()
                time.sleep(0.1)
            return
        data = INSTALLER
        if scenario == "flipped":
            # One bit of the middle byte changed on the way.
            middle = len(data) // 2
            data = data[:middle] + bytes([data[middle] ^ 1]) + data[middle + 1:]
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.send_slowly(data, 16000, 0.005)

    def send_slowly(self, data, step, pause):
        for i in range(0, len(data), step):
            self.wfile.write(data[i:i + step])
            self.wfile.flush()
            time.sleep(pause)

    def moved(self, location):
        self.send_response(302)
        self.send_header("Location", location)
        self.send_header("Content-Length", "0")
        self.end_headers()

    def plain(self, status, body):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    if TLS:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[3], sys.argv[4])
        server.socket = context.wrap_socket(server.socket, server_side=True)
        portfile = "tls_port"
    else:
        portfile = "port"
        with open(os.path.join(WORKDIR, "installer.bin"), "wb") as f:
            f.write(INSTALLER)
    tmp = os.path.join(WORKDIR, portfile + ".tmp")
    with open(tmp, "w") as f:
        f.write(str(server.server_port))
    os.replace(tmp, os.path.join(WORKDIR, portfile))
    server.serve_forever()


if __name__ == "__main__":
    main()
