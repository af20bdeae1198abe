"""A headless Chromium on a private profile, driven over the DevTools
protocol through a small WebSocket client of its own (standard library only)."""
import base64
import json
import os
import socket
import struct
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "support"))
from chromium_process import ChromiumProcess  # noqa: E402


class WebSocket:
    """Just enough of RFC 6455 for the DevTools protocol: masked text frames
    out, unmasked text frames in, fragments joined."""

    def __init__(self, url, timeout):
        assert url.startswith("ws://")
        host_port, path = url[len("ws://"):].split("/", 1)
        host, port = host_port.split(":")
        self.sock = socket.create_connection((host, int(port)), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        request = (f"GET /{path} HTTP/1.1\r\nHost: {host_port}\r\nUpgrade: websocket\r\n"
                   f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n")
        self.sock.sendall(request.encode())
        response = b""
        while b"\r\n\r\n" not in response:
            chunk = self.sock.recv(4096)
            if not chunk:
                raise ConnectionError("DevTools closed the connection during the handshake")
            response += chunk
        head, self.buffer = response.split(b"\r\n\r\n", 1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise ConnectionError(head.decode(errors="replace"))

    def _read(self, count):
        while len(self.buffer) < count:
            chunk = self.sock.recv(1 << 16)
            if not chunk:
                raise ConnectionError("DevTools closed the connection")
            self.buffer += chunk
        data, self.buffer = self.buffer[:count], self.buffer[count:]
        return data

    def send(self, text):
        payload = text.encode()
        header = bytes([0x81])
        if len(payload) < 126:
            header += bytes([0x80 | len(payload)])
        elif len(payload) < 1 << 16:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(payload))
        else:
            header += bytes([0x80 | 127]) + struct.pack(">Q", len(payload))
        mask = os.urandom(4)
        masked = bytes(b ^ mask[i % 4] for i, b in enumerate(payload))
        self.sock.sendall(header + mask + masked)

    def receive(self):
        message = b""
        while True:
            first, second = self._read(2)
            length = second & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._read(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._read(8))[0]
            payload = self._read(length)
            opcode = first & 0x0F
            if opcode == 0x8:
                raise ConnectionError("DevTools closed the WebSocket")
            if opcode in (0x9, 0xA):
                continue  # ping and pong carry nothing for us
            message += payload
            if first & 0x80:
                return message.decode()


class Tab:
    """One page of the browser, over a DevTools connection of its own."""

    def __init__(self, websocket_url, timeout):
        self.timeout = timeout
        self.socket = WebSocket(websocket_url, timeout)
        self.next_id = 0
        self.console = []
        self.events = {}  # method: the params of its events not yet taken, for the methods watched
        self.call("Page.enable")
        self.call("Runtime.enable")

    def call(self, method, **params):
        self.next_id += 1
        ident = self.next_id
        self.socket.send(json.dumps({"id": ident, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.receive())
            if message.get("id") == ident:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message.get("result", {})
            self._note(message)

    def _note(self, message):
        kind = message.get("method")
        if kind == "Runtime.consoleAPICalled":
            args = message["params"]["args"]
            self.console.append(" ".join(str(a.get("value", a.get("description", ""))) for a in args))
        elif kind == "Runtime.exceptionThrown":
            self.console.append("exception: " + json.dumps(message["params"]["exceptionDetails"])[:500])
        elif kind in self.events:
            self.events[kind].append(message["params"])

    def watch(self, method):
        """Keeps `method`'s events from now on, for next_event."""
        self.events.setdefault(method, [])

    def next_event(self, method):
        """The params of the first watched `method` event not yet taken,
        waiting for it as long as the connection's timeout."""
        deadline = time.monotonic() + self.timeout
        while not self.events[method]:
            if time.monotonic() > deadline:
                raise AssertionError(f"timed out waiting for {method}")
            self._note(json.loads(self.socket.receive()))
        return self.events[method].pop(0)

    def evaluate(self, expression, await_promise=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=await_promise, userGesture=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, what, timeout=None):
        """Polls on the browser's side, so the page's own frames decide when."""
        deadline = time.monotonic() + (timeout or self.timeout)
        while time.monotonic() < deadline:
            try:
                if self.evaluate(f"new Promise(r => requestAnimationFrame(() => r(!!({expression}))))",
                                 await_promise=True):
                    return
            except RuntimeError as error:
                # A page that is being replaced (a reload) answers nothing yet.
                if "navigated" not in str(error) and "context" not in str(error):
                    raise
                time.sleep(0.1)
        raise AssertionError(f"timed out waiting for {what}; console: {self.console[-10:]}")

    def mouse(self, kind, x, y, held):
        """`held`: whether the left button is down after the event (moves) or
        the event is about it (presses and releases)."""
        button = "left" if held or kind != "mouseMoved" else "none"
        self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button,
                  buttons=1 if held and kind != "mouseReleased" else 0,
                  clickCount=1 if kind != "mouseMoved" else 0)

    def screenshot(self):
        return base64.b64decode(self.call("Page.captureScreenshot", format="png")["data"])

    def close(self):
        self.socket.sock.close()


class Browser(Tab):
    """Chromium with a profile of its own that goes with it; its first page."""

    def __init__(self, width=1024, height=900, timeout=60, profile=None):
        self.timeout = timeout
        if profile and os.path.exists(os.path.join(profile, "DevToolsActivePort")):
            os.remove(os.path.join(profile, "DevToolsActivePort"))  # the last start's port
        self.chromium = ChromiumProcess(profile=profile, arguments=["--remote-debugging-port=0", "--disable-gpu-sandbox",
                                         "--enable-unsafe-swiftshader", "--use-angle=swiftshader",
                                         "--ignore-gpu-blocklist", f"--window-size={width},{height}",
                                         "about:blank"])
        self.profile = self.chromium.profile
        self.process = self.chromium.process
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + timeout
        while not os.path.exists(port_file) or os.path.getsize(port_file) == 0:
            if time.monotonic() > deadline or self.process.poll() is not None:
                self.close()
                raise RuntimeError("Chromium did not open its DevTools port")
            time.sleep(0.1)
        with open(port_file) as f:
            self.port = int(f.readline())
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/list", timeout=timeout))
        page = next(p for p in pages if p["type"] == "page")
        super().__init__(page["webSocketDebuggerUrl"], timeout)

    def open_tab(self, url):
        """Another page of the same browser and profile, at `url`."""
        request = urllib.request.Request(f"http://127.0.0.1:{self.port}/json/new?{url}", method="PUT")
        page = json.load(urllib.request.urlopen(request, timeout=self.timeout))
        tab = Tab(page["webSocketDebuggerUrl"], self.timeout)
        tab.target = page["id"]
        return tab

    def close_tab(self, tab):
        tab.close()
        urllib.request.urlopen(f"http://127.0.0.1:{self.port}/json/close/{tab.target}", timeout=self.timeout).read()

    def close(self, keep_profile=False):
        self.chromium.close(keep_profile=keep_profile)

