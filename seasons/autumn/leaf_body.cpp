#include "seasons/autumn/leaf_body.h"

#include <cmath>

#include "render/random_generator.h"

LeafBody::LeafBody() {
    float sx = 2.0f * randomFraction() + 1.0f;
    float sy = 2.0f * randomFraction() + 1.0f;
    float sz = 2.0f * randomFraction() + 1.0f;
    spin.set(sx, sy, sz);
}

namespace {

// The cosine and sine of `a`, worked out again only when `a` is not the angle they belong to (a leaf
// lying still keeps its angles frame after frame). -0 and +0 count as different: their sines differ.
void cosSin(float a, float& of, float& c, float& s) {
    if (a == of && std::signbit(a) == std::signbit(of)) return;
    of = a;
    c = (float)std::cos((double)a);
    s = (float)std::sin((double)a);
}

}  // namespace

void LeafBody::step() {
    tumble();
    forces.sumAndClear();
    velocity = forces.total();
    double speed = velocity.length();
    if (speed > maxSpeed) velocity = velocity * (float)(maxSpeed / speed);
    position += velocity;
}

void LeafBody::tumble() {
    onGround = position.y <= halfSize;
    spin = spin * 0.98f;
    if (!onGround) {
        // One draw per axis, x first; a body on the ground does not turn by itself.
        spin.x += randomFraction() * spinJitter - spinJitterOffset;
        spin.y += randomFraction() * spinJitter - spinJitterOffset;
        spin.z += randomFraction() * spinJitter - spinJitterOffset;
        angles += spin;
    }
    anglesRad = angles * 0.017453292f;
    cosSin(anglesRad.x, trigOf.x, cosX, sinX);
    cosSin(anglesRad.y, trigOf.y, cosY, sinY);
    cosSin(anglesRad.z, trigOf.z, cosZ, sinZ);
    normal.set(-sinZ * cosY, cosZ * cosX - sinZ * sinY * sinX, sinZ * sinY * cosX + cosZ * sinX);
    // The tilt is the normal's vertical component. Taken directly rather than as cos(acos(y)), which
    // is not a number when rounding lifts |y| a hair above 1.
    tilt = normal.y;
    settle(tilt);
    if (!onGround) {
        tilt = lift * tilt;
        normal = normal * tilt;
        addForce(normal);
    }
}

namespace {

float wrapDegrees(float angle) {
    float wrapped = (float)std::fmod((double)angle, 360.0);
    if (wrapped < 0) wrapped += 360.0f;
    return wrapped;
}

// A letter near the ground lies flat (0, 180 or 360), face up or down by its quadrant, standing more
// upright only as far as its height allows. Exact multiples of 90 are left alone.
float settleAngle(float angle, float ratio) {
    if (angle > 0 && angle < 90) return ratio * 90.0f;
    if (angle > 90 && angle < 180) return 180.0f - ratio * 90.0f;
    if (angle > 180 && angle < 270) return 180.0f + ratio * 90.0f;
    if (angle > 270 && angle < 360) return 360.0f - ratio * 90.0f;
    return angle;
}

}  // namespace

void LeafBody::settle(float tiltY) {
    angles.x = wrapDegrees(angles.x);
    angles.z = wrapDegrees(angles.z);
    float clearance = (1.0f - std::fabs(tiltY)) * halfSize;
    if (clearance <= position.y) return;
    // A body without a size counts as lying flat.
    float ratio = halfSize > 0 ? position.y / halfSize : 0.0f;
    spin.x = 0;
    spin.z = 0;
    angles.x = settleAngle(angles.x, ratio);
    angles.z = settleAngle(angles.z, ratio);
}
