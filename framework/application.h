// The application between the window and the four scenes: start-up, the seven-state machine of the
// opening, menu, scenes and closing, the drawn cursor, and the routing of input.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "system/input_event.h"

class ASeason;

// Makes one scene. The application is handed its scenes in menu order by whoever puts the program
// together; it initialises each right after it is made.
using SeasonMaker = std::unique_ptr<ASeason> (*)();

enum AppStateId {
    APP_INTRO = 0, APP_TITLES = 1, APP_MENU_APPEARING = 2, APP_MENU = 3,
    APP_ENTERING_SEASON = 4, APP_SEASON = 5, APP_EXITING = 6
};

// Frame marks of stateFrame.
const int FRAME_INTRO_END = 220;
const int FRAME_TITLES_END = 320;
const int FRAME_MENU_READY = 420;
const int FRAME_SEASON_STARTS = 570;
const int FRAME_EXIT_STARTS = 570;
const int FRAME_PROGRAM_ENDS = 770;

// Builds everything, the scenes from `seasons`; a GL context must be current. Calling it again starts
// the application anew (tests do; the scenes are rebuilt).
void appInit(int screenWidth, int screenHeight, const std::vector<SeasonMaker>& seasons);
// Gives back the textures appInit made, in the GL context that is current, which must be the one they
// were made in; for starting the piece anew in the same context (appInit again) without leaving them.
void appReleaseTextures();
void appUpdate();
void appDraw();
// In place of appDraw for a frame nobody will see (a render skipping ahead): everything appDraw does
// but the drawing, so that the frames drawn after it are the same to the last pixel. Much cheaper.
void appSkipDraw();

// All input reaches the application here, one event at a time, between updates.
void appInput(const InputEvent& e);

// Set when the closing sequence is over, or by the platform when the window is closed.
bool quitRequested();
void requestQuit();

// Read-only views for tests, benchmarks and the soak run.
int appStateId();
int appStateFrame();
int appChosenSeason();
ASeason* appSeason(int index);   // in menu order: 0 Spring, 1 Summer, 2 Autumn, 3 Winter
ASeason* appCurrentSeason();
float appCursorAlpha();
float appHoverBarAlpha();
// The title key frames: 0 to 3 image A's, 4 to 7 image B's.
int appTitleMark(int index);
// The hit rectangle of menu row `index` in pixels (left, top, right, bottom).
void appMenuRowRect(int index, float& left, float& top, float& right, float& bottom);

// Tests: put `season` (owned by the caller, already initialised) in place of scene `index`.
void appReplaceSeasonForTesting(int index, ASeason* season);

// Called in every appDraw where a screenshot would be taken: after the frame, before the cursor.
void appSetFrameReadyHook(std::function<void()> hook);
