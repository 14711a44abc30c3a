// Gallery mode, headless on the frame clock. In the suite: one round of the built-in visitor through
// the four seasons, each visit (a recording of a couple of minutes) doing what it is for, then a person
// taking over, Escape on the menu going back to the cycle, and the quit chord. The day unattended is
// run by hand (bench/soak.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/headless_run.h"
#include "app/input_session.h"
#include "app/main_loop.h"
#include "bench/gallery_support.h"
#include "framework/application.h"
#include "framework/gallery.h"
#include "framework/season.h"
#include "framework/season_scene.h"

TEST(Gallery, VisitorPlaysEachSeasonInTurnAndAPersonTakesOverAtOnce) {
    const int w = 160, h = 120;
    HeadlessRun run(w, h, false);  // drawn below, every eighth frame of a scene (its picking needs one)
    ASSERT_TRUE(run.ok()) << run.error();
    ASSERT_EQ(startGallery(w, h), "");
    run.skipToMenu();
    auto frame = [&run](bool) { galleryFrame(run, appStateId() == APP_SEASON && run.frame() % 8 == 0); };
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
            galleryFrame(run, false);
            ASSERT_EQ(appStateId(), APP_MENU) << c.what << ", frame " << f << " on the menu";
        }
        galleryFrame(run, false);
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
        galleryFrame(run, false);
        ASSERT_FALSE(leaving()) << "left after " << f << " frames";
    }
    galleryFrame(run, false);
    EXPECT_TRUE(leaving());
    sessionFinish();
}
