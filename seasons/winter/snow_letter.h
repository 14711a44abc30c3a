// One letter of the Winter story: first a glyph lying in its place on the page, then a flake of snow
// that falls in a slow two-sine wobble, turning about x and z, rests where a branch catches it, and is
// thrown off fast and straight when the tree is shaken. Each frame's velocity is the plain sum of that
// frame's forces; the scene keeps a letter moving by adding its own velocity back as one of them.
#pragma once

#include "render/vector_math.h"

class SnowLetter {
public:
    ForceAccumulator forces;
    Vec3 position;
    Vec3 home;  // its place in the text
    Vec3 velocity;
    // The plane of the flat letter, for the branches to catch it: normal . p + planeOffset = 0. A
    // frame's update only notes how the letter was turned and where it stood; preparePlane works the
    // plane out from that when a branch first needs it, as most letters are never near one.
    Vec3 planeNormal;
    Vec3 planePoint;
    float planeOffset = 0;
    Vec3 planeAngles, planeFrom;
    bool planeDue = false;
    Vec3 pendingForce;  // the last force given through push
    Vec3 angles{0, 180, 180};  // degrees about x, y, z, applied in that order
    float spinX = 0, spinZ = 0;  // degrees per frame
    float halfSize = 0, size = 0, stickRadiusSquared = 0;
    float maxSpeed = 0.02f;  // units per frame
    float alpha = 0;
    float phaseX1 = 0, phaseX2 = 0, stepX1 = 0, stepX2 = 0, amplitudeX = 0;
    float phaseZ1 = 0, phaseZ2 = 0, stepZ1 = 0, stepZ2 = 0, amplitudeZ = 0;
    char letter = ' ';
    bool active = true;   // false while it rests on a branch
    bool shaken = false;  // thrown off a branch: falls fast and cannot be caught until respawned

    SnowLetter() = default;

    void setSize(float half, float catchFactor);
    void addForce(const Vec3& f);
    void push(float x, float y, float z);
    // One frame of motion.
    void update();
    void preparePlane();
};
