#include "render/screen_widgets.h"

#include <cmath>
#include <cstring>

namespace {
ReferenceCanvas canvas;
RecordedShape disc;
const float kSheetSize = 512.0f;
const float kSpriteScale = 0.65f;
}  // namespace

void setReferenceCanvas(int screenWidth, int screenHeight) {
    if (screenHeight < 1) screenHeight = 1;
    canvas.screenWidth = (float)screenWidth;
    canvas.screenHeight = (float)screenHeight;
    float aspect = (float)screenWidth / (float)screenHeight;
    canvas.refHeight = 480.0f;
    canvas.refWidth = (float)(int)(aspect * 480.0f);
    if (canvas.refWidth < 1) canvas.refWidth = 1;
}

const ReferenceCanvas& referenceCanvas() { return canvas; }
float scaleToScreenX(float v) { return v * canvas.screenWidth / canvas.refWidth; }
float scaleToScreenY(float v) { return v * canvas.screenHeight / canvas.refHeight; }

ScreenSprite::ScreenSprite(GLuint tex, float left, float right, float top, float bottom) {
    texture = tex;
    uLeft = left / kSheetSize;
    uRight = right / kSheetSize;
    tTop = 1 - top / kSheetSize;
    tBottom = 1 - bottom / kSheetSize;
    float refW = (right - left) * kSpriteScale;
    float refH = (bottom - top) * kSpriteScale;
    x = scaleToScreenX((canvas.refWidth - refW) / 2);
    y = scaleToScreenY((canvas.refHeight - refH) / 2);
    w = scaleToScreenX(refW);
    h = scaleToScreenY(refH);
}

void ScreenSprite::draw(float alpha) const {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(1, 1, 1, alpha);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(uLeft, tBottom); glVertex2f(x, y + h);
    glTexCoord2f(uLeft, tTop); glVertex2f(x, y);
    glTexCoord2f(uRight, tTop); glVertex2f(x + w, y);
    glTexCoord2f(uRight, tBottom); glVertex2f(x + w, y + h);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
}

MenuButton::MenuButton(float mLeft, float mRight, float mBottom, float mTop, float hLeft, float hRight,
                       float hBottom, float hTop, int i)
    : index(i), markerLeft(mLeft), markerRight(mRight), markerBottom(mBottom), markerTop(mTop),
      hitTop(hTop), hitBottom(hBottom), hitLeft(hLeft), hitRight(hRight) {}

bool MenuButton::contains(float px, float py) const {
    return hitLeft <= px && px <= hitRight && hitTop <= py && py <= hitBottom;
}

HoverBar::HoverBar(float px, float py, float pw, float ph) : w(pw), h(ph), x(px), y(py), targetY(py) {}

void HoverBar::track(MenuButton* const* buttons, int count) {
    bool anyHovered = false;
    for (int i = 0; i < count; ++i) {
        if (buttons[i]->hovered) {
            targetY = buttons[i]->markerBottom;
            anyHovered = true;
        }
    }
    if (!anyHovered) {
        active = false;
    } else if (alpha == 0.0f) {
        // Appears where it is needed while invisible; a bar still fading out is not brought back.
        active = true;
        y = targetY;
    }
}

void HoverBar::update() {
    y -= (y - targetY) * 0.1f;
    if (active) {
        alpha += 0.01f;
        if (alpha > maxAlpha) alpha = maxAlpha;
    } else {
        alpha -= alpha * 0.1f;
        if (alpha < 0.001f) alpha = 0;
    }
}

void HoverBar::draw() const {
    if (alpha == 0.0f) return;
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(r, g, b, alpha);
    glBegin(GL_QUADS);
    glVertex2f(x, y - h);
    glVertex2f(x, y);
    glVertex2f(x + w, y);
    glVertex2f(x + w, y - h);
    glEnd();
    glDisable(GL_BLEND);
}

void buildSharedShapes() {
    disc.begin(GL_POLYGON);
    for (int i = 0; i < 18; ++i) {
        double a = i * 20.0 * 3.14159265358979 / 180.0;
        disc.vertex((float)std::cos(a), (float)std::sin(a), 0);
    }
    disc.end();
}

const RecordedShape& discShape() { return disc; }

char* stripSpaces(const char* text, int length) {
    if (length < 0) length = 0;
    char* out = new char[length + 1];
    int n = 0;
    for (int i = 0; i < length && text[i] != '\0'; ++i)
        if (text[i] != ' ' && text[i] != '\n') out[n++] = text[i];
    out[n] = '\0';
    return out;
}

void drawScreenQuad(float width, float height, float r, float g, float b, float alpha) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(r, g, b, alpha);
    glBegin(GL_QUADS);
    glVertex2f(0, height);
    glVertex2f(0, 0);
    glVertex2f(width, 0);
    glVertex2f(width, height);
    glEnd();
    glDisable(GL_BLEND);
}

void drawScreenFade(int width, int height, const float* colour, float alpha) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, width, height, 0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    drawScreenQuad((float)width, (float)height, colour[0], colour[1], colour[2], alpha);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
}
