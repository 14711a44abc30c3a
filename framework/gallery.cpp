#include "framework/gallery.h"

#include "framework/application.h"
#include "framework/season.h"

namespace {
const int kKeyQ = 'Q';
}

Gallery::Gallery(int screenWidth, int screenHeight) : w(screenWidth), h(screenHeight) {
    for (int i = 0; i < 4; ++i) {
        std::string error;
        // The visits are part of the program and checked by its tests; one that does not parse is
        // simply never played.
        if (!parseRecording(galleryVisitText(i), visits[i], error)) visits[i] = InputRecording();
    }
}

bool Gallery::personInput(const InputEvent& e) {
    bool release = e.kind == INPUT_KEY_UP || e.kind == INPUT_RELEASE;
    if (e.kind == INPUT_KEY_DOWN || e.kind == INPUT_KEY_UP) {
        bool down = e.kind == INPUT_KEY_DOWN;
        if (e.key == VK_CODE_CONTROL) ctrl = down;
        if (e.key == VK_CODE_SHIFT) shift = down;
    }
    // A screenshot is taken of whatever is on show, the visitor's visit as well: F12 is not taking the
    // piece over, and goes on to the application, which saves the picture.
    if ((e.kind == INPUT_KEY_DOWN || e.kind == INPUT_KEY_UP) && e.key == VK_CODE_F12) return true;
    // Letting go of a key or button is not taking the piece over: it ends something already begun.
    // While the visitor plays it is dropped, as it would break a stroke of the visitor's own.
    if (release) return visit < 0;
    idle = 0;
    cycling = false;
    if (visit >= 0) letGo();
    if (e.kind == INPUT_KEY_DOWN && e.key == kKeyQ && ctrl && shift) {
        requestQuit();
        return false;
    }
    if (e.kind == INPUT_KEY_DOWN && e.key == VK_CODE_ESCAPE && appStateId() == APP_MENU) {
        cycling = true;  // back to the cycle: the visitor comes on the next frame
        menuFrames = GALLERY_MENU_PAUSE_FRAMES;
        return false;
    }
    return true;
}

void Gallery::frame() {
    int state = appStateId();
    if (state == APP_SEASON) lastSeason = appChosenSeason();
    menuFrames = state == APP_MENU ? menuFrames + 1 : 0;
    sinceEscape = state == APP_SEASON ? sinceEscape + 1 : 0;
    if (visit >= 0) {
        const InputRecording& r = visits[visit];
        while (nextEvent < r.events.size() && r.events[nextEvent].frame <= visitFrame) play(r.events[nextEvent++]);
        if (++visitFrame >= r.endFrame) {
            letGo();
            cycling = true;
            sinceEscape = 0;
        }
        return;
    }
    ++idle;
    if (state == APP_MENU && menuFrames >= (cycling ? GALLERY_MENU_PAUSE_FRAMES : GALLERY_IDLE_FRAMES) &&
        idle >= (cycling ? 0 : GALLERY_IDLE_FRAMES)) {
        startVisit((lastSeason + 1) % 4);
    } else if (state == APP_SEASON && (cycling || idle >= GALLERY_SCENE_IDLE_FRAMES) &&
               sinceEscape >= GALLERY_ESCAPE_RETRY_FRAMES) {
        // Nobody is in the scene, or the visitor's Escape did not take: leave it.
        cycling = true;
        sinceEscape = 0;
        appInput(keyEvent(INPUT_KEY_DOWN, VK_CODE_ESCAPE));
        appInput(keyEvent(INPUT_KEY_UP, VK_CODE_ESCAPE));
    }
}

void Gallery::startVisit(int season) {
    if (visits[season].endFrame <= 0) return;
    visit = season;
    visitFrame = 0;
    nextEvent = 0;
    ++started;
    visitorX = w / 2;
    visitorY = h / 2;
}

void Gallery::play(const InputEvent& recorded) {
    const InputRecording& r = visits[visit];
    InputEvent e = recorded;
    // The visitor's Escape is for leaving a scene; should its visit have gone astray (a click that
    // missed the menu's row), it must not close the piece from the menu.
    if (e.kind == INPUT_KEY_DOWN && e.key == VK_CODE_ESCAPE && appStateId() != APP_SEASON) return;
    mapRecordedPoint(r.width, r.height, w, h, e.x, e.y);
    if (e.kind == INPUT_PRESS && e.button > 0 && e.button < 6) buttonHeld[e.button] = e.button < 4;
    if (e.kind == INPUT_RELEASE && e.button > 0 && e.button < 6) buttonHeld[e.button] = false;
    if ((e.kind == INPUT_KEY_DOWN || e.kind == INPUT_KEY_UP) && e.key > 0 && e.key < 256)
        keyHeld[e.key] = e.kind == INPUT_KEY_DOWN;
    if (e.kind != INPUT_KEY_DOWN && e.kind != INPUT_KEY_UP) {
        visitorX = e.x;
        visitorY = e.y;
    }
    appInput(e);
}

void Gallery::letGo() {
    for (int b = 1; b < 6; ++b)
        if (buttonHeld[b]) appInput(mouseEvent(INPUT_RELEASE, visitorX, visitorY, b));
    for (int k = 1; k < 256; ++k)
        if (keyHeld[k]) appInput(keyEvent(INPUT_KEY_UP, k));
    for (bool& held : buttonHeld) held = false;
    for (bool& held : keyHeld) held = false;
    visit = -1;
}
