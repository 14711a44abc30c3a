#include "seasons/spring/letter_seed.h"

#include <cmath>

#include "seasons/spring/dandelion.h"

namespace {

// Moves `value` toward `goal`: by `rate` of the difference per frame, snapping once the step is small.
void relaxToward(float& value, float goal, float rate, float snap) {
    if (value == goal) return;
    float delta = (value - goal) * rate;
    if (std::fabs(delta) < snap) value = goal;
    else value -= delta;
}

}  // namespace

void LetterSeed::reset() {
    size = baseSize;
    halfSize = baseSize * 0.5f;
    attached = true;
    alpha = 1.0f;
    velocity.clear();
    lingerForce.clear();
    visible = true;
}

void LetterSeed::blow(float bx, float bz) { force.add(bx * -0.05f, 0.0001f, bz * -0.05f); }

void LetterSeed::fly() {
    force += lingerForce;
    force += gravity;
    velocity = velocity * 0.98f;
    velocity += force;
    if (velocity.y < -0.3f) velocity.y = -0.3f;
    lingerForce = force * 0.94f;

    relaxToward(maxSpeed, cruiseSpeed, 0.004f, 0.02f);
    relaxToward(turnRate, cruiseTurnRate, 0.004f, 0.02f);

    float speed = velocity.length();
    if (speed > maxSpeed) velocity = velocity * (maxSpeed / speed);
    position += velocity;

    if (position.y < fadeHeight && !attached) {
        alpha = position.y / fadeHeight;
        if (alpha <= 0 && visible) {
            // Landed: it waits, invisible, until its plant regrows.
            if (owner) owner->seedsInFlight -= 1;
            velocity.clear();
            lingerForce.clear();
            visible = false;
            alpha = 0;
        }
    }
    force.clear();

    if ((double)velocity.x * velocity.x + (double)velocity.y * velocity.y + (double)velocity.z * velocity.z >
        1.0) {
        lookMatrix.setLookBasis(Vec3(0, 0, 0), velocity, Vec3(0, 1, 0));
        targetOrientation.fromMatrix(lookMatrix);
    }
    spinAngle += spinRate;
    spin.fromEuler(0, spinAngle, 0);
    targetOrientation = targetOrientation * spin;
    flightOrientation.slerp(flightOrientation, targetOrientation, turnRate);
    matrix = flightOrientation.toMatrix();
}
