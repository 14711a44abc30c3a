// One letter of the Spring story: it lies in the text on the field, rides on its word's dandelion
// head, and once blown off flies on its own, sinks, fades near the ground and lands.
#pragma once

#include "render/vector_math.h"

class Dandelion;

class LetterSeed {
public:
    char letter = ' ';
    float indexInWord = 0;    // position within its word, 0-based
    bool attached = true;     // sits on its dandelion's head (or on the page)
    int dandelionIndex = 0;
    Dandelion* owner = nullptr;
    float alpha = 1.0f;
    bool visible = true;      // drawn and simulated; false once landed
    Vec3 position;
    Vec3 home;                // its place in the story layout
    Vec3 velocity;
    Vec3 lingerForce;         // decaying memory of the last frame's total force
    Vec3 gravity{0, -0.0009f, 0};
    float maxSpeed = 2.5f;
    float cruiseSpeed = 2.5f;
    float turnRate = 0.1f;
    float cruiseTurnRate = 0.05f;
    float halfSize = 5.0f;
    float size = 10.0f;       // glyph scale when drawn
    float baseSize = 10.0f;
    float fadeHeight = 15.0f;
    float spinAngle = 0;      // degrees
    float spinRate = 0.008f;
    Vec3 force;               // forces added since the last flight step
    Matrix4 matrix;           // orientation used for drawing
    Matrix4 lookMatrix;
    Quaternion ringOrientation;
    Quaternion ballOrientation;
    Quaternion flightOrientation;
    Quaternion targetOrientation;
    Quaternion spin;
    float fullHalfSize = 5.0f;  // the half size it grows to on the head

    // Back to visible and attached at its base size.
    void reset();
    // A blow along the pointer's motion (the breath points against it).
    void blow(float bx, float bz);
    // One frame of free flight.
    void fly();
};
