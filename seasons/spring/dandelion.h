// One word of the Spring story grown as a plant: a ten-point stalk bent by a small damped spring, and
// a head that carries the word's letters through sprout, bud, opening, bloom, closing and ripeness
// until they are blown off; then the plant withers, lies dormant and is re-seeded by the scene.
#pragma once

#include <memory>
#include <vector>

#include "render/vector_math.h"

class LetterSeed;
class SeedDirectionTable;

// A vector on the ground plane: a lean, a wind or a blow.
struct MeadowVector {
    float x = 0, z = 0;
};

// The stalk's lean (x, z), read by the dandelion as a tilt in degrees. It springs toward a target that
// wind moves softly and blowing throws about.
class StalkSpring {
public:
    float damping;          // a divisor
    float stiffness;        // the divisor in use
    float freeStiffness;
    float drivenStiffness;
    MeadowVector rest;
    MeadowVector pos;       // the current lean
    MeadowVector vel;
    MeadowVector target;
    float maxLean;
    float bentRadius;
    float bentRadiusSq;
    bool driven = false;    // a push or wind came this frame
    bool bent = false;      // the lean exceeded bentRadius at the last update
    float strength = 0;     // how much a push counts, 0.01..1
    // Working values of the last push.
    float pushAngle = 0, angleOffset = 0, magnitude = 0, pushLength = 0;
    float pushX = 0, pushZ = 0, unitX = 0, unitZ = 0;

    StalkSpring(float damping, float drivenStiffness, float freeStiffness, float restX, float restZ,
                float maxLean);
    void reset();
    void push(float x, float z);
    void setWind(float x, float z);
    void update();
};

class Dandelion {
public:
    float age = 0;
    float growthRate = 1.0f;
    bool dormant = false;

    float sproutEnd = 100, sproutLength = 100, budEnd = 160, openLength = 100, openEnd = 260;
    float bloomEnd = 760, closeLength = 120, closeEnd = 880, ripeEnd = 980, witherLength = 200;
    float witherEnd = 1180, respawnAge = 1530;

    unsigned char state = 0;
    unsigned char SPROUT = 0, BUD = 1, OPENING = 2, BLOOM = 3, CLOSING = 4, RIPE = 5, WITHERING = 6;

    float segmentLength = 0;
    float currentSegmentLength = 0;
    int pointCount = 0;
    std::vector<Vec3> points;          // the stalk, relative to the base; point 0 stays at the origin
    std::vector<Vec3> seedDirections;  // this head's copy of its table list
    float wordLength = 0;
    float ringStep = 9990.0f;          // degrees between neighbouring letters on the open ring
    float ringTwist = 0;               // degrees
    int seedsOnHead = 0;
    int seedsInFlight = 0;
    float ringRadius = 0;
    float ballRadius = 0;
    int blowCounter = 0;               // frames the ripe stalk has been bent, counted up and down
    float closedTilt = -90.0f;
    float openTilt = -15.0f;
    std::unique_ptr<StalkSpring> spring;
    const SeedDirectionTable* directions = nullptr;
    Vec3 base;                         // y is always 0
    Vec3 head;                         // relative to base after update; the scene makes it absolute
    Matrix4 headMatrix;                // orientation of the head, no translation
    Matrix4 chain, step, turn;         // working matrices for the stalk chain
    Vec3 segment;
    Quaternion closing;                // working quaternion for carrySeed
    float heading = 0;                 // the stalk's lean direction this frame, degrees

    void init(float segmentLength, int pointCount, const Vec3* base, float restX, float restZ);
    void setSegmentLength(float length);
    void assignDirections();
    void attachSeed(LetterSeed* seed);
    void update();
    void shapeStalk();
    void draw() const;
    void blow(float x, float z);
    void applyWind(float x, float z);
    void carrySeed(LetterSeed* seed);
    void releaseSeed(LetterSeed* seed, float fx, float fz);
    void regrowSeed(LetterSeed* seed);
    void respawn();
};
