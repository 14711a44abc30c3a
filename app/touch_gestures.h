// Fingers on the screen as the mouse the piece knows. One finger is the left button: it presses where
// it lands, moves the pointer and lets go where it lifts (a tap is a click). A second finger turns it
// into the right button's camera swing: the left button is let go, the right one pressed at the two
// fingers' midpoint, which the pointer then follows; fingers spreading apart turn the wheel forward
// (button 4, nearer) and closing turn it back (button 5), one press each time the distance between
// them has changed by a seventh. The gesture ends when the first of the two lifts; fingers beyond two
// are not followed.
//
//   TouchGestures touch(sessionInput);
//   touch.down(id, x, y); touch.move(id, x, y); touch.up(id);   // x, y in the application's pixels
#pragma once

#include "system/input_event.h"

class TouchGestures {
public:
    using Send = void (*)(const InputEvent&);
    explicit TouchGestures(Send send) : send(send) {}

    void down(int id, float x, float y);
    void move(int id, float x, float y);
    void up(int id);  // lifted, or taken over by the browser

private:
    struct Finger {
        int id = -1;
        float x = 0, y = 0;
    };
    enum Mode { NONE, ONE, TWO, ENDED };
    Send send;
    Finger fingers[2];
    int count = 0;
    Mode mode = NONE;
    float pinch = 0;  // the distance between the fingers at the last wheel press

    Finger* find(int id);
    void midpoint(int& x, int& y) const;
    float spread() const;
};
