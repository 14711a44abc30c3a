#include "seasons/winter/snow_letter.h"

#include <cmath>

#include "seasons/winter/snow_tree.h"

void SnowLetter::setSize(float half, float catchFactor) {
    halfSize = half;
    size = 2 * half;
    stickRadiusSquared = static_cast<float>(double(half) * half * catchFactor);
}

void SnowLetter::addForce(const Vec3& f) {
    forces.add(f);
}

void SnowLetter::push(float x, float y, float z) {
    pendingForce = Vec3(x, y, z);
    addForce(pendingForce);
}

void SnowLetter::update() {
    if (shaken) {
        push(0, -0.4f, 0);
        angles.x += spinX;
        angles.z += spinZ;
    } else {
        phaseX1 += stepX1;
        phaseX2 += stepX2;
        phaseZ1 += stepZ1;
        phaseZ2 += stepZ2;
        push(static_cast<float>((std::sin(phaseX1) + std::sin(phaseX2)) * amplitudeX), 0,
             static_cast<float>((std::sin(phaseZ1) + std::sin(phaseZ2)) * amplitudeZ));
        angles.x += spinX;
        angles.z += spinZ;
        // The plane goes through the letter where it stood before this frame's move.
        planeAngles = angles;
        planeFrom = position;
        planeDue = true;
    }

    forces.sumAndClear();
    velocity = forces.total();
    const float speed = velocity.length();
    if (speed > maxSpeed && speed > 0) velocity = velocity * static_cast<float>(double(maxSpeed) / speed);
    position += velocity;
}

void SnowLetter::preparePlane() {
    if (!planeDue) return;
    planeDue = false;
    Vec3 edge;
    directionsFromAngles(planeAngles.x, planeAngles.y, planeAngles.z, planeNormal, edge);
    planePoint = planeFrom + edge;
    planeOffset = -dot(planeNormal, planePoint);
}
