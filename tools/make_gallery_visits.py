#!/usr/bin/env python3
"""Writes the gallery's built-in visits, resources/visits/<season>.vrec, in the recording format
(docs/recordings.md), at 1024 x 768: a calm visitor who clicks the season on the menu, reads a while,
skips the pause, plays with the scene for about two minutes and leaves with Escape.

    tools/make_gallery_visits.py resources/visits
"""
import math
import os
import sys

W, H = 1024, 768
MENU_X = 510
MENU_Y = [325, 363, 400, 438]      # the centres of the menu's rows at 1024 x 768
ESCAPE, ENTER = 27, 13


class Visit:
    def __init__(self, season):
        self.lines = []
        self.f = 0
        self.event(0, "move %d %d" % (MENU_X, MENU_Y[season]))
        self.event(2, "press %d %d 1" % (MENU_X, MENU_Y[season]))
        self.event(3, "release %d %d 1" % (MENU_X, MENU_Y[season]))
        # The fade into the scene (150 frames), then six seconds of reading before the pause is skipped.
        self.f = 150 + 360
        self.click(W // 2, H // 2)
        self.f += 480                   # the camera swings down

    def event(self, frame, text):
        self.lines.append("%d %s" % (frame, text))
        self.f = max(self.f, frame)

    def wait(self, frames):
        self.f += frames

    def click(self, x, y):
        self.event(self.f, "move %d %d" % (x, y))
        self.event(self.f + 1, "press %d %d 1" % (x, y))
        self.event(self.f + 3, "release %d %d 1" % (x, y))

    def key(self, code):
        self.event(self.f, "key-down %d" % code)
        self.event(self.f + 4, "key-up %d" % code)

    def stroke(self, points, frames, button=1):
        """Holds `button` and moves along the points (eased) over `frames` frames."""
        x, y = points[0]
        self.event(self.f, "move %d %d" % (x, y))
        self.event(self.f + 1, "press %d %d %d" % (x, y, button))   # the scene sees the point first
        start = self.f
        for i in range(1, frames + 1):
            t = (1 - math.cos(math.pi * i / frames)) / 2
            pos = t * (len(points) - 1)
            k = min(int(pos), len(points) - 2)
            u = pos - k
            px = points[k][0] + (points[k + 1][0] - points[k][0]) * u
            py = points[k][1] + (points[k + 1][1] - points[k][1]) * u
            self.event(start + i, "move %d %d" % (round(px), round(py)))
        self.event(start + frames, "release %d %d %d" % (round(px), round(py), button))

    def text(self):
        self.wait(60)
        self.key(ESCAPE)
        self.wait(600)                  # the scene's fade-out and the menu coming back
        return "".join(l + "\n" for l in self.lines) + "end %d\n" % self.f


def ellipse(cx, cy, rx, ry, turns, steps=24, phase=0.0):
    return [(cx + rx * math.cos(phase + 2 * math.pi * turns * i / steps),
             cy + ry * math.sin(phase + 2 * math.pi * turns * i / steps)) for i in range(steps + 1)]


def spring():
    v = Visit(0)
    for y0, y1 in [(560, 470), (500, 430), (620, 520), (470, 420), (540, 500)]:
        v.stroke([(140, y0), (512, (y0 + y1) // 2 + 20), (880, y1)], 300)
        v.wait(420)
    v.stroke([(400, 400), (560, 380)], 360, button=3)   # the camera round, slowly
    v.wait(300)
    for y in (520, 460):
        v.stroke([(860, y), (512, y - 30), (160, y + 10)], 320)
        v.wait(480)
    return v.text()


def summer():
    v = Visit(1)
    for i, (cx, cy) in enumerate([(512, 470), (430, 430), (600, 500), (512, 420)]):
        v.stroke(ellipse(cx, cy, 200, 90, 1.0, phase=i), 480)
        v.wait(540)
    v.stroke([(600, 400), (460, 390)], 360, button=3)
    v.wait(300)
    v.stroke(ellipse(512, 460, 260, 110, 1.5), 600)
    v.wait(600)
    return v.text()


def autumn():
    v = Visit(2)
    kicks = [(420, 450), (600, 420), (520, 520), (360, 380), (680, 500), (480, 360)]
    for round_ in range(2):
        for x, y in kicks:
            v.stroke([(x - 40, y + 10), (x + 40, y - 10)], 40)
            v.wait(200)
        v.wait(300)
        v.key(ENTER)                    # the letters fly home and the text forms again
        v.wait(900)
        kicks = [(x + 30, y + 20) for x, y in kicks]
    v.stroke([(380, 420), (560, 400)], 360, button=3)
    v.wait(600)
    return v.text()


def winter():
    v = Visit(3)
    ring = RING
    for angle in [200, 340, 160, 20, 270]:
        a = math.radians(angle)
        far = (ring[0] + 160 * math.cos(a), ring[1] + 60 * math.sin(a))
        v.stroke([ring, far, (far[0] + 20 * math.cos(a), far[1])], 120)
        v.wait(660)
    v.stroke([(420, 380), (580, 390)], 360, button=3)
    v.wait(900)
    return v.text()


RING = (512, 672)   # the ring at the foot of the trunk, on screen after the camera's swing

if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "resources/visits"
    os.makedirs(out, exist_ok=True)
    for name, make in [("spring", spring), ("summer", summer), ("autumn", autumn), ("winter", winter)]:
        with open(os.path.join(out, name + ".vrec"), "w") as f:
            f.write("velmora-input 1\n# The gallery's built-in visitor in %s (tools/make_gallery_visits.py)\n"
                    "size %d %d\n" % (name.capitalize(), W, H))
            f.write(make())
