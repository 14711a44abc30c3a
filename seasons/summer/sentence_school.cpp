#include "seasons/summer/sentence_school.h"

#include <cmath>

#include "render/random_generator.h"
#include "seasons/summer/word_fish.h"

namespace {

const double kRadToDeg = 57.29578;
const double kDegToRad = 0.017453292;

float clampTo(float v, float lo, float hi) {
    if (v < lo) return lo;
    if (v > hi) return hi;
    return v;
}

float wrapDegrees(float a) {
    if (a > 360) return a - 360;
    if (a < 0) return a + 360;
    return a;
}

}  // namespace

void SentenceSchool::init(WordFish* members, int firstFish, int lastFish, int schoolIndex) {
    fish = members;
    first = firstFish;
    last = lastFish;
    index = schoolIndex;
    count = last - first;
    inside = true;
    minX = -200, maxX = 200, minY = 20, maxY = 200, minZ = -200, maxZ = 200;
    heading = 0.1f;
    turnRate = 0;
    climb = 0;
    targetClimb = 0;
    cruiseTimer = 0;
    speed = 0;
    targetSpeed = 3.5f;
    separationRadius = 50.0f;
    position = memberCentre();
    force.clear();
    previousVelocity.clear();
    state = WANDER;
    velocity = Vec3(0.01f, 0.01f, 0.01f);
}

Vec3 SentenceSchool::memberSum() const {
    Vec3 sum;
    if (!fish) return sum;
    for (int i = first; i < last; ++i) sum += fish[i].position;
    return sum;
}

Vec3 SentenceSchool::memberCentre() const {
    // A school whose full stop has no words before it is centred on the full stop itself.
    if (count <= 0) return fish ? fish[last].position : Vec3();
    return memberSum() * (1.0f / (float)count);
}

void SentenceSchool::update() {
    steer();
    move();
}

void SentenceSchool::steer() {
    float c = climb;
    if (c > 180) c -= 360;
    c = clampTo(c, -maxClimb, maxClimb);

    if (state == SCATTER) {
        previousVelocity.clear();
        velocity.clear();
        position = memberCentre();
        speed = 0.1f;
        targetSpeed = 0.2f;
        state = WANDER;
        keepInside();
        return;
    }

    separation.clear();
    for (int j = 0; j < schoolCount; ++j) {
        if (j == index || !schools) continue;
        Vec3 d = schools[j].position - position;
        if (d.length() < separationRadius) {
            separation = separation - d * 0.006f;
        }
    }
    force += separation;

    if (inside) {
        targetClimb = clampTo(targetClimb + randomFraction() * climbJitterRange - climbJitterOffset, -maxClimb,
                              maxClimb);
        float s = turnRate * 0.05f;
        heading += s;
        turnRate -= s;
        if ((int)(randomFraction() * 5.0) == 1) {
            turnRate += randomFraction() * turnKickRange - turnKickOffset;
            turnRate = clampTo(turnRate, -maxTurnRate, maxTurnRate);
        }
    }
    climb = c - (c - targetClimb) * 0.09f;
    cruiseTimer -= 1;
    if (cruiseTimer < 0) {
        cruiseTimer = randomFraction() * cruiseTimerRange;
        targetSpeed = randomFraction() * cruiseSpeedRange + minCruiseSpeed;
    }
    speed += (targetSpeed - speed) * 0.08f;
    double a = (heading - 90.0) * kDegToRad;
    force.add((float)(-speed * std::sin(a)), 0, (float)(speed * std::cos(a)));

    gather();
    keepInside();
}

void SentenceSchool::gather() {
    if (!fish) return;
    const Vec3 sum = memberSum();
    // With fewer than two words before the full stop a fish has no fellows to be measured against: it
    // counts as close and swims with the school.
    const bool hasFellows = count >= 2;
    const float k = hasFellows ? 1.0f / (float)(count - 1) : 0.0f;
    for (int i = first; i <= last; ++i) {
        WordFish& member = fish[i];
        pull.clear();
        if (hasFellows) {
            Vec3 fellows = (sum - member.position) * k;
            offset = member.position - fellows;
        } else {
            offset.clear();
        }
        if (offset.length() <= 60.0f) {
            pull += force;
        } else {
            pull = pull - offset * 0.001f;
            pull += force * 0.08f;
        }
        member.force += pull;
        member.force += member.velocity;
        if (std::fabs(pull.y) > 0.01f) member.nudgeClimb(pull.y);
    }
}

void SentenceSchool::keepInside() {
    float dx = 0, dz = 0;
    const float x = position.x, y = position.y, z = position.z;
    bool insideX = true, insideZ = true;
    if (x < minX) {
        dx = (minX - x) * 0.001f;
        insideX = false;
    } else if (x > maxX) {
        dx = -(x - maxX) * 0.001f;
        insideX = false;
    }
    if (y < minY)
        targetClimb = clampTo(targetClimb + (minY - y) * 0.01f, -maxClimb, maxClimb);
    else if (y > maxY)
        targetClimb = clampTo(targetClimb - (y - maxY) * 0.01f, -maxClimb, maxClimb);
    if (z < minZ) {
        dz = (minZ - z) * 0.001f;
        insideZ = false;
    } else if (z > maxZ) {
        dz = -(z - maxZ) * 0.001f;
        insideZ = false;
    }
    if (insideX && insideZ) {
        inside = true;
        return;
    }
    force.add(dx, 0, dz);
    inside = false;
}

void SentenceSchool::move() {
    previousVelocity = velocity;
    velocity = force;
    const float forceLength = force.length();
    if (forceLength >= speed && forceLength > 0) velocity = force * (speed / forceLength);
    force.clear();
    if (velocity.x + velocity.y + velocity.z != 0) {
        heading = (float)(std::atan2((double)velocity.z, (double)velocity.x) * kRadToDeg);
        yawMatrix.setRotationY(-heading);
        climbMatrix.setRotationZ(climb);
        travelMatrix = yawMatrix * climbMatrix;
        const float length = velocity.length();
        float vx, vy, vz;
        travelMatrix.transformPoint(length, 0, 0, &vx, &vy, &vz);
        velocity.set(vx, vy, vz);
    }
    velocity = (previousVelocity + velocity) * 0.5f;
    position += velocity;
    velocity = velocity * damping;
    heading = wrapDegrees(heading);
    climb = wrapDegrees(climb);
}
