#include "render/recorded_shape.h"

#include <cstddef>

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

void RecordedShape::emit(const Point& p) const {
    if (textured) glTexCoord2f(p.s, p.t);
    glVertex3f(p.x, p.y, p.z);
}

void RecordedShape::draw() const {
    if (mode == GL_QUADS) {
        // Each quad as the two triangles a compiled list cuts it into: corners 0 1 3 and 1 2 3. Cut
        // along the other diagonal, a slanted face's depths round differently where it meets others.
        glBegin(GL_TRIANGLES);
        for (std::size_t q = 0; q + 3 < points.size(); q += 4)
            for (int corner : {0, 1, 3, 1, 2, 3}) emit(points[q + (std::size_t)corner]);
        glEnd();
    } else if (!points.empty()) {
        glBegin(mode);
        for (const Point& p : points) emit(p);
        glEnd();
    }
    if (move != 0) glTranslatef(move, 0, 0);
}
