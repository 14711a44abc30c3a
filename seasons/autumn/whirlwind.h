// A funnel of rising, circling air standing on the ground: it pulls letters in from outside, lifts
// them round a core circle that widens with height, and blows them out of its eye.
#pragma once

#include "render/vector_math.h"

class Whirlwind {
public:
    Vec3 centre;           // only x and z are used
    Vec3 rel;              // scratch: the point relative to the foot (height absolute)
    Vec3 force;            // the result of the last evaluation
    float height = 160.0f;
    float y = 0;           // scratch: height of the last point
    float coreRadius = 0, innerRadius = 0, outerRadius = 0;  // at the height of the last point
    float innerRadiusBase = 0.0f;
    float outerRadiusBase = 40.0f;
    float coreRadiusBase = 20.0f;
    float coreRadiusGrowth = 52.5f;
    float innerRadiusGrowth = 45.0f;
    float outerRadiusGrowth = 60.0f;
    float strength = 0.15f;
    float turn = 6.2831855f;

    explicit Whirlwind(const Vec3& centre);
    // The force at p; the reference stays valid until the next evaluation.
    const Vec3& forceAt(const Vec3& p);
};
