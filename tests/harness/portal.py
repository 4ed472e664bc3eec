"""The portal server, run for a test or the demo: started on a free port of its own choice,
stopped by stop() (and by the session's close() in any case)."""
import json
import re
import subprocess

import winetest

PORTAL_EXE = winetest.BUILD / "tools" / "portal" / "portal"


class Portal:
    """One run of the portal server, stopped by stop() (and by the session's close())."""

    def __init__(self, session, name, *options, port=0):
        self.session = session
        self.log = session.work / f"{name}.log"
        self.out = session.work / f"{name}.out"
        self.log.write_text("")
        self.proc = session.spawn_native(PORTAL_EXE, "--port", port, "--log", self.log,
                                         *options, log=self.out)
        match = session.wait_for(lambda: re.search(
            r"portal listening on 127\.0\.0\.1:(\d+)",
            self.out.read_text(errors="replace") if self.out.exists() else ""), 15)
        if not match:
            self.stop()
            raise RuntimeError(f"portal did not start: {self.out.read_text(errors='replace')}")
        self.port = int(match.group(1))

    def requests(self):
        lines = self.log.read_text(errors="replace").splitlines()
        return [json.loads(line) for line in lines if line.strip()]

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    @property
    def proxy(self):
        """The value of http_proxy that routes the ticker's requests here."""
        return f"http://127.0.0.1:{self.port}"

