// Gallery mode, headless on the frame clock. In the suite: one round of the built-in visitor through
// the four seasons, each visit (a recording of a couple of minutes) doing what it is for, then a person
// taking over, Escape on the menu going back to the cycle, and the quit chord. Off by default
// (VELMORA_GALLERY_DAY=1): a simulated day unattended, with a person dropping in now and then, memory
// flat and every position, velocity and orientation finite (VELMORA_GALLERY_FRAMES sets the day's length;
// docs/reliability.md says how short it may be).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/headless_run.h"
#include "app/input_session.h"
#include "app/main_loop.h"
#include "framework/application.h"
#include "framework/gallery.h"
#include "framework/season.h"
#include "framework/season_scene.h"
#include "render/gl.h"
#include "tests/reliability/gallery_support.h"

namespace {

// One frame of the program: the session (and so the gallery) before the update, then the frame.
void frame(HeadlessRun& run, bool draw) {
    sessionBeforeFrame();
    run.runFrames(1, false);
    if (!draw) return;
    appDraw();
    glFinish();
}

std::string startGallery(int w, int h) {
    std::string error;
    sessionStart(SessionOptions{w, h, true, "", nullptr}, error);
    return error;
}

}  // namespace

TEST(Gallery, VisitorPlaysEachSeasonInTurnAndAPersonTakesOverAtOnce) {
    const int w = 160, h = 120;
    HeadlessRun run(w, h, false);  // drawn below, every eighth frame of a scene (its picking needs one)
    ASSERT_TRUE(run.ok()) << run.error();
    ASSERT_EQ(startGallery(w, h), "");
    run.skipToMenu();
    auto frame = [&run](bool) { ::frame(run, appStateId() == APP_SEASON && run.frame() % 8 == 0); };
    long interacting[4] = {}, framesIn[4] = {};
    long frames = 0;
    // The visitor comes after a minute on the menu (below); four visits, in menu order.
    for (; frames < 4 * 9000 && !(appStateId() == APP_MENU && framesIn[3] > 0); ++frames) {
        frame(true);
        if (appStateId() == APP_SEASON) {
            int s = appChosenSeason();
            ASSERT_TRUE(std::all_of(framesIn + s + 1, framesIn + 4, [](long n) { return n == 0; })) << "out of order";
            framesIn[s] += 1;
            if (sceneInteracting(appCurrentSeason())) interacting[s] += 1;
            if (frames % 60 == 0) {
                ASSERT_EQ(firstNonFinite(appCurrentSeason()), "");
            }
        }
        ASSERT_NE(appStateId(), APP_EXITING);
    }
    for (int s = 0; s < 4; ++s) {
        EXPECT_GT(framesIn[s], 90 * 60) << sceneNames[s];
        EXPECT_GT(interacting[s], 60) << sceneNames[s] << ": the visit did not blow, sweep, re-form or shake";
    }

    // The next visit (Spring again) is under way, the visitor turning the camera with the right
    // button; a person moves the mouse: the visitor lets go of everything it held and the scene is
    // the person's.
    auto scene = [] { return dynamic_cast<SeasonScene*>(appCurrentSeason()); };
    for (int i = 0; i < 9000 && !(appStateId() == APP_SEASON && scene()->rightDown()); ++i) frame(true);
    ASSERT_TRUE(appStateId() == APP_SEASON && scene()->rightDown()) << "the visitor never turned the camera";
    sessionInput(mouseEvent(INPUT_MOVE, 10, 10));
    frame(true);
    ASSERT_EQ(appStateId(), APP_SEASON);
    EXPECT_FALSE(scene()->rightDown() || scene()->leftDown()) << "a button the visitor held is still down";
    for (int i = 0; i < 600; ++i) frame(true);
    EXPECT_EQ(appChosenSeason(), 0);  // nobody left the scene for the person

    // Escape leaves the scene; Escape on the menu returns to the cycle instead of closing the piece.
    sessionInput(keyEvent(INPUT_KEY_DOWN, VK_CODE_ESCAPE));
    sessionInput(keyEvent(INPUT_KEY_UP, VK_CODE_ESCAPE));
    ASSERT_TRUE(run.runUntil([] { return appStateId() == APP_MENU; }, 1000));
    sessionInput(keyEvent(INPUT_KEY_DOWN, VK_CODE_ESCAPE));
    sessionInput(keyEvent(INPUT_KEY_UP, VK_CODE_ESCAPE));
    for (int i = 0; i < 300 && appStateId() != APP_ENTERING_SEASON; ++i) frame(false);
    EXPECT_EQ(appStateId(), APP_ENTERING_SEASON);
    EXPECT_EQ(appChosenSeason(), 1);  // the season after the last one shown

    // Ctrl+Shift+Q closes it; Q with only one of Ctrl and Shift does not.
    for (int modifier : {VK_CODE_CONTROL, VK_CODE_SHIFT}) {
        sessionInput(keyEvent(INPUT_KEY_DOWN, modifier));
        sessionInput(keyEvent(INPUT_KEY_DOWN, 'Q'));
        sessionInput(keyEvent(INPUT_KEY_UP, 'Q'));
        sessionInput(keyEvent(INPUT_KEY_UP, modifier));
        EXPECT_FALSE(quitRequested()) << "Q with only " << modifier;
    }
    sessionInput(keyEvent(INPUT_KEY_DOWN, VK_CODE_CONTROL));
    sessionInput(keyEvent(INPUT_KEY_DOWN, VK_CODE_SHIFT));
    sessionInput(keyEvent(INPUT_KEY_DOWN, 'Q'));
    EXPECT_TRUE(quitRequested());
    sessionFinish();
}

// The visitor comes after a minute on the menu, 3,600 frames, and clicks its row: live in the gallery,
// and in the replay of a recording made there. The replay of one made without it never brings one.
TEST(Gallery, TheVisitorComesAfterAMinuteOnTheMenu) {
    const long minute = 3600;
    InputRecording visit, replays[2];
    std::string error;
    ASSERT_TRUE(parseRecording(galleryVisitText(0), visit, error)) << error;
    const auto press = std::find_if(visit.events.begin(), visit.events.end(),
                                    [](const InputEvent& e) { return e.kind == INPUT_PRESS; });
    ASSERT_NE(press, visit.events.end());
    ASSERT_TRUE(parseRecording("velmora-input 1\nsize 160 120\ngallery\nend 9000\n", replays[0], error));
    ASSERT_TRUE(parseRecording("velmora-input 1\nsize 160 120\nend 9000\n", replays[1], error));
    const struct {
        const char* what;
        SessionOptions options;
        bool visitor;
    } cases[] = {
        {"live", {160, 120, true, "", nullptr}, true},
        {"a replayed gallery recording", {160, 120, false, "", &replays[0]}, true},
        {"a replayed ordinary recording", {160, 120, false, "", &replays[1]}, false},
    };
    for (const auto& c : cases) {
        HeadlessRun run(160, 120, false);
        ASSERT_TRUE(run.ok()) << run.error();
        run.skipToMenu();
        ASSERT_TRUE(sessionStart(c.options, error)) << error;
        // The minute, the visit's first frame, then its frames up to the press.
        for (long f = 1; f <= minute + press->frame; ++f) {
            frame(run, false);
            ASSERT_EQ(appStateId(), APP_MENU) << c.what << ", frame " << f << " on the menu";
        }
        frame(run, false);
        EXPECT_EQ(appStateId() == APP_ENTERING_SEASON, c.visitor) << c.what;
        sessionFinish();
    }
}

// A person who walks away from a scene is let go after three minutes without input, 10,800 frames: the
// gallery's Escape starts the scene's fade-out then, not a frame sooner.
TEST(Gallery, APersonWhoWalksAwayFromASceneIsLetGoAfterThreeMinutes) {
    HeadlessRun run(160, 120, false);
    ASSERT_TRUE(run.ok()) << run.error();
    run.skipToMenu();
    ASSERT_EQ(startGallery(160, 120), "");
    float l, t, r, b;
    appMenuRowRect(2, l, t, r, b);
    sessionInput(mouseEvent(INPUT_PRESS, (int)(l + r) / 2, (int)(t + b) / 2, 1));
    auto leaving = [] {
        auto* scene = dynamic_cast<SeasonScene*>(appCurrentSeason());
        return appStateId() == APP_SEASON && scene->phase() == scene->PHASE_FADE_OUT;
    };
    for (long f = 1; f < 3 * 3600; ++f) {
        frame(run, false);
        ASSERT_FALSE(leaving()) << "left after " << f << " frames";
    }
    frame(run, false);
    EXPECT_TRUE(leaving());
    sessionFinish();
}

TEST(Gallery, ADayUnattendedWithFlatMemory) {
    if (!environmentNumber("VELMORA_GALLERY_DAY", 0)) GTEST_SKIP() << "set VELMORA_GALLERY_DAY=1 to run the day";
    const long day = (long)environmentNumber("VELMORA_GALLERY_FRAMES", 24L * 60 * 60 * 60);
    const long hour = std::max(1L, day / 24);
    const int w = 320, h = 240;
    keepFreedMemory();
    HeadlessRun run(w, h, false);
    ASSERT_TRUE(run.ok()) << run.error();
    ASSERT_EQ(startGallery(w, h), "");
    long visits[4] = {}, interacting[4] = {};
    int lastState = -1;
    std::vector<long> resident, heap;
    auto began = std::chrono::steady_clock::now();
    for (long f = 1; f <= day; ++f) {
        // Once an hour a person drops in for a minute: a few clicks wherever the piece is.
        long intoHour = f % hour;
        if (intoHour >= 30 * 60 && intoHour < 31 * 60 && intoHour % 120 == 0) {
            int x = (int)(intoHour % 7) * w / 7, y = h / 2;
            sessionInput(mouseEvent(INPUT_MOVE, x, y));
            sessionInput(mouseEvent(INPUT_PRESS, x, y, 1));
            sessionInput(mouseEvent(INPUT_RELEASE, x, y, 1));
        }
        frame(run, f % 60 == 0);  // drawn once a simulated second
        int state = appStateId();
        ASSERT_NE(state, APP_EXITING) << "frame " << f;
        if (state == APP_SEASON) {
            int s = appChosenSeason();
            if (lastState != APP_SEASON) visits[s] += 1;
            if (sceneInteracting(appCurrentSeason())) interacting[s] += 1;
            if (f % 600 == 0) {
                ASSERT_EQ(firstNonFinite(appCurrentSeason()), "") << "frame " << f;
            }
        }
        lastState = state;
        if (f % hour == 0) {
            for (int s = 0; s < 4; ++s) {
                ASSERT_EQ(firstNonFinite(appSeason(s)), "") << sceneNames[s] << ", frame " << f;
            }
            resident.push_back((long)residentBytes());
            heap.push_back((long)liveHeapBytes());
        }
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    ASSERT_GE(resident.size(), 4u);
    // Low points after the first hour: the least of hours 2-4 against the least of the last three.
    auto lowest = [](const std::vector<long>& v, size_t first, size_t count) {
        return *std::min_element(v.begin() + (long)first, v.begin() + (long)(first + count));
    };
    size_t n = resident.size();
    long residentStart = lowest(resident, 1, 3), residentEnd = lowest(resident, n - 3, 3);
    long heapStart = lowest(heap, 1, 3), heapEnd = lowest(heap, n - 3, 3);
    std::printf("gallery day: %ld frames at %dx%d in %.0f s; visits %ld %ld %ld %ld, frames interacting %ld %ld %ld "
                "%ld; resident %ld -> %ld KiB, live heap %ld -> %ld KiB\n",
                day, w, h, seconds, visits[0], visits[1], visits[2], visits[3], interacting[0], interacting[1],
                interacting[2], interacting[3], residentStart / 1024, residentEnd / 1024, heapStart / 1024,
                heapEnd / 1024);
    std::printf("gallery day: resident KiB by hour:");
    for (long r : resident) std::printf(" %ld", r / 1024);
    std::printf("\n");
    for (int s = 0; s < 4; ++s) {
        EXPECT_GT(visits[s], day / (4 * 12 * 60 * 60)) << sceneNames[s];
    }
    EXPECT_LE(heapEnd - heapStart, 128 * 1024);
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LE(residentEnd - residentStart, 8 * 1024 * 1024);
#endif
    sessionFinish();
}
