#include "seasons/spring/dandelion.h"

#include <cmath>
#include <cstdio>

#include "render/gl.h"
#include "render/random_generator.h"
#include "seasons/spring/letter_seed.h"
#include "seasons/spring/seed_direction_table.h"

namespace {

const double pi = 3.14159265358979323846;

// (1 - cos(pi f)) / 2: the eased fraction of every transition.
double eased(double f) { return (1.0 - std::cos(pi * f)) * 0.5; }

Matrix4 rotationX(float deg) {
    Matrix4 m;
    m.setRotationX(deg);
    return m;
}

Matrix4 rotationY(float deg) {
    Matrix4 m;
    m.setRotationY(deg);
    return m;
}

// The stalk chain takes two products per point, one with a rotation about x (columns 0 and 3 unit
// vectors, columns 1 and 2 (0, c, s, 0) and (0, -s, c, 0)) and one with a translation by (0, L, 0).
// The general product (Matrix4::operator*=) sums each entry's four products in double from zero,
// k = 0..3. A product with 0 or 1 is exact and adding a zero product leaves a sum alone, so while every
// entry is finite the general product reduces to the few terms below, bit for bit; the "0.0 +" and
// "+ 0.0f" keep the general product's +0 where a sum of zeros would otherwise be -0.
//
// Every entry stays finite when the angles are finite (then |c|, |s| <= 1 and each step grows the
// rotation part by at most sqrt(2)), the chain is short and the segment is not huge: 64 steps grow it
// by at most 2^32, and 64 translations of 1e20 times that stay far below FLT_MAX. Anything else takes
// the general products.
const int shortFormMaxPoints = 64;
const float shortFormMaxSegment = 1e20f;

// chain = chain x RX x T(0, L, 0), in the short form. The bottom row stays 0 0 0 1.
void timesBendAndStep(float* a, float c, float s, float length) {
    for (int r = 0; r < 3; ++r) {
        const double a4 = a[r + 4], a8 = a[r + 8];
        const float y = (float)(0.0 + a4 * c + a8 * s);
        const float z = (float)(0.0 + a4 * -s + a8 * c);
        a[r] = a[r] + 0.0f;
        a[r + 4] = y;
        a[r + 8] = z;
        a[r + 12] = (float)(0.0 + double(y) * length + a[r + 12]);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// StalkSpring

StalkSpring::StalkSpring(float damping, float drivenStiffness, float freeStiffness, float restX,
                         float restZ, float maxLean)
    : damping(damping), stiffness(drivenStiffness), freeStiffness(freeStiffness),
      drivenStiffness(drivenStiffness), rest{restX, restZ}, pos(rest), target(rest), maxLean(maxLean),
      bentRadius(maxLean * 0.8f), bentRadiusSq(bentRadius * bentRadius) {}

void StalkSpring::reset() {
    pos = target = rest;
    vel = MeadowVector();
    strength = 0;
    driven = bent = false;
}

void StalkSpring::setWind(float x, float z) {
    target.x = rest.x + x;
    target.z = rest.z + z;
    driven = true;
}

void StalkSpring::push(float x, float z) {
    pushX = -x * strength;
    pushZ = -z * strength;
    pushLength = std::sqrt(pushX * pushX + pushZ * pushZ);
    if (pushLength == 0) pushLength = 0.0001f;
    pushAngle = std::atan2(pushZ, pushX);

    angleOffset = randomFraction() * 0.4f - 0.2f;
    pushAngle += angleOffset;

    unitX = std::cos(pushAngle);
    unitZ = std::sin(pushAngle);
    magnitude = 7.7f - randomFraction() * 8.0f;
    target.x += magnitude * unitX;
    target.z += magnitude * unitZ;

    if (std::sqrt(target.x * target.x + target.z * target.z) > maxLean) {
        magnitude = randomFraction() * 16.0f - 8.3f;
        target.x = maxLean * unitX + magnitude * unitX;
        target.z = maxLean * unitZ + magnitude * unitZ;
    }
    driven = true;
}

void StalkSpring::update() {
    if (driven) {
        stiffness = drivenStiffness;
        if (strength < 1.0f) strength += 0.04f;
        else strength = 1.0f;
    } else {
        stiffness = freeStiffness;
        target.x = rest.x;
        target.z = rest.z;
        if (strength > 0.01f) strength -= 0.04f;
        else strength = 0.01f;
    }
    vel.x = ((target.x - pos.x) / stiffness + vel.x) / damping;
    vel.z = ((target.z - pos.z) / stiffness + vel.z) / damping;
    pos.x += vel.x;
    pos.z += vel.z;
    bent = pos.x * pos.x + pos.z * pos.z > bentRadiusSq;
    driven = false;
}

// ---------------------------------------------------------------------------------------------------
// Dandelion

void Dandelion::init(float length, int count, const Vec3* at, float restX, float restZ) {
    base = *at;
    pointCount = count > 0 ? count : 1;
    segmentLength = currentSegmentLength = length;
    points.assign(pointCount, Vec3());
    wordLength = 0;

    spring.reset(new StalkSpring(1.05f, 150.0f, 200.0f, restX, restZ, 11.0f));

    sproutEnd = 100; sproutLength = 100; budEnd = 160; openLength = 100; openEnd = 260;
    bloomEnd = 760; closeLength = 120; closeEnd = 880; ripeEnd = 980; witherLength = 200;
    witherEnd = 1180; respawnAge = 1530;
    SPROUT = 0; BUD = 1; OPENING = 2; BLOOM = 3; CLOSING = 4; RIPE = 5; WITHERING = 6;
    state = SPROUT;
    seedsInFlight = 0;
    dormant = false;

    growthRate = 1.0f;
    closedTilt = -90.0f;
    openTilt = -15.0f;
    blowCounter = 0;
    ringStep = 9990.0f;
    ringTwist = randomFraction() * 360.0f;
    age = randomFraction() * -200.0f;
}

void Dandelion::setSegmentLength(float length) { segmentLength = length; }

void Dandelion::assignDirections() {
    int n = (int)wordLength;
    seedDirections.assign(n > 0 ? n : 0, Vec3(0, -1, 0));
    const std::vector<Vec3>* list = directions ? directions->listFor(n) : nullptr;
    if (!list || list->empty()) return;
    // A word longer than the table reuses the largest list's directions in turn.
    for (int k = 0; k < n; ++k) seedDirections[k] = (*list)[k % list->size()];
}

void Dandelion::attachSeed(LetterSeed* seed) {
    int k = (int)seed->indexInWord;
    seed->ringOrientation.fromEuler(openTilt, seed->indexInWord * ringStep + ringTwist, 0);
    Vec3 direction = (k >= 0 && k < (int)seedDirections.size()) ? seedDirections[k] : Vec3(0, -1, 0);
    Matrix4 look;
    look.setLookBasis(Vec3(0, 0, 0), direction, Vec3(0, 1, 0));
    seed->ballOrientation.fromMatrix(look);
}

void Dandelion::respawn() {
    dormant = false;
    state = SPROUT;
    age = randomFraction() * -400.0f;
    blowCounter = 0;
    currentSegmentLength = 0;
    growthRate = randomFraction() * 0.8f + 0.6f;
    seedsOnHead = (int)wordLength;
    seedsInFlight = 0;
    for (Vec3& p : points) p.clear();
    if (spring) spring->reset();
}

void Dandelion::update() {
    if (age < respawnAge && state != RIPE) age += growthRate;
    if (dormant) return;
    if (spring) spring->update();
    shapeStalk();

    if (age < sproutEnd) state = SPROUT;
    else if (age < budEnd) state = BUD;
    else if (age < openEnd) state = OPENING;
    else if (age < bloomEnd) state = BLOOM;
    else if (age < closeEnd) state = CLOSING;
    else if (age < ripeEnd) {
        state = RIPE;
        if (spring && spring->bent) blowCounter += 1;
        else if (blowCounter > 0) blowCounter -= 1;
    } else if (age >= witherEnd) {
        dormant = true;
    }
}

void Dandelion::shapeStalk() {
    if (dormant) {
        std::printf("we tried to set the bend vector, but we are dormant!\n");
        return;
    }
    if (state == SPROUT) {
        double f = age / sproutEnd;
        if (f < 0) f = 0;
        currentSegmentLength = (float)(eased(f) * segmentLength + 0.001);
    } else if (state == WITHERING) {
        currentSegmentLength = (float)((1.0 - eased((age - ripeEnd) / witherLength)) * segmentLength);
    } else {
        currentSegmentLength = segmentLength;
    }
    segment.set(0, currentSegmentLength, 0);

    float leanX = spring ? spring->pos.x : 0;
    float leanZ = spring ? spring->pos.z : 0;
    heading = (float)(90.0 - std::atan2(leanZ, leanX) * 57.2957763671875);
    float tilt = std::sqrt(leanX * leanX + leanZ * leanZ);

    // identity x RY(heading), then per point x RX(its share of the tilt) x T(segment).
    chain.setIdentity();
    turn.setRotationY(heading);
    chain *= turn;
    const bool shortForm = std::isfinite(heading) && std::isfinite(tilt) && pointCount <= shortFormMaxPoints &&
                           std::fabs(currentSegmentLength) <= shortFormMaxSegment;
    if (shortForm) {
        for (int i = 1; i < pointCount; ++i) {
            float c, s;
            rotationCosSin((float)i / (float)pointCount * tilt, &c, &s);
            timesBendAndStep(chain.m, c, s, currentSegmentLength);
            // The chain's origin: its translation column, as transformPoint(0, 0, 0) gives it.
            points[i].set(chain.m[12] + 0.0f, chain.m[13] + 0.0f, chain.m[14] + 0.0f);
        }
    } else {
        step.setTranslation(segment);
        Matrix4 bend;
        for (int i = 1; i < pointCount; ++i) {
            bend.setRotationX((float)i / (float)pointCount * tilt);
            chain *= bend;
            chain *= step;
            chain.transformPoint(0, 0, 0, &points[i].x, &points[i].y, &points[i].z);
        }
    }
    headMatrix = chain;
    headMatrix.transformPoint(0, 0, 0, &head.x, &head.y, &head.z);
    headMatrix.clearTranslation();
    turn.setRotationY(-heading);
    headMatrix = headMatrix * turn;
}

void Dandelion::draw() const {
    if (dormant || points.empty()) return;
    // The stalk's points as a vertex array: the same line strip as glBegin / glVertex3f / glEnd, for a
    // fraction of the software renderer's cost per strip.
    static_assert(sizeof(Vec3) == 3 * sizeof(float), "points are packed x, y, z floats");
    glPushMatrix();
    glTranslatef(base.x, base.y, base.z);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, &points[0].x);
    glDrawArrays(GL_LINE_STRIP, 0, (GLsizei)points.size());
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopMatrix();
}

void Dandelion::blow(float x, float z) {
    if (!dormant && spring) spring->push(x, z);
}

void Dandelion::applyWind(float x, float z) {
    if (!dormant && spring) spring->setWind(x, z);
}

void Dandelion::carrySeed(LetterSeed* seed) {
    if (dormant) {
        seed->visible = false;
        seed->alpha = 0;
        return;
    }
    seed->position = head;
    seed->matrix = headMatrix;
    seed->alpha = 1.0f;
    float r = 0;
    float tilt = 0;
    bool onRing = false;

    if (state == SPROUT) {
        seed->visible = true;
        double f = age / sproutLength;
        if (f < 0) {
            f = 0;
            seed->alpha = 0;
        }
        seed->halfSize = (float)(eased(f) * seed->fullHalfSize);
        seed->size = 2.0f * seed->halfSize;
        tilt = closedTilt;
        onRing = true;
    } else if (state == BUD) {
        seed->halfSize = seed->fullHalfSize;
        seed->size = 2.0f * seed->fullHalfSize;
        tilt = closedTilt;
        onRing = true;
    } else if (state == OPENING) {
        double f = eased((age - budEnd) / openLength);
        tilt = (float)(closedTilt + (openTilt - closedTilt) * f);
        r = (float)(ringRadius * f);
        onRing = true;
    } else if (state == BLOOM) {
        tilt = openTilt;
        r = ringRadius;
        onRing = true;
    } else if (state == CLOSING) {
        double f = eased((age - bloomEnd) / closeLength);
        closing.slerp(seed->ringOrientation, seed->ballOrientation, (float)f);
        closing.normalize();
        seed->matrix *= closing.toMatrix();
        r = (float)(ringRadius + (ballRadius - ringRadius) * f);
    } else if (state == RIPE) {
        seed->matrix *= seed->ballOrientation.toMatrix();
        r = ballRadius;
    }
    if (onRing) {
        seed->matrix *= rotationY(seed->indexInWord * ringStep + ringTwist);
        seed->matrix *= rotationX(tilt);
    }
    float ox, oy, oz;
    seed->matrix.transformPoint(0, 0, r, &ox, &oy, &oz);
    seed->position.add(ox, oy, oz);
}

void Dandelion::releaseSeed(LetterSeed* seed, float fx, float fz) {
    if (!seed->attached) return;
    blowCounter = 0;
    seed->attached = false;
    seed->maxSpeed = 6.0f;
    seed->turnRate = 0.8f;

    float s = randomFraction() * 16.0f + 10.0f;
    float u = randomFraction() * 0.15f + 0.05f;
    seed->force.add(s * fx, u, s * fz);
    seed->lingerForce = seed->force;

    seed->matrix = headMatrix * seed->ballOrientation.toMatrix();
    seed->flightOrientation.fromMatrix(seed->matrix);
    seed->matrix = seed->flightOrientation.toMatrix();

    seedsOnHead -= 1;
    seedsInFlight += 1;
    if (seedsOnHead <= 0) {
        state = WITHERING;
        age = ripeEnd;
    }
}

void Dandelion::regrowSeed(LetterSeed* seed) {
    if (state != SPROUT) return;
    seed->visible = true;
    seed->attached = true;
    seed->alpha = 1.0f;
    seed->halfSize = 0;
    seed->size = 0;
}
