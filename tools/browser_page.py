#!/usr/bin/env python3
"""The browser build served on this machine and headless Chromium driven against it: the test of the
browser build (tests/web/browser_frames.py) and the browser's measures (bench/browser_rates.py) use
these. Only the loopback address is served; Chromium runs with software WebGL (SwiftShader).

  serve(build_web, files)       the folder and a few extra files on 127.0.0.1, and what the page posts back
  run_browser(...)              one page load in a headless Chromium, until the page says it is done
  DevTools(profile, log, w, h)  a headless Chromium driven through the DevTools protocol on a pipe
"""
import http.server
import json
import os
import signal
import struct
import subprocess
import tempfile
import threading
import time
import urllib.parse
import zlib

def png(path, width, height, rgb):
    rows = b"".join(b"\0" + rgb[y * width * 3:(y + 1) * width * 3] for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))


def serve(build_web, files):
    """`files` maps extra paths of the page (the test's script and harness) to local files."""
    result = {"captures": {}, "done": threading.Event(), "started": threading.Event(), "errors": [],
              "started_ms": None}
    types = {".html": "text/html", ".js": "text/javascript", ".wasm": "application/wasm"}

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            path = urllib.parse.urlparse(self.path).path
            local = files.get(path) or os.path.join(build_web, path.lstrip("/") or "index.html")
            if not os.path.isfile(local):
                self.send_error(404)
                return
            with open(local, "rb") as f:
                body = f.read()
            self.send_response(200)
            self.send_header("Content-Type", types.get(os.path.splitext(local)[1], "text/plain"))
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_POST(self):
            url = urllib.parse.urlparse(self.path)
            query = dict(urllib.parse.parse_qsl(url.query))
            body = self.rfile.read(int(self.headers.get("Content-Length", 0)))
            if url.path == "/capture":
                result["captures"][int(query["frame"])] = (int(query["width"]), int(query["height"]), body)
            elif url.path == "/context":
                result.setdefault("context", []).append(url.query)
            elif url.path == "/ended":
                result["ended"] = body.decode(errors="replace")
            elif url.path == "/times":
                result["times"] = json.loads(body)
            elif url.path == "/started":
                result["started_ms"] = float(query["ms"])
                result["started"].set()
            elif url.path == "/error":
                result["errors"].append(body.decode(errors="replace"))
                result["done"].set()
            elif url.path == "/done":
                result["done"].set()
            self.send_response(204)
            self.end_headers()

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, result


def chromium_command(url, profile, width, height):
    return ["chromium", "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
            "--disable-background-networking", "--disable-background-timer-throttling",
            "--disable-renderer-backgrounding", "--disable-backgrounding-occluded-windows", "--no-first-run",
            "--disable-extensions", "--mute-audio", "--user-data-dir=" + profile,
            "--window-size=%d,%d" % (width, height), url]


def run_browser(build_web, files, timeout, log_path, width, height, extra="", until="done"):
    server, result = serve(build_web, files)
    url = "http://127.0.0.1:%d/index.html?test&width=%d&height=%d%s" % (server.server_address[1], width, height,
                                                                          extra)
    with tempfile.TemporaryDirectory() as profile:
        log = open(log_path, "wb")
        command = chromium_command(url, profile, width + 200, height + 300)  # room for the canvas
        command[1:1] = ["--enable-logging=stderr", "--v=0"]  # the page's console lines, for failures
        browser = subprocess.Popen(command, stdout=log, stderr=log, start_new_session=True)
        began = time.time()
        finished = result[until].wait(timeout)
        os.killpg(browser.pid, signal.SIGTERM)
        try:
            browser.wait(10)
        except subprocess.TimeoutExpired:
            os.killpg(browser.pid, signal.SIGKILL)
            browser.wait()
        log.close()
    server.shutdown()
    result["seconds"] = time.time() - began
    result["finished"] = finished
    return result


class DevTools:
    """A headless Chromium driven through the DevTools protocol on a pipe (fds 3 and 4, messages
    ended by a zero byte)."""

    def __init__(self, profile, log, width=800, height=600):
        to_browser, self.commands = os.pipe()
        self.results, from_browser = os.pipe()
        command = chromium_command("about:blank", profile, width, height) + ["--remote-debugging-pipe"]
        self.browser = subprocess.Popen(command, stdout=log, stderr=log, start_new_session=True, pass_fds=(3, 4),
                                        preexec_fn=lambda: (os.dup2(to_browser, 3), os.dup2(from_browser, 4)))
        os.close(to_browser)
        os.close(from_browser)
        self.buffer, self.last, self.session = b"", 0, None
        target = self.send("Target.createTarget", url="about:blank")["targetId"]
        self.session = self.send("Target.attachToTarget", targetId=target, flatten=True)["sessionId"]

    def send(self, method, browser=False, **params):
        self.last += 1
        message = {"id": self.last, "method": method, "params": params}
        if self.session and not browser:
            message["sessionId"] = self.session
        os.write(self.commands, json.dumps(message).encode() + b"\0")
        while True:
            while b"\0" not in self.buffer:
                chunk = os.read(self.results, 1 << 16)
                if not chunk:
                    raise RuntimeError("the browser closed its end of the pipe")
                self.buffer += chunk
            line, self.buffer = self.buffer.split(b"\0", 1)
            reply = json.loads(line)
            if reply.get("id") == self.last:
                if "error" in reply:
                    raise RuntimeError("%s: %s" % (method, reply["error"]))
                return reply.get("result", {})

    def value(self, expression):
        return self.send("Runtime.evaluate", expression=expression, returnByValue=True)["result"].get("value")

    def mouse(self, kind, x, y, button="none", buttons=0, **more):
        self.send("Input.dispatchMouseEvent", type=kind, x=x, y=y, button=button, buttons=buttons, clickCount=1,
                  **more)

    def key(self, code, vk, kinds=("rawKeyDown", "keyUp")):
        for kind in kinds:
            self.send("Input.dispatchKeyEvent", type=kind, code=code, key=code, windowsVirtualKeyCode=vk)

    def touch(self, kind, *points):
        """touchStart, touchMove or touchEnd with the fingers (x, y) still down, numbered 0, 1, ..."""
        self.send("Input.dispatchTouchEvent", type=kind,
                  touchPoints=[{"x": x, "y": y, "id": i} for i, (x, y) in enumerate(points)])

    def close(self):
        os.killpg(self.browser.pid, signal.SIGKILL)
        self.browser.wait()
