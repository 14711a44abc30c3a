// The words of one sentence swimming as a school: an invisible leader point that wanders like a fish,
// keeps its distance from the other schools and every frame pulls its member fish. A fish close to its
// fellows swims with the leader's push; a straggler is drawn back toward them. The net scatters the
// school: its leader jumps to the middle of its members and nearly stops.
#pragma once

#include "render/vector_math.h"

class WordFish;

class SentenceSchool {
public:
    static constexpr int WANDER = 0;
    static constexpr int SCATTER = 1;

    WordFish* fish = nullptr;           // the scene's fish, not owned
    SentenceSchool* schools = nullptr;  // the scene's schools, not owned
    int first = 0;
    int last = 0;      // the fish whose token begins with a full stop
    int count = 0;     // members other than that fish: last - first
    int schoolCount = 0;
    int index = 0;
    bool inside = true;
    float minX = -200, maxX = 200, minY = 20, maxY = 200, minZ = -200, maxZ = 200;

    float heading = 0.1f;
    float turnRate = 0;
    float maxTurnRate = 60.0f;
    float turnKickOffset = 40.0f;
    float turnKickRange = 80.0f;
    float climb = 0;
    float maxClimb = 35.0f;
    float targetClimb = 0;
    float climbJitterOffset = 9.0f;
    float climbJitterRange = 18.0f;
    float cruiseTimerRange = 100.0f;
    float cruiseTimer = 0;
    float minCruiseSpeed = 1.4f;
    float cruiseSpeedRange = 0.7f;
    float speed = 0;
    float targetSpeed = 3.5f;
    float damping = 0.99f;
    float separationRadius = 50.0f;

    Vec3 position;
    Vec3 force;
    Vec3 velocity;
    Vec3 previousVelocity;
    Vec3 pull;
    Vec3 separation;
    Vec3 offset;
    Matrix4 yawMatrix;
    Matrix4 climbMatrix;
    Matrix4 travelMatrix;

    int state = WANDER;

    SentenceSchool() = default;

    // Members are fish first .. last of `fish`; the leader starts at their centre.
    void init(WordFish* fish, int first, int last, int index);
    // steer, then move. The scene calls it only once its schooling delay has passed.
    void update();
    void scatter() { state = SCATTER; }

    // The steps of one frame, open for tests.
    void steer();
    void gather();
    void move();
    void keepInside();
    Vec3 memberSum() const;
    Vec3 memberCentre() const;
};
