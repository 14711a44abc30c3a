#include "framework/application.h"

#include <cmath>
#include <memory>

#include "framework/season.h"
#include "render/bitmap_font.h"
#include "render/gl.h"
#include "render/glyph_table.h"
#include "render/resource_texture.h"
#include "render/screen_widgets.h"
#include "system/frame_timer.h"
#include "system/platform_hooks.h"
#include "system/screenshot.h"

namespace {

const float kRowPitch = 23.45f;
const float kRowWidth = 117.0f;

// Title key frames: 220 + int(100 x fraction), the fractions stored as floats and the product taken in
// double, so 0.45f (slightly below 0.45) gives 264.
int titleMark(float fraction) { return FRAME_INTRO_END + (int)(100.0 * fraction); }

struct Application {
    int screenWidth = 0, screenHeight = 0;
    int state = APP_INTRO;
    int stateFrame = 0;
    int seasonCount = 0;  // the menu's rows, one per scene
    std::vector<std::unique_ptr<ASeason>> ownedSeasons;
    std::vector<ASeason*> seasons;
    ASeason* currentSeason = nullptr;
    int chosenSeason = 0;
    std::unique_ptr<BitmapFont> font;
    GLuint sheetTexture = 0;
    int sheetWidth = 0, sheetHeight = 0;
    ScreenSprite titleSpriteA, titleSpriteB, menuPanel;
    std::vector<std::unique_ptr<MenuButton>> menuButtons;
    std::unique_ptr<HoverBar> hoverBar;
    int mouseX = 0, mouseY = 0;
    int cursorIdle = 400;
    float cursorAlpha = 0;
    float cursorRadius = 0;
    bool screenshotRequested = false;
    float aspect = 1;
    bool quit = false;
    int titleA[4] = {0, 0, 0, 0};
    int titleB[4] = {0, 0, 0, 0};
    std::function<void()> frameReadyHook;
};

Application* app = nullptr;

void initGLState(int width, int height) {
    glShadeModel(GL_SMOOTH);
    glEnable(GL_DEPTH_TEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    glClearColor(1, 1, 1, 0);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, app->aspect, 1, 2048);
    glMatrixMode(GL_MODELVIEW);
}

void setOrthoProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, app->screenWidth, app->screenHeight, 0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void setScenePerspective() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60, app->aspect, 1, 2048);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void fullScreenQuad(float r, float g, float b, float alpha) {
    drawScreenQuad((float)app->screenWidth, (float)app->screenHeight, r, g, b, alpha);
}

float keyFrameAlpha(const int* k, int f) {
    if (f < k[1]) return k[1] > k[0] ? (float)(f - k[0]) / (float)(k[1] - k[0]) : 1.0f;
    if (f <= k[2]) return 1.0f;
    return k[3] > k[2] ? 1.0f - (float)(f - k[2]) / (float)(k[3] - k[2]) : 0.0f;
}

void drawCursor() {
    app->cursorIdle += 1;
    float target = (100 - app->cursorIdle) * 0.01f;
    if (target > 1.0f) target = 1.0f;
    app->cursorAlpha += (target - app->cursorAlpha) * 0.02f;
    if (app->cursorAlpha < 0) app->cursorAlpha = 0;

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, app->screenWidth, app->screenHeight, 0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(0, 0.6f, 1, app->cursorAlpha * 0.7f);
    glTranslatef((float)app->mouseX, (float)app->mouseY, 0);
    glScalef(app->cursorRadius, app->cursorRadius, 0);
    discShape().draw();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}

}  // namespace

void appReleaseTextures() {
    if (!app) return;
    GLuint textures[2] = {app->sheetTexture, app->font ? app->font->texture : 0};
    glDeleteTextures(2, textures);  // a name of 0 is passed over
    app->sheetTexture = 0;
    if (app->font) app->font->texture = 0;
}

void appInit(int screenWidth, int screenHeight, const std::vector<SeasonMaker>& seasonMakers) {
    delete app;
    app = new Application();
    const int rowCount = (int)seasonMakers.size();
    app->seasonCount = rowCount;
    app->menuButtons.resize(seasonMakers.size());
    if (screenHeight < 1) screenHeight = 1;
    if (screenWidth < 1) screenWidth = 1;
    app->screenWidth = screenWidth;
    app->screenHeight = screenHeight;
    const float a[4] = {0.0f, 0.1125f, 0.3375f, 0.45f};
    const float b[4] = {0.55f, 0.6625f, 0.8875f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        app->titleA[i] = titleMark(a[i]);
        app->titleB[i] = titleMark(b[i]);
    }

    app->aspect = (float)screenWidth / (float)screenHeight;
    setReferenceCanvas(screenWidth, screenHeight);
    initGLState(screenWidth, screenHeight);
    buildSharedShapes();
    platformHooks().hideCursor();
    app->cursorRadius = scaleToScreenX(2.7f);
    app->font.reset(new BitmapFont(buildGlyphMetrics(), RESOURCE_GLYPH_SHEET, 3.0f));
    loadResourceTextureEx(RESOURCE_SPRITE_SHEET, &app->sheetTexture, &app->sheetWidth, &app->sheetHeight,
                          GL_LINEAR_MIPMAP_LINEAR, GL_LINEAR, true);

    app->titleSpriteA = ScreenSprite(app->sheetTexture, 10, 390, 20, 94);
    app->titleSpriteB = ScreenSprite(app->sheetTexture, 13, 195, 254, 294);
    app->menuPanel = ScreenSprite(app->sheetTexture, 10, 127, 353, 502);

    // The panel's top-left corner on the reference canvas, before scaling.
    const ReferenceCanvas& canvas = referenceCanvas();
    float panelW = (127 - 10) * 0.65f, panelH = (502 - 353) * 0.65f;
    float px = (canvas.refWidth - panelW) / 2, py = (canvas.refHeight - panelH) / 2;
    for (int i = 0; i < rowCount; ++i) {
        float top = py + kRowPitch * i;
        app->menuButtons[i].reset(new MenuButton(
            scaleToScreenX(px - 1.5f), scaleToScreenX(px), scaleToScreenY(top + 22.45f),
            scaleToScreenY(top + 3), scaleToScreenX(px), scaleToScreenX(px + kRowWidth),
            scaleToScreenY(top + kRowPitch), scaleToScreenY(top), i));
    }
    float row3Top = py + kRowPitch * 3;
    app->hoverBar.reset(new HoverBar(scaleToScreenX(px - 1.5f), scaleToScreenY(row3Top + 3),
                                     scaleToScreenX(1.5f), scaleToScreenY(18)));

    // The scenes in menu order, each initialised right after it is made (both may draw random
    // numbers, so the order matters).
    for (SeasonMaker make : seasonMakers) {
        app->ownedSeasons.push_back(make());
        app->seasons.push_back(app->ownedSeasons.back().get());
        app->seasons.back()->init(screenWidth, screenHeight, app->font.get());
    }

    app->currentSeason = nullptr;
    programFrameTimer().start();
}

void appUpdate() {
    if (!app) return;
    switch (app->state) {
    case APP_INTRO:
        app->cursorIdle = 400;
        if (++app->stateFrame >= FRAME_INTRO_END) app->state = APP_TITLES;
        break;
    case APP_TITLES:
        app->cursorIdle = 400;
        if (++app->stateFrame >= FRAME_TITLES_END) app->state = APP_MENU_APPEARING;
        break;
    case APP_MENU_APPEARING:
        if (app->currentSeason) {
            app->currentSeason->reset();
            app->currentSeason = nullptr;
        }
        if (++app->stateFrame >= FRAME_MENU_READY) app->state = APP_MENU;
        break;
    case APP_MENU: {
        std::vector<MenuButton*> buttons;
        for (auto& button : app->menuButtons) {
            buttons.push_back(button.get());
            button->hovered = button->contains((float)app->mouseX, (float)app->mouseY);
        }
        app->hoverBar->track(buttons.data(), (int)buttons.size());
        app->hoverBar->update();
        break;
    }
    case APP_ENTERING_SEASON:
        for (auto& button : app->menuButtons) button->hovered = false;
        app->hoverBar->active = false;
        app->hoverBar->update();
        if (++app->stateFrame >= FRAME_SEASON_STARTS) {
            if (app->chosenSeason == 3)
                glClearColor(0, 0, 0, 0);
            else
                glClearColor(1, 1, 1, 0);
            app->state = APP_SEASON;
        }
        break;
    case APP_SEASON:
        app->currentSeason->update();
        if (app->currentSeason->finished) {
            glClearColor(1, 1, 1, 0);
            app->stateFrame = FRAME_TITLES_END;
            app->state = APP_MENU_APPEARING;
        }
        break;
    case APP_EXITING:
        app->cursorIdle = 400;
        if (++app->stateFrame >= FRAME_PROGRAM_ENDS) app->quit = true;
        break;
    }
}

void appDraw() {
    if (!app) return;
    int f = app->stateFrame;
    if (app->state != APP_SEASON) {
        setOrthoProjection();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    switch (app->state) {
    case APP_INTRO: {
        float alpha = f < 100 ? 1.0f : 1.0f - (f - 100) / 60.0f;
        if (alpha < 0) alpha = 0;
        fullScreenQuad(0, 0, 0, alpha);
        break;
    }
    case APP_TITLES:
        if (f >= app->titleA[0] && f <= app->titleA[3])
            app->titleSpriteA.draw(keyFrameAlpha(app->titleA, f));
        if (f >= app->titleB[0] && f <= app->titleB[3])
            app->titleSpriteB.draw(keyFrameAlpha(app->titleB, f));
        break;
    case APP_MENU_APPEARING: {
        float alpha = (f - 320) / 100.0f;
        app->menuPanel.draw(alpha < 0 ? 0 : alpha);
        break;
    }
    case APP_MENU:
        glDisable(GL_DEPTH_TEST);
        app->menuPanel.draw(1);
        app->hoverBar->draw();
        glEnable(GL_DEPTH_TEST);
        break;
    case APP_ENTERING_SEASON: {
        glDisable(GL_DEPTH_TEST);
        app->menuPanel.draw(1);
        app->hoverBar->draw();
        float alpha = (f - 420) / 150.0f;
        fullScreenQuad(1, 1, 1, alpha < 0 ? 0 : alpha);
        glEnable(GL_DEPTH_TEST);
        break;
    }
    case APP_SEASON:
        setScenePerspective();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        app->currentSeason->draw();
        break;
    case APP_EXITING: {
        int d = f - FRAME_EXIT_STARTS;
        if (d > 100)
            fullScreenQuad(0, 0, 0, (d - 100) / 100.0f);
        else
            app->menuPanel.draw(1.0f - d / 100.0f);
        break;
    }
    }

    platformHooks().frameDrawn();
    if (app->frameReadyHook) app->frameReadyHook();
    if (app->screenshotRequested) {
        captureScreenshot(app->screenWidth, app->screenHeight);
        app->screenshotRequested = false;
    }
    drawCursor();
    glFlush();
    platformHooks().swapBuffers();
}

void appSkipDraw() {
    if (!app) return;
    if (app->state == APP_SEASON) {
        setScenePerspective();
        app->currentSeason->skipDraw();
    } else {
        setOrthoProjection();
    }
    app->screenshotRequested = false;  // a frame not drawn has nothing to capture
    drawCursor();  // small, and it leaves the fade and the GL state a drawn frame leaves
}

namespace {

void onKeyDown(int key) {
    if (key == VK_CODE_ESCAPE && app->state == APP_MENU) {
        app->stateFrame = FRAME_EXIT_STARTS;
        app->state = APP_EXITING;
        app->cursorAlpha = 0;  // the closing sequence shows no cursor, not even one fading out
    }
    if (app->state == APP_SEASON) app->currentSeason->keyPressed(key);
}

void onKeyUp(int key) {
    if (key == VK_CODE_F12) app->screenshotRequested = true;
    if (app->state == APP_SEASON) app->currentSeason->keyReleased(key);
}

void onMouseMove(int x, int y) {
    app->mouseX = x;
    app->mouseY = y;
    app->cursorIdle = -100;
    if (app->state == APP_SEASON) app->currentSeason->mouseMoved(x, y);
}

void onMouseDown(int x, int y, int button) {
    app->cursorIdle = -100;
    if (app->state == APP_SEASON) {
        app->currentSeason->mousePressed(x, y, button);
    } else if (app->state == APP_MENU) {
        for (int i = 0; i < app->seasonCount; ++i) {
            if (app->menuButtons[i]->contains((float)x, (float)y)) {
                app->chosenSeason = i;
                app->currentSeason = app->seasons[i];
                app->state = APP_ENTERING_SEASON;
                break;
            }
        }
    }
}

void onMouseUp(int x, int y, int button) {
    app->cursorIdle = -100;
    if (app->state == APP_SEASON) app->currentSeason->mouseReleased(x, y, button);
}

}  // namespace

void appInput(const InputEvent& e) {
    if (!app) return;
    switch (e.kind) {
    case INPUT_KEY_DOWN: onKeyDown(e.key); break;
    case INPUT_KEY_UP: onKeyUp(e.key); break;
    case INPUT_MOVE: onMouseMove(e.x, e.y); break;
    case INPUT_PRESS: onMouseDown(e.x, e.y, e.button); break;
    case INPUT_RELEASE: onMouseUp(e.x, e.y, e.button); break;
    }
}

bool quitRequested() { return app && app->quit; }
void requestQuit() {
    if (app) app->quit = true;
}

int appStateId() { return app ? app->state : APP_INTRO; }
int appStateFrame() { return app ? app->stateFrame : 0; }
int appChosenSeason() { return app ? app->chosenSeason : 0; }
ASeason* appSeason(int index) {
    return app && index >= 0 && index < app->seasonCount ? app->seasons[index] : nullptr;
}
ASeason* appCurrentSeason() { return app ? app->currentSeason : nullptr; }
float appCursorAlpha() { return app ? app->cursorAlpha : 0; }
int appTitleMark(int index) {
    if (!app || index < 0 || index > 7) return 0;
    return index < 4 ? app->titleA[index] : app->titleB[index - 4];
}

float appHoverBarAlpha() { return app && app->hoverBar ? app->hoverBar->alpha : 0; }

void appMenuRowRect(int index, float& left, float& top, float& right, float& bottom) {
    left = top = right = bottom = 0;
    if (!app || index < 0 || index >= app->seasonCount || !app->menuButtons[index]) return;
    const MenuButton& b = *app->menuButtons[index];
    left = b.hitLeft;
    top = b.hitTop;
    right = b.hitRight;
    bottom = b.hitBottom;
}

void appReplaceSeasonForTesting(int index, ASeason* season) {
    if (!app || index < 0 || index >= app->seasonCount) return;
    app->seasons[index] = season;  // the application's own scene stays owned, unused
}

void appSetFrameReadyHook(std::function<void()> hook) {
    if (app) app->frameReadyHook = std::move(hook);
}
