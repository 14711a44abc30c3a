// A shape recorded once and drawn many times: one primitive's vertices (with texture coordinates when
// it has them) and an optional move along x after it, drawn again with the same immediate-mode calls
// every time. Takes the place of a compiled list, which not every platform's GL has.
//
//   RecordedShape quad;
//   quad.begin(GL_QUADS);
//   quad.texCoord(0, 0); quad.vertex(0, 0, 0); ...
//   quad.end();
//   quad.moveAfter(advance);           // optional: glTranslatef(advance, 0, 0) after the primitive
//   quad.draw();
#pragma once

#include <vector>

#include "render/gl.h"

class RecordedShape {
public:
    void begin(GLenum primitive);
    void texCoord(float s, float t);
    void vertex(float x, float y, float z);
    void end() {}
    void moveAfter(float dx) { move = dx; }

    // Nothing recorded (and no move): draws nothing.
    bool empty() const { return points.empty() && move == 0; }
    void draw() const;

private:
    struct Point {
        float s, t, x, y, z;
    };
    GLenum mode = 0;
    bool textured = false;
    float s = 0, t = 0;  // the texture coordinate the next vertex takes
    float move = 0;
    std::vector<Point> points;
    void emit(const Point& p) const;
};
