// The camera every scene embeds: it orbits the world origin at (pitch, yaw, distance), swung by right
// drags and zoomed by the wheel, with momentum, soft limits that bend the motion back and hard limits.
#pragma once

#include "render/vector_math.h"

class OrbitCamera {
public:
    Vec3 eye{0, 0, 0};
    Vec3 target{0, 1, 0.5f};
    Vec3 up{0, 0, 1};
    int locked = 0;
    float pitch = 0;
    float yaw = 0;
    float pitchMargin = 3;
    float yawMargin = 3;
    float pitchRange = 90;
    float pitchSoftMin = 6;
    float pitchSoftMax = 87;
    float pitchVelocity = 0;
    float yawVelocity = 0;
    float distance = 0;
    float distanceMax = 1200;
    float distanceMin = 2;
    float distanceSoftMax = 1198;
    float distanceSoftMin = 4;
    float distanceMargin = 2;
    float zoomVelocity = 0;
    float lastX = 0;
    float lastY = 0;

    OrbitCamera();
    void resetLimits();
    void set(Vec3 eye, Vec3 target, Vec3 up);
    void deriveAngles();
    void placeEye();
    void grab(float x, float y, bool leftDown, bool rightDown);
    void drag(float x, float y, bool leftDown, bool rightDown);
    void zoom(float amount);
    void update();
    void apply() const;  // gluLookAt(eye, target, up)
};
