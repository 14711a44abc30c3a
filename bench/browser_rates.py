#!/usr/bin/env python3
"""The browser build's figures in headless Chromium with software WebGL (docs/performance.md):

  browser_rates.py --measure BUILD_WEB         the page's size, its first frame and its frame times at
                                               1280x720, and updates a second with real clicks
  browser_rates.py --rates BUILD_WEB WxH...    updates a second per scene at each canvas size, and the
                                               drawing buffer's pixels per CSS pixel at the end of each
"""
import gzip
import os
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from browser_page import DevTools, run_browser, serve  # noqa: E402

WEB_TEST = os.path.join(ROOT, "tests", "web")
FILES = {"/visit.script": os.path.join(WEB_TEST, "visit.script"),
         "/test_harness.js": os.path.join(WEB_TEST, "test_harness.js")}


def live_rates(build_web, width, height):
    """The page as a visitor has it (the frame timer at each display refresh, real clicks): simulation
    updates a second over five seconds of the menu and of each season once its text has been clicked
    away (the dissolve or swing, then play)."""
    server, result = serve(build_web, FILES)
    rates = {}
    with tempfile.TemporaryDirectory() as profile, open(os.devnull, "wb") as log:
        page = DevTools(profile, log, width + 200, height + 300)  # the canvas at width x height, as in run_browser
        def wait_state(state):
            deadline = time.time() + 90
            while time.time() < deadline and page.value("velmoraTimes.length && velmoraTimes.slice(-1)[0][1]") != state:
                time.sleep(0.1)
        def rate(key):
            first = page.value("velmoraTimes.slice(-1)[0]")
            time.sleep(5)
            last = page.value("velmoraTimes.slice(-1)[0]")
            rates[key] = 1000.0 * (last[0] - first[0]) / (last[3] - first[3])
            rates[key + " resolution"] = page.value("canvas.width / canvas.clientWidth")
        def click(x, y):
            page.mouse("mousePressed", x, y, "left", 1)
            page.mouse("mouseReleased", x, y, "left")
        try:
            page.send("Page.navigate", url="http://127.0.0.1:%d/index.html?test&dom&times&width=%d&height=%d" % (
                server.server_address[1], width, height))
            wait_state(3)
            rate("menu")
            for row, name in enumerate(["Spring", "Summer", "Autumn", "Winter"]):
                click(width / 2, height * (203.3 + 23.45 * row) / 480)  # the row's middle, reference canvas 480 high
                wait_state(5)
                time.sleep(6.5)
                click(width / 2, height / 2)
                rate(name)
                page.key("Escape", 27)
                wait_state(3)
        finally:
            page.close()
            server.shutdown()
    return rates


def measure(build_web):
    """Download size, first frame and frame times per scene (the intervals between frames, which in
    the test mode run one per display refresh: 16.7 ms when the renderer keeps up with 60 Hz)."""
    for name in ("velmora.wasm", "velmora.js", "index.html"):
        with open(os.path.join(build_web, name), "rb") as f:
            data = f.read()
        print("%-13s %8d bytes, %8d gzip -9" % (name, len(data), len(gzip.compress(data, 9))))
    with tempfile.TemporaryDirectory() as scratch:
        # Five loads, each in a browser just started (so with the drawing context's set-up).
        starts = [run_browser(build_web, FILES, 60, os.path.join(scratch, "chromium.log"), 1280, 720, "&dom",
                              "started")["started_ms"] for _ in range(5)]
        result = run_browser(build_web, FILES, 900, os.path.join(scratch, "chromium.log"), 1280, 720, "&times")
    print("first frame drawn after the page was requested, five loads: %s ms, median %.0f ms" % (
        ", ".join("%.0f" % (t or -1) for t in starts), sorted(t or 1e9 for t in starts)[2]))
    times = result.get("times", [])
    names = ["Spring", "Summer", "Autumn", "Winter"]
    scenes = {}
    for (frame, state, season, t, work), before in zip(times[1:], times):
        key = "menu" if state == 3 else names[season] if state == 5 and 0 <= season < 4 else None
        if key:
            scenes.setdefault(key, []).append((t - before[3], work))
    print("%-7s %6s | %-31s | %s" % ("", "", "frame interval (ms)", "program's update + draw (ms)"))
    print("%-7s %6s | %6s %6s %6s %9s | %6s %6s" % ("scene", "frames", "median", "p95", "max", "> 20 ms",
                                                    "median", "p95"))
    for key in ["menu"] + names:
        if key not in scenes:
            continue
        gaps = sorted(g for g, _ in scenes[key])
        work = sorted(w for _, w in scenes[key])
        n = len(gaps)
        print("%-7s %6d | %6.1f %6.1f %6.1f %8.1f%% | %6.2f %6.2f" % (
            key, n, gaps[n // 2], gaps[int(n * 0.95)], gaps[-1], 100.0 * sum(g > 20 for g in gaps) / n,
            work[n // 2], work[int(n * 0.95)]))
    print("simulation updates a second with the page's own clock, real clicks through every season:")
    for width, height in ((1280, 720), (640, 360)):
        rates = live_rates(build_web, width, height)
        print("  %dx%d: %s" % (width, height, ", ".join("%s %.1f" % (k, rates[k]) for k in ["menu"] + names
                                                          if k in rates)))
    return 0


def main():
    if len(sys.argv) > 2 and sys.argv[1] == "--measure":
        return measure(sys.argv[2])
    if len(sys.argv) > 3 and sys.argv[1] == "--rates":
        names = ["menu", "Spring", "Summer", "Autumn", "Winter"]
        for size in sys.argv[3:]:
            rates = live_rates(sys.argv[2], *map(int, size.split("x")))
            print("%s: %s" % (size, ", ".join("%s %.1f (x%.2f)" % (k, rates[k], rates[k + " resolution"])
                                               for k in names if k in rates)), flush=True)
        return 0
    print(__doc__.strip())
    return 2


if __name__ == "__main__":
    sys.exit(main())
