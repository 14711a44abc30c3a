// A letter of the Autumn story as a small flat body that tumbles, glides and settles like a dry leaf.
// Its velocity each frame is the plain sum of the forces it was given that frame: the scene keeps it
// moving by handing its own velocity back as one of them.
#pragma once

#include <limits>

#include "render/vector_math.h"

class LeafBody {
public:
    ForceAccumulator forces;      // the forces given this frame
    Vec3 angles;                  // degrees about x, y, z, applied in that order when drawn
    Vec3 savedAngles;             // start of a flight back into the text
    Vec3 savedPosition;
    Vec3 spin;                    // change of `angles` per frame
    float spinJitter = 1.5f;      // each airborne frame adds [-0.75, 0.75) to each spin component
    float spinJitterOffset = 0.75f;
    Vec3 anglesRad;
    float cosX = 0, sinX = 0, cosY = 0, sinY = 0, cosZ = 0, sinZ = 0;
    // The radians the cosines and sines above belong to; NaN until the first tumble.
    Vec3 trigOf{std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::quiet_NaN(),
                std::numeric_limits<float>::quiet_NaN()};
    float lift = 0.08f;           // glide strength along the normal
    float tilt = 0;               // the normal's y, then (airborne) the glide factor
    float maxSpeed = 2.5f;        // units per frame
    char letter = ' ';
    float halfSize = 0;           // below this height the body lies on the ground
    float size = 0;               // drawn size
    bool onGround = false;
    Vec3 position;
    Vec3 home;                    // its place in the text
    Vec3 velocity;
    Vec3 gravity;                 // the body's own falling force; only y changes
    Vec3 normal;                  // direction of the glide force

    // Draws the three starting spin rates, each in [1, 3), in the order x, y, z.
    LeafBody();

    void addForce(const Vec3& f) { forces.add(f); }
    // Tumble, then the summed forces become the velocity (at most maxSpeed long) and move the body.
    void step();
    // Orientation, glide force and ground contact for this frame.
    void tumble();
    // Keeps a letter near the ground from reaching into it.
    void settle(float tilt);
};
