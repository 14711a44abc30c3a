// Gallery mode: the piece looking after itself where it is shown. After a minute without input on the
// menu a built-in visitor enters the next season and plays a gentle recorded visit there, leaves after
// a couple of minutes and moves on to the next season, round and round. Any input from a person hands
// the piece back at once. Escape on the menu returns to the cycle instead of closing the piece;
// Ctrl+Shift+Q closes it. A person who walks away from a scene is let go after three minutes.
#pragma once

#include "system/input_event.h"
#include "system/input_recording.h"

const long GALLERY_IDLE_FRAMES = 60 * 60;             // on the menu, before the visitor comes
const long GALLERY_SCENE_IDLE_FRAMES = 3 * 60 * 60;   // in a scene nobody touches, before Escape
const long GALLERY_MENU_PAUSE_FRAMES = 3 * 60;        // on the menu between the visitor's visits
const long GALLERY_ESCAPE_RETRY_FRAMES = 10 * 60;     // a scene still shown after an Escape

// The built-in visitor's visit of season `index` (0 Spring .. 3 Winter), in the recording format.
const char* galleryVisitText(int index);

class Gallery {
public:
    Gallery(int screenWidth, int screenHeight);

    // Input from a person, seen before the application gets it: the person takes the piece over
    // (except with F12, the screenshot key, which leaves the visitor playing).
    // Returns whether the event goes on to the application; false for what the gallery answers
    // itself (Ctrl+Shift+Q quits, Escape on the menu returns to the cycle) and for a release while
    // the visitor plays.
    bool personInput(const InputEvent& e);
    // Once before every update: the visitor's input of this frame goes to the application.
    void frame();

    bool visitorPlaying() const { return visit >= 0; }
    int visitorSeason() const { return visit; }
    long visitsStarted() const { return started; }
    long idleFrames() const { return idle; }

private:
    InputRecording visits[4];
    int w, h;
    long idle = 0;           // frames since the person's last input
    bool cycling = false;    // the visitor has the piece between its visits
    int lastSeason = -1;     // the season shown last, by anyone
    int visit = -1;          // the season the visitor is playing, or -1
    long visitFrame = 0;
    size_t nextEvent = 0;
    long menuFrames = 0;     // frames on the menu in a row
    long sinceEscape = 0;
    long started = 0;
    bool ctrl = false, shift = false;
    bool buttonHeld[6] = {};
    bool keyHeld[256] = {};
    int visitorX = 0, visitorY = 0;

    void play(const InputEvent& e);
    void startVisit(int season);
    void letGo();
};
