"""The context menu of the real Ticker.exe, read from the screen and driven by the mouse.

"Update Now" is grayed while a refresh runs (the ticker's requests go to a proxy that holds
them) and enabled once it has ended, and choosing it starts another refresh; "Search Window"
is checked exactly while the search box is wanted, whether the menu or the search button
switched it; a right click in the search box opens the ticker's menu; "Expand / Collapse"
moves the ticker into the bar along the bottom of the screen and back on the next placement
tick; "Exit" ends the program and gives the notification area its room back.
"""
import socket
import threading

import chrome_scene as cs
from chrome_scene import check, Failure


class HoldingProxy:
    """An HTTP proxy that keeps every request waiting until released, then answers 503."""

    def __init__(self):
        self.listener = socket.socket()
        self.listener.bind(("127.0.0.1", 0))
        self.listener.listen(16)
        self.port = self.listener.getsockname()[1]
        self.requests = 0
        self.released = threading.Event()
        self.lock = threading.Lock()
        threading.Thread(target=self._accept, daemon=True).start()

    def _accept(self):
        while True:
            try:
                conn, _ = self.listener.accept()
            except OSError:
                return
            threading.Thread(target=self._serve, args=(conn,), daemon=True).start()

    def _serve(self, conn):
        with conn:
            conn.settimeout(600)
            try:
                data = b""
                while b"\r\n\r\n" not in data:
                    chunk = conn.recv(4096)
                    if not chunk:
                        return
                    data += chunk
                with self.lock:
                    self.requests += 1
                self.released.wait(600)
                conn.sendall(b"HTTP/1.0 503 Service Unavailable\r\nContent-Length: 0\r\n"
                             b"Connection: close\r\n\r\n")
            except OSError:
                pass

    def hold(self):
        self.released.clear()

    def release(self):
        self.released.set()

    def close(self):
        self.released.set()
        self.listener.close()


def menu_state(scene, x=120, y=8):
    items = scene.open_menu(x, y)
    scene.close_menu()
    return {i["name"]: i for i in items}


def refresh_and_update_now(scene, proxy):
    check(scene.s.wait_for(lambda: proxy.requests >= 1, cs.WAIT),
          "the first refresh never reached the network")
    state = menu_state(scene)
    check(not state["Update Now"]["enabled"], "Update Now is not grayed during a refresh")
    for name in cs.MENU_ITEMS:
        if name != "Update Now":
            check(state[name]["enabled"], f"{name} should be enabled")
    check(not state["Search Window"]["checked"], "Search Window checked without a box")

    proxy.release()
    check(scene.s.wait_for(lambda: menu_state(scene)["Update Now"]["enabled"], 90, 1.0),
          "Update Now stayed grayed after the refresh ended")

    # Choosing it starts a refresh: the proxy sees a new request and the item is gray again.
    proxy.hold()
    seen = proxy.requests
    scene.choose(scene.open_menu(), "Update Now")
    check(scene.s.wait_for(lambda: proxy.requests > seen, cs.WAIT),
          "Update Now did not start a refresh")
    check(not menu_state(scene)["Update Now"]["enabled"], "grayed again while it runs")
    proxy.release()
    check(scene.s.wait_for(lambda: menu_state(scene)["Update Now"]["enabled"], 90, 1.0),
          "Update Now stayed grayed after the second refresh")


def search_window_check(scene):
    box = lambda: scene.child_of_ticker("Edit")  # noqa: E731
    scene.choose(scene.open_menu(), "Search Window")
    check(scene.s.wait_for(box, cs.WAIT), "the menu did not open the search box")
    check(menu_state(scene)["Search Window"]["checked"], "not checked while the box is open")

    scene.mouse("click", -70, 5)  # the search button closes it
    check(scene.s.wait_for(lambda: not box(), cs.WAIT), "the search button did not close it")
    check(not menu_state(scene)["Search Window"]["checked"], "checked with the box closed")

    scene.mouse("click", -70, 5)  # and opens it again
    check(scene.s.wait_for(box, cs.WAIT), "the search button did not open the box")
    check(menu_state(scene)["Search Window"]["checked"], "not checked after the button")

    # A right click inside the box opens the ticker's own menu, not the edit control's.
    b = box()
    t = scene.ticker()
    inside = (b["rect"][0] - t["rect"][0] + 40, b["rect"][1] - t["rect"][1] + 5)
    check(inside[0] < t["cw"] - 76, "the point is not over the box")
    state = menu_state(scene, *inside)
    check(state["Search Window"]["checked"], "the box's right click did not open our menu")

    scene.choose(scene.open_menu(), "Search Window")
    check(scene.s.wait_for(lambda: not box(), cs.WAIT), "the menu did not close the box")


def expand_collapse(scene):
    def parent_class():
        t = scene.ticker()
        info, _ = scene.s.probe("info", t["parent"]) if t and t["parent"] else ([{}], 1)
        return info[0].get("class") if info else None

    check(parent_class() == "TrayNotifyWnd", "not docked to begin with")
    scene.choose(scene.open_menu(), "Expand / Collapse")
    check(scene.s.wait_for(lambda: parent_class() == "SSBar" and
                           scene.ticker()["cw"] == cs.winetest.SCREEN[0], cs.WAIT),
          "Expand did not move the ticker into a full-width bar")
    scene.choose(scene.open_menu(), "Expand / Collapse")
    check(scene.s.wait_for(lambda: parent_class() == "TrayNotifyWnd", cs.WAIT),
          "Collapse did not dock the ticker again")


def exit_program(scene):
    check(scene.icon_count() > scene.base_icons, "the ticker holds no reserve icons")
    scene.choose(scene.open_menu(), "Exit")
    check(scene.s.probe("wait-gone", "Ticker", str(int(cs.WAIT * 1000)))[1] == 0,
          "the ticker window is still there")
    try:
        scene.ticker_proc.wait(timeout=cs.WAIT)
    except Exception:
        raise Failure("the ticker process did not end")
    check(scene.icon_count() == scene.base_icons, "the reserve icons were not removed")


def main():
    proxy = HoldingProxy()
    try:
        with cs.winetest.WineSession("e2e_menu") as session:
            session.env["http_proxy"] = f"http://127.0.0.1:{proxy.port}"
            session.env["no_proxy"] = ""
            scene = cs.TickerScene(session)
            scene.start()
            for step in (lambda s: refresh_and_update_now(s, proxy), search_window_check,
                         expand_collapse, exit_program):
                print(f"-- {getattr(step, '__name__', 'step')}", flush=True)
                step(scene)
    finally:
        proxy.close()
    print("ok")


if __name__ == "__main__":
    cs.run(main)
