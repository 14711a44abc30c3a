// Flat screen-space pieces: sprites cut from the sprite sheet, the menu's hit rows, the hover bar,
// the cursor disc, reference-canvas scaling, and stripSpaces. Drawn in pixel coordinates, y downward.
#pragma once

#include "render/gl.h"
#include "render/recorded_shape.h"

// The reference canvas is 480 units high and refWidth = int(480 x aspect) wide.
struct ReferenceCanvas {
    float screenWidth = 640, screenHeight = 480;
    float refWidth = 640, refHeight = 480;
};
void setReferenceCanvas(int screenWidth, int screenHeight);
const ReferenceCanvas& referenceCanvas();
float scaleToScreenX(float v);
float scaleToScreenY(float v);

struct ScreenSprite {
    GLuint texture = 0;
    float x = 0, y = 0, w = 0, h = 0;
    float tBottom = 0, tTop = 0, uLeft = 0, uRight = 0;

    ScreenSprite() = default;
    // From a rectangle of the 512 x 512 sheet, drawn at 0.65 of its pixel size, centred on the canvas.
    ScreenSprite(GLuint texture, float left, float right, float top, float bottom);
    void draw(float alpha) const;
};

struct MenuButton {
    int index = 0;
    float markerLeft = 0, markerRight = 0, markerBottom = 0, markerTop = 0;
    float hitTop = 0, hitBottom = 0, hitLeft = 0, hitRight = 0;
    bool hovered = false;

    MenuButton(float markerLeft, float markerRight, float markerBottom, float markerTop, float hitLeft,
               float hitRight, float hitBottom, float hitTop, int index);
    bool contains(float x, float y) const;  // inclusive on all four edges
};

struct HoverBar {
    float w, h, x, y, targetY;
    float r = 0, g = 0, b = 0;
    float alpha = 0, maxAlpha = 0.7f;
    bool active = false;

    HoverBar(float x, float y, float w, float h);
    void track(MenuButton* const* buttons, int count);
    void update();
    void draw() const;
};

// A quad over the whole screen, x 0..width and y 0..height in the current matrices, blended by alpha.
void drawScreenQuad(float width, float height, float r, float g, float b, float alpha);
// A scene's fade: that quad in its own top-left 2-D projection, the caller's matrices kept on their
// stacks. Leaves the depth test on and the projection matrix current.
void drawScreenFade(int width, int height, const float* colour, float alpha);

// The shared disc: an 18-sided polygon of radius 1 about the origin.
void buildSharedShapes();
const RecordedShape& discShape();

// A new zero-terminated copy of the first `length` characters without spaces and newlines; caller owns.
char* stripSpaces(const char* text, int length);
