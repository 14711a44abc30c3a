#include "app/touch_gestures.h"

#include <algorithm>
#include <cmath>

namespace {

const float pinchStep = 8.0f / 7.0f;  // the change of distance that makes one wheel press

int pixel(float v) { return (int)v; }

}  // namespace

TouchGestures::Finger* TouchGestures::find(int id) {
    for (int i = 0; i < count; ++i)
        if (fingers[i].id == id) return &fingers[i];
    return nullptr;
}

void TouchGestures::midpoint(int& x, int& y) const {
    x = pixel((fingers[0].x + fingers[1].x) / 2);
    y = pixel((fingers[0].y + fingers[1].y) / 2);
}

float TouchGestures::spread() const {
    return std::hypot(fingers[0].x - fingers[1].x, fingers[0].y - fingers[1].y);
}

void TouchGestures::down(int id, float x, float y) {
    if (count == 2 || find(id)) return;
    fingers[count++] = Finger{id, x, y};
    if (mode == NONE) {
        mode = ONE;
        send(mouseEvent(INPUT_MOVE, pixel(x), pixel(y)));
        send(mouseEvent(INPUT_PRESS, pixel(x), pixel(y), 1));
    } else if (mode == ONE) {
        mode = TWO;
        send(mouseEvent(INPUT_RELEASE, pixel(fingers[0].x), pixel(fingers[0].y), 1));
        int mx, my;
        midpoint(mx, my);
        send(mouseEvent(INPUT_MOVE, mx, my));
        send(mouseEvent(INPUT_PRESS, mx, my, 3));
        pinch = std::max(spread(), 1.0f);
    }
}

void TouchGestures::move(int id, float x, float y) {
    Finger* finger = find(id);
    if (!finger || (finger->x == x && finger->y == y)) return;
    finger->x = x;
    finger->y = y;
    if (mode == ONE) {
        send(mouseEvent(INPUT_MOVE, pixel(x), pixel(y)));
    } else if (mode == TWO) {
        int mx, my;
        midpoint(mx, my);
        send(mouseEvent(INPUT_MOVE, mx, my));
        const float now = spread();
        for (; now > pinch * pinchStep; pinch *= pinchStep) send(mouseEvent(INPUT_PRESS, mx, my, 4));
        for (; now < pinch / pinchStep; pinch /= pinchStep) send(mouseEvent(INPUT_PRESS, mx, my, 5));
    }
}

void TouchGestures::up(int id) {
    Finger* finger = find(id);
    if (!finger) return;
    if (mode == ONE) {
        send(mouseEvent(INPUT_RELEASE, pixel(finger->x), pixel(finger->y), 1));
        mode = ENDED;
    } else if (mode == TWO) {
        int mx, my;
        midpoint(mx, my);
        send(mouseEvent(INPUT_RELEASE, mx, my, 3));
        mode = ENDED;
    }
    *finger = fingers[count - 1];
    if (--count == 0) mode = NONE;
}
