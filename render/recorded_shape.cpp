#include "render/recorded_shape.h"

void RecordedShape::begin(GLenum primitive) {
    mode = primitive;
    points.clear();
}

void RecordedShape::texCoord(float ts, float tt) {
    textured = true;
    s = ts;
    t = tt;
}

void RecordedShape::vertex(float x, float y, float z) { points.push_back(Point{s, t, x, y, z}); }

void RecordedShape::draw() const {
    if (!points.empty()) {
        glBegin(mode);
        for (const Point& p : points) {
            if (textured) glTexCoord2f(p.s, p.t);
            glVertex3f(p.x, p.y, p.z);
        }
        glEnd();
    }
    if (move != 0) glTranslatef(move, 0, 0);
}
