// Pushes every letter away from a point on the ground; grounded letters near it are kicked into a
// spin and lifted.
#pragma once

#include "render/vector_math.h"

class LeafBody;

class LeafKicker {
public:
    Vec3 centre;
    float radius;
    Vec3 offset;  // scratch: centre minus the body's position

    explicit LeafKicker(float radius);
    void setCentre(const Vec3& c) { centre.set(c.x, c.y, c.z); }
    void push(LeafBody* bodies, int count);
};
