#include "seasons/winter/trunk_handle.h"

#include <cmath>

TrunkHandle::TrunkHandle(float radius) : radius(radius) {
    // The ring: 35 points round the circle, every other step of 2 pi / 70, closed on the first.
    ring.begin(GL_LINE_STRIP);
    for (int i = 0; i <= 68; i += 2) {
        const double a = i * 0.08975979;
        ring.vertex(static_cast<float>(radius * std::cos(a)), 0, static_cast<float>(radius * std::sin(a)));
    }
    ring.vertex(radius, 0, 0);
    ring.end();
}

void TrunkHandle::setAnchor(const Vec3& p) {
    anchor = p;
}

void TrunkHandle::press() {
    held = true;
    offset = point - anchor;
    grabbed = offset.length() <= radius;
}

void TrunkHandle::release() {
    held = false;
    grabbed = false;
}

bool TrunkHandle::drag(const Vec3& p) {
    prevPoint = point;
    point = p;
    if (!grabbed) return false;
    offset = point - anchor;
    const float reach = offset.length();
    if (reach < radius) return false;

    // Pulled to or beyond the rim: the ring stays on the rim.
    if (reach > 0) offset = offset * static_cast<float>(double(radius) / reach);
    point = anchor + offset;
    pullAngle = static_cast<float>(std::atan2(double(offset.x), double(offset.z)) * 57.2957763671875);
    const double dx = double(point.x) - prevPoint.x, dz = double(point.z) - prevPoint.z;
    pullStrength = static_cast<float>(std::sqrt(dx * dx + dz * dz));
    return true;
}

void TrunkHandle::park() {
    drag(Vec3(10000, 10000, 10000));
}

bool TrunkHandle::ringVisible() const {
    if (held) return grabbed;
    return (point - anchor).length() <= radius;
}

void TrunkHandle::draw() {
    if (!ringVisible()) return;
    if (held) {
        glColor3f(0, 0, 0);
    } else {
        glColor3f(0.3f, 0.3f, 0.3f);
    }
    glPushMatrix();
    glTranslatef(point.x, point.y, point.z);
    ring.draw();
    glPopMatrix();
}
