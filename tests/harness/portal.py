# The one way a test or the demo starts a web server: the portal server (tools/portal) on a
# port of its own choice, or, given `answer`, a little server of the test's own with the same
# face. Either is stopped by stop() and in any case by the session's close().
import json
import re
import subprocess
import threading
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

import winetest

PORTAL_EXE = winetest.BUILD / "tools" / "portal" / "portal"


class Portal:
    # One web server run. Options are the portal's own (`--frozen`, `--raw-reply FILE`, ...).
    #
    # answer(request) -> (status, body bytes), called on a thread of its own for every request
    # (a dict like the portal's log lines: method, target, path, query, host, headers), makes it
    # the test's own server instead; it may wait before it answers, and a body that is not bytes
    # but an iterable of byte pieces is sent piece by piece as it yields them, with no length,
    # until it ends or the client goes. requests() lists what came, in the portal's log format
    # either way; proxy is the http_proxy value that routes here.

    def __init__(self, session, name="portal", *options, port=0, bind="127.0.0.1", answer=None):
        self.session, self.proc, self.server = session, None, None
        self.log = session.work / f"{name}.log"
        self.log.write_text("")
        if answer:
            self._serve(answer, bind, port)
            return
        out = session.work / f"{name}.out"
        self.proc = session.spawn_native(PORTAL_EXE, "--bind", bind, "--port", port, "--log",
                                         self.log, *options, log=out)
        match = session.wait_for(lambda: re.search(
            r"portal listening on [\d.]+:(\d+)", out.read_text(errors="replace")), 15)
        if not match:
            self.stop()
            raise RuntimeError(f"portal did not start: {out.read_text(errors='replace')}")
        self.port = int(match.group(1))

    def _serve(self, answer, bind, port):
        lock, log = threading.Lock(), self.log

        class Handler(BaseHTTPRequestHandler):
            def do_GET(self):
                parts = urlsplit(self.path)
                request = {"method": self.command, "target": self.path, "path": parts.path,
                           "query": parts.query, "host": parts.hostname or "",
                           "headers": dict(self.headers.items())}
                with lock, open(log, "a") as out:
                    out.write(json.dumps(request) + "\n")
                status, body = answer(request)
                self.send_response(status)
                if isinstance(body, bytes):
                    self.send_header("Content-Length", str(len(body)))
                    body = [body]
                self.end_headers()
                try:
                    for piece in body:
                        self.wfile.write(piece)
                        self.wfile.flush()
                except OSError:
                    pass  # the client went

            def log_message(self, *args):
                pass

        self.server = ThreadingHTTPServer((bind, port), Handler)
        self.server.daemon_threads = True
        self.port = self.server.server_address[1]
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.session.on_close(self.stop)

    def requests(self):
        return [json.loads(line) for line in self.log.read_text(errors="replace").splitlines()
                if line.strip()]

    def stop(self):
        if self.server:
            self.server.shutdown()
            self.server.server_close()
            self.server = None
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    @property
    def proxy(self):
        # The value of http_proxy that routes the ticker's requests here.
        return f"http://127.0.0.1:{self.port}"
