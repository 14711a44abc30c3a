#include "render/orbit_camera.h"

#include <cmath>

#include "render/gl.h"

namespace {

const double kRadToDeg = 57.29578;
const double kDegToRad = 3.14159265358979323846 / 180.0;

const double kAngularDamping = 0.988;
const double kZoomDamping = 0.98;
const double kDragGain = 1.5;

// Scale of a velocity pushing past a soft limit: 1 at the limit, 0 one margin beyond it, negative
// further out. `beyond` is how far past the limit the value lies (positive). A zone without width
// stops the motion at once. Far out the motion is reversed but never sped up: a camera flung well
// past a limit would otherwise bounce back faster with every frame until its angles overflow.
double softFactor(double beyond, double margin) {
    if (!(margin > 0)) return 0.0;
    double factor = 1.0 - beyond / margin;
    return factor < -1.0 ? -1.0 : factor;
}

float wrapDegrees(float a) {
    if (a > 360) return a - 360;
    if (a < 0) return a + 360;
    return a;
}

}  // namespace

OrbitCamera::OrbitCamera() {
    eye = Vec3(0, 0, 0);
    target = Vec3(0, 1, 0.5f);
    up = Vec3(0, 0, 1);
    resetLimits();
}

void OrbitCamera::resetLimits() {
    locked = 0;
    pitch = 0;
    yaw = 0;
    pitchMargin = 3;
    yawMargin = 3;
    pitchRange = 90;
    pitchSoftMin = 6;
    pitchSoftMax = 87;
    pitchVelocity = 0;
    yawVelocity = 0;
    distance = 0;
    distanceMax = 1200;
    distanceMin = 2;
    distanceSoftMax = 1198;
    distanceSoftMin = 4;
    distanceMargin = 2;
    zoomVelocity = 0;
}

void OrbitCamera::set(Vec3 newEye, Vec3 newTarget, Vec3 newUp) {
    eye = newEye;
    target = newTarget;
    up = newUp;
    if (!locked) deriveAngles();
}

void OrbitCamera::deriveAngles() {
    const Vec3 d = eye - target;
    yaw = static_cast<float>(std::atan2(double(d.z), double(d.x)) * kRadToDeg);
    pitch = static_cast<float>(std::atan2(double(d.y), double(d.z)) * kRadToDeg);
    distance = (target - eye).length();
}

void OrbitCamera::placeEye() {
    const double p = pitch * kDegToRad;
    const double y = yaw * kDegToRad;
    const double dist = distance;
    eye.y = static_cast<float>(std::sin(p) * dist);
    eye.x = static_cast<float>(std::cos(y) * std::cos(p) * dist);
    eye.z = static_cast<float>(std::sin(y) * std::cos(p) * dist);
}

void OrbitCamera::grab(float x, float y, bool, bool) {
    lastX = x;
    lastY = y;
}

void OrbitCamera::drag(float x, float y, bool, bool rightDown) {
    if (!locked && rightDown) {
        pitchVelocity = static_cast<float>(pitchVelocity + (double(y) - lastY) * kDragGain);
        yawVelocity = static_cast<float>(yawVelocity + (double(x) - lastX) * kDragGain);
    }
    lastX = x;
    lastY = y;
}

void OrbitCamera::zoom(float amount) {
    if (locked) return;
    // Within a soft zone only the push back toward the middle is taken.
    if (distance < distanceSoftMin) {
        if (amount > 0) zoomVelocity += amount;
    } else if (distance > distanceSoftMax) {
        if (amount < 0) zoomVelocity += amount;
    } else {
        zoomVelocity += amount;
    }
}

void OrbitCamera::update() {
    if (locked) return;

    pitch += pitchVelocity;
    const double v = pitchVelocity * kAngularDamping;
    pitchVelocity = static_cast<float>(v);
    yaw += yawVelocity;
    yawVelocity = static_cast<float>(yawVelocity * kAngularDamping);

    // Soft limits bend the damped velocity back before the hard ones are reached.
    if (pitch < pitchSoftMin && v < 0) {
        pitchVelocity = static_cast<float>(softFactor(double(pitchSoftMin) - pitch, pitchMargin) * v);
    } else if (pitch > pitchSoftMax && v > 0) {
        pitchVelocity = static_cast<float>(softFactor(double(pitch) - pitchSoftMax, pitchMargin) * v);
    }

    if (distance < distanceSoftMin && zoomVelocity < 0) {
        zoomVelocity = static_cast<float>(
            softFactor(double(distanceSoftMin) - distance, distanceMargin) * zoomVelocity);
    } else if (distance > distanceSoftMax && zoomVelocity > 0) {
        zoomVelocity = static_cast<float>(
            softFactor(double(distance) - distanceSoftMax, distanceMargin) * zoomVelocity);
    }

    distance += zoomVelocity;
    zoomVelocity = static_cast<float>(zoomVelocity * kZoomDamping);

    if (distance > distanceMax) distance = distanceMax;
    if (distance < distanceMin) distance = distanceMin;

    pitch = wrapDegrees(pitch);
    yaw = wrapDegrees(yaw);

    placeEye();
}

void OrbitCamera::apply() const {
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
}
