#!/usr/bin/env python3
"""The browser build against the headless one: headless Chromium plays tests/web/visit.script in
the page (index.html?test), the frames it names come back to this server, and each is compared with
the headless run's frame of the same input.

  browser_frames.py BUILD_WEB REFERENCE_TOOL OUT_DIR

(The browser's speed is measured by bench/browser_rates.py.)

Midway the drawing context is lost and given back (WEBGL_lose_context); the frames after it must match
as well.

Then the browser's own input: through the DevTools protocol, real mouse, wheel and key events at a
device pixel ratio of 2 go to the page (index.html?test&dom), and the program's journal of the input it
was given shows what reached it. Last a phone, 390x844 at a ratio of 3 with touch: fingers, the back
control, a sideways swipe and the reading page in portrait.

Tolerance (the two rasterisers differ in edges, glyph filtering and line pixels): per frame, the
mean difference over all channels at most 1.5 levels of 255, and at most 1% of the pixels differing
by more than 64 in any channel. PNGs of both frames are left in OUT_DIR.
"""
import base64
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(os.path.dirname(HERE)), "tools"))
from browser_page import DevTools, png, run_browser, serve  # noqa: E402

FILES = {"/visit.script": os.path.join(HERE, "visit.script"), "/test_harness.js": os.path.join(HERE, "test_harness.js")}
WIDTH, HEIGHT = 640, 480
MEAN_LIMIT, SHARE_LIMIT, LEVEL = 1.5, 0.01, 64


def journal_watch(page, failures):
    """expect(what, lines, seconds, since): waits until every line (without its frame number; a line
    may be a pattern) is in the program's input journal after line `since`, and returns its length."""
    journal = lambda: page.value("Module.FS ? Module.FS.readFile('/input.journal', {encoding: 'utf8'}) : ''")
    def lines_since(since):
        return [l.split(" ", 1)[1] for l in (journal() or "").splitlines()[since or 0:]]
    def expect(what, lines, seconds=30, since=None):
        deadline, seen = time.time() + seconds, []
        while time.time() < deadline:
            seen = lines_since(since)
            if all(any(re.fullmatch(l, s) for s in seen) for l in lines):
                return len(seen) + (since or 0)
            time.sleep(0.2)
        failures.append("%s: %s not in the journal (last lines: %s)" % (what, lines, seen[-6:]))
        return len(seen) + (since or 0)
    expect.lines_since = lines_since
    return expect


def dom_input(build_web, out):
    """Real input into the page at a device pixel ratio of 2: each step's journal lines must show up."""
    server, result = serve(build_web, FILES)
    url = "http://127.0.0.1:%d/index.html?test&dom&fixed" % server.server_address[1]
    failures = []
    with tempfile.TemporaryDirectory() as profile, open(os.path.join(out, "chromium_dom.log"), "wb") as log:
        page = DevTools(profile, log)
        expect = journal_watch(page, failures)
        try:
            page.send("Emulation.setDeviceMetricsOverride", width=400, height=300, deviceScaleFactor=2, mobile=False)
            page.send("Browser.setDownloadBehavior", browser=True, behavior="allow", downloadPath=out)
            page.send("Page.navigate", url=url)
            at = expect("the menu after the titles", ["state 3"], 90)
            size = page.value("[canvas.width, canvas.height, document.documentElement.scrollWidth,"
                              " document.documentElement.scrollHeight]")
            if size != [800, 600, 400, 300]:
                failures.append("canvas and page at 400x300 CSS pixels, ratio 2: %s" % size)
            page.value("addEventListener('contextmenu', e => window.menuKept = e.defaultPrevented)")
            # A left click on the first row (CSS pixels; the program is given drawable pixels).
            page.mouse("mouseMoved", 200, 131)
            page.mouse("mousePressed", 200, 131, "left", 1)
            page.mouse("mouseReleased", 200, 131, "left")
            at = expect("a left click on the menu", ["move 400 262", "down 400 262 1", "up 400 262 1", "state 5"],
                        since=at)
            # The right button drags (its context menu kept back), the wheel turns as buttons 4 and 5.
            page.mouse("mousePressed", 150, 150, "right", 2)
            page.mouse("mouseMoved", 170, 150, "right", 2)
            page.mouse("mouseReleased", 170, 150, "right")
            page.mouse("mouseWheel", 170, 150, deltaX=0, deltaY=-100)
            page.mouse("mouseWheel", 170, 150, deltaX=0, deltaY=100)
            page.key("KeyA", 65)
            # The browser's own keys keep their meaning (F5 would reload: its default is only looked at).
            page.value("addEventListener('keydown', e => { if (e.key == 'F5') { window.f5Kept = e.defaultPrevented;"
                       " e.preventDefault(); } })")
            page.key("F5", 116)
            if page.value("window.f5Kept") is not False:
                failures.append("F5: its default was prevented (%r)" % page.value("window.f5Kept"))
            page.key("F12", 123)
            at = expect("right drag, wheel, A and F12", ["down 300 300 3", "move 340 300", "up 340 300 3",
                        "down 340 300 4", "down 340 300 5", "key_down 65", "key_up 65", "key_up 123"], since=at)
            if page.value("window.menuKept") is not True:
                failures.append("the right button's context menu was not kept back")
            shot = os.path.join(out, "Screenshot_0.tga")
            for _ in range(50):
                if os.path.isfile(shot):
                    break
                time.sleep(0.2)
            header = open(shot, "rb").read(18) if os.path.isfile(shot) else b""
            if len(header) < 18 or struct.unpack("<HH", header[12:16]) != (800, 600):
                failures.append("F12: no 800x600 Screenshot_0.tga downloaded")
            page.key("Escape", 27)
            at = expect("Escape in a season", ["key_down 27", "state 3"], since=at)
            page.send("Emulation.setDeviceMetricsOverride", width=320, height=240, deviceScaleFactor=2, mobile=False)
            time.sleep(1)
            if page.value("[canvas.width, canvas.height]") != [640, 480]:
                failures.append("after a resize to 320x240 CSS pixels: %s" % page.value("[canvas.width, canvas.height]"))
            page.key("Escape", 27)
            deadline = time.time() + 60
            while time.time() < deadline and "ended" not in result:
                time.sleep(0.2)
            if result.get("ended") != "click to begin again":
                failures.append("Escape on the menu: the page shows %r after the closing" % result.get("ended"))
            page.mouse("mousePressed", 100, 100, "left", 1)  # and a click begins again
            page.mouse("mouseReleased", 100, 100, "left")
            deadline = time.time() + 30
            while time.time() < deadline and page.value("performance.getEntriesByType('navigation')[0].type") != "reload":
                time.sleep(0.2)
            if time.time() < deadline:
                expect("the piece begun again", ["state 0"], since=0)
            else:
                failures.append("a click on the closing page did not begin again")
        except RuntimeError as e:
            failures.append(str(e))
        finally:
            page.close()
            server.shutdown()
    for failure in failures:
        print("browser input: " + failure)
    if not failures:
        print("browser input: clicks, right drag, wheel, keys, F12's download, resize, the closing and beginning again reached "
              "the program at a device pixel ratio of 2")
    return len(failures)


def png_pixels(data):
    """(width, height, rows of RGB bytes) of an 8-bit RGB or RGBA PNG, not interlaced."""
    width, height, depth, kind = struct.unpack(">IIBB", data[16:26])
    chunks, at = [], 8
    while at < len(data):
        length, tag = struct.unpack(">I4s", data[at:at + 8])
        if tag == b"IDAT":
            chunks.append(data[at + 8:at + 8 + length])
        at += 12 + length
    raw, size = zlib.decompress(b"".join(chunks)), 4 if kind == 6 else 3
    stride, rows, previous = width * size, [], bytearray(width * size)
    for y in range(height):
        kind_of_row, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - size] if i >= size else 0
            b, c = previous[i], previous[i - size] if i >= size else 0
            if kind_of_row == 1: line[i] = (line[i] + a) & 255
            elif kind_of_row == 2: line[i] = (line[i] + b) & 255
            elif kind_of_row == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif kind_of_row == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line if size == 3 else bytes(v for i, v in enumerate(line) if i % 4 != 3)))
        previous = line
    return width, height, rows


def phone_input(build_web, out):
    """A phone held upright: 390x844 CSS pixels at a ratio of 3 with touch (the canvas takes a ratio of
    2: 780x1688). A tap enters a season; in its reading pause the page's outline must lie inside the
    picture; one finger is the left button, two the right button's drag, a pinch the wheel; a swipe
    leaves the page where it is, and the strip's back control leaves the season."""
    server, result = serve(build_web, FILES)
    url = "http://127.0.0.1:%d/index.html?test&dom&fixed" % server.server_address[1]
    failures = []
    with tempfile.TemporaryDirectory() as profile, open(os.path.join(out, "chromium_phone.log"), "wb") as log:
        page = DevTools(profile, log)
        expect = journal_watch(page, failures)
        def tap(x, y):
            page.touch("touchStart", (x, y))
            page.touch("touchEnd")
        try:
            page.send("Emulation.setDeviceMetricsOverride", width=390, height=844, deviceScaleFactor=3, mobile=True)
            page.send("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
            page.send("Page.navigate", url=url)
            at = expect("the menu after the titles", ["state 3"], 90)
            size = page.value("[canvas.width, canvas.height]")
            if size != [780, 1688]:
                failures.append("canvas at 390x844 CSS pixels, ratio 3 taken as 2: %s" % size)
            tap(195, 358)  # the first row
            at = expect("a tap on the menu", ["down 390 716 1", "up 390 716 1", "state 5"], since=at)
            for attempt in range(5):  # until the fade-in shows the page
                time.sleep(1.5)
                shot = page.send("Page.captureScreenshot", format="png",
                                 clip={"x": 0, "y": 0, "width": 390, "height": 844, "scale": 1 / 3})
                width, height, rows = png_pixels(base64.b64decode(shot["data"]))
                # The outline's sides: rows and columns that are mostly grey; none may touch the edges.
                dark = [[min(row[3 * x:3 * x + 3]) < 230 for x in range(width)] for row in rows]
                across = [y for y in range(height) if sum(dark[y]) > width * 0.6]
                down = [x for x in range(width) if sum(dark[y][x] for y in range(height)) > height * 0.4]
                if across and down:
                    break
            png(os.path.join(out, "phone_reading.png"), width, height, b"".join(rows))
            if not (across and down and 0 < min(across) and max(across) < height - 1 and 0 < min(down) and
                    max(down) < width - 1 and max(across) - min(across) > height / 3 and
                    max(down) - min(down) > width * 0.8):
                failures.append("portrait: the reading page's outline is not wholly in the %dx%d picture "
                                "(dark rows %s, columns %s; phone_reading.png)" % (width, height, across, down))
            tap(195, 600)  # ends the reading
            at = expect("a tap in the reading pause", ["down 390 1200 1", "up 390 1200 1"], since=at)
            page.touch("touchStart", (100, 500))
            page.touch("touchMove", (140, 520))
            page.touch("touchMove", (180, 540))
            page.touch("touchEnd")
            drag = at
            at = expect("one finger", ["down 200 1000 1", "move 280 1040", "move 360 1080", "up 360 1080 1"],
                        since=at)
            presses = [l for l in expect.lines_since(drag) if l.startswith("down")]
            if presses != ["down 200 1000 1"]:
                failures.append("one finger pressed %s: a mouse made up from touch as well?" % presses)
            page.touch("touchStart", (150, 500), (250, 500))
            page.touch("touchMove", (190, 500), (290, 500))
            page.touch("touchEnd")
            at = expect("two fingers", ["down 400 1000 3", "move 480 1000", "up 480 1000 3"], since=at)
            page.touch("touchStart", (180, 500), (210, 500))
            page.touch("touchMove", (130, 500), (260, 500))
            page.touch("touchMove", (180, 500), (210, 500))
            page.touch("touchEnd")
            at = expect("a pinch", [r"down \d+ 1000 4", r"down \d+ 1000 5"], since=at)
            before = page.value("[location.href, history.length]")
            for x in range(10, 390, 60):
                page.touch("touchMove" if x > 10 else "touchStart", (x, 700))
            page.touch("touchEnd")
            time.sleep(1)
            at = expect("a sideways swipe", ["down 20 1400 1", r"up \d+ 1400 1"], since=at)
            if page.value("[location.href, history.length]") != before or page.value("scrollX + scrollY") != 0:
                failures.append("a sideways swipe moved the page: %s, then %s" % (
                    before, page.value("[location.href, history.length, scrollX, scrollY]")))
            back = page.value("(b => [b.left + b.width / 2, b.top + b.height / 2])"
                              "(document.getElementById('back').getBoundingClientRect())")
            tap(*back)
            expect("the back control", ["key_down 27", "key_up 27", "state 2"], since=at)  # the fade-out over
        except RuntimeError as e:
            failures.append(str(e))
        finally:
            page.close()
            server.shutdown()
    for failure in failures:
        print("phone: " + failure)
    if not failures:
        print("phone: a tap, one finger, two fingers, a pinch, a swipe and the back control reached the program "
              "as they should; the reading page fits the portrait picture")
    return len(failures)


def main():
    build_web, tool, out = sys.argv[1:4]
    os.makedirs(out, exist_ok=True)
    log_path = os.path.join(out, "chromium.log")
    result = run_browser(build_web, FILES, int(os.environ.get("VELMORA_BROWSER_TIMEOUT", "600")), log_path, WIDTH,
                         HEIGHT)
    if result["errors"] or not result["finished"]:
        print("browser: %s after %.0f s (%d frames back)" % (
            "; ".join(result["errors"]) or "timed out", result["seconds"], len(result["captures"])))
        print("the page's console: " + log_path)
        return 1
    print("browser: visit played in %.0f s; first frame %.0f ms after the page was requested" % (
        result["seconds"], result["started_ms"] or -1))
    subprocess.run([tool, os.path.join(HERE, "visit.script"), str(WIDTH), str(HEIGHT), out], check=True,
                   stdout=subprocess.DEVNULL)
    # Escape on the menu: the closing plays, then the page asks for a click to begin again.
    failures = 0
    if result.get("ended") != "click to begin again":
        print("after the closing the page shows %r, not the click to begin again" % result.get("ended"))
        failures += 1
    expected = sorted(int(f[6:-4]) for f in os.listdir(out) if f.startswith("frame_") and f.endswith(".rgb"))
    for frame in expected:
        with open(os.path.join(out, "frame_%d.rgb" % frame), "rb") as f:
            reference = f.read()
        if frame not in result["captures"]:
            print("frame %d: the browser never drew it" % frame)
            failures += 1
            continue
        width, height, rgba = result["captures"][frame]
        if (width, height) != (WIDTH, HEIGHT):
            print("frame %d: the browser drew %dx%d, not %dx%d" % (frame, width, height, WIDTH, HEIGHT))
            failures += 1
            continue
        # RGBA rows from the bottom, to RGB rows from the top.
        rows = [rgba[y * width * 4:(y + 1) * width * 4] for y in range(height)][::-1]
        browser = bytearray()
        for row in rows:
            browser += bytes(b for i, b in enumerate(row) if i % 4 != 3)
        total = far = 0
        for p in range(0, len(browser), 3):
            d = (abs(browser[p] - reference[p]), abs(browser[p + 1] - reference[p + 1]),
                 abs(browser[p + 2] - reference[p + 2]))
            total += d[0] + d[1] + d[2]
            far += max(d) > LEVEL
        mean, share = total / len(browser), far / (width * height)
        ok = mean <= MEAN_LIMIT and share <= SHARE_LIMIT
        failures += not ok
        print("frame %5d: mean difference %.2f, %.2f%% of pixels off by more than %d  %s" % (
            frame, mean, 100 * share, LEVEL, "ok" if ok else "TOO DIFFERENT"))
        png(os.path.join(out, "browser_%d.png" % frame), width, height, bytes(browser))
        png(os.path.join(out, "headless_%d.png" % frame), width, height, reference)
    if result.get("context") != ["lost", "restored"]:
        print("the drawing context was not lost and given back: %s" % result.get("context"))
        failures += 1
    failures += dom_input(build_web, out)
    failures += phone_input(build_web, out)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
