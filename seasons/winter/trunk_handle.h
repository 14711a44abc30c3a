// The ring at the foot of the Winter tree's trunk. Pressing within its radius grabs it; pulling the
// grabbed ring to (or past) its rim keeps it on the rim and reports a pull: the direction about the
// vertical and how far the ring moved across the ground this frame.
#pragma once

#include "render/gl.h"
#include "render/recorded_shape.h"
#include "render/vector_math.h"

class TrunkHandle {
public:
    RecordedShape ring;
    Vec3 point;      // the handle's current ground point
    Vec3 prevPoint;
    Vec3 anchor;     // the foot of the trunk
    Vec3 offset;     // scratch
    float radius;
    float pullAngle = 0;     // degrees about the vertical
    float pullStrength = 0;  // ground distance the ring moved in the last pull
    bool grabbed = false;
    bool held = false;

    explicit TrunkHandle(float radius);
    TrunkHandle(const TrunkHandle&) = delete;
    TrunkHandle& operator=(const TrunkHandle&) = delete;

    void setAnchor(const Vec3& p);
    void press();
    void release();
    // Follows the pointer's ground point; true while the grabbed ring is pulled to its rim.
    bool drag(const Vec3& p);
    // Keeps the ring far away, out of sight and out of reach.
    void park();
    // Whether draw shows the ring: grey while the free pointer is within reach of the trunk's foot,
    // black while it is held, and not at all while a press that missed it is held.
    bool ringVisible() const;
    void draw();
};
