// Spring's stalk chain takes its products with the rotation about x and the translation in a short
// form; the stalk, its head and the head's orientation must still come out with the very bits of the
// general products (NaNs aside), whatever the lean and the segment length.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "render/random_generator.h"
#include "render/vector_math.h"
#include "seasons/spring/dandelion.h"

namespace {

bool same(float x, float y) { return (std::isnan(x) && std::isnan(y)) || std::memcmp(&x, &y, sizeof x) == 0; }
bool same(const Vec3& a, const Vec3& b) { return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z); }
bool same(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 16; ++i)
        if (!same(a.m[i], b.m[i])) return false;
    return true;
}

struct Stalk {
    std::vector<Vec3> points;
    Vec3 head;
    Matrix4 headMatrix;
};

// The chain with every product taken in full, as the stalk is defined.
Stalk reference(float leanX, float leanZ, float segmentLength, int pointCount) {
    Stalk s;
    s.points.assign(pointCount, Vec3());
    float heading = (float)(90.0 - std::atan2(leanZ, leanX) * 57.2957763671875);
    float tilt = std::sqrt(leanX * leanX + leanZ * leanZ);
    Matrix4 turn, step, chain;
    turn.setRotationY(heading);
    chain = Matrix4() * turn;
    for (int i = 1; i < pointCount; ++i) {
        Matrix4 bend;
        bend.setRotationX((float)i / (float)pointCount * tilt);
        chain = chain * bend;
        step.setTranslation(Vec3(0, segmentLength, 0));
        chain = chain * step;
        chain.transformPoint(0, 0, 0, &s.points[i].x, &s.points[i].y, &s.points[i].z);
    }
    s.headMatrix = chain;
    s.headMatrix.transformPoint(0, 0, 0, &s.head.x, &s.head.y, &s.head.z);
    s.headMatrix.clearTranslation();
    turn.setRotationY(-heading);
    s.headMatrix = s.headMatrix * turn;
    return s;
}

float anyLean() {
    switch (randomNext() % 25) {
    case 0: return 0.0f;
    case 1: return -0.0f;
    case 2: return 1e30f;
    case 3: return std::numeric_limits<float>::infinity();
    case 4: return 1e-30f;
    default: return (randomFraction() - 0.5f) * 30.0f;
    }
}

}  // namespace

TEST(StalkChain, TheSameBitsAsTheGeneralProducts) {
    randomReset();
    Vec3 base(3, 0, -4);
    // The story's stalks, and one too long for the short form.
    for (int pointCount : {10, 65}) {
        Dandelion d;
        d.init(14.0f, pointCount, &base, 0, 0);
        d.state = d.BLOOM;  // full-grown: the segment is the whole segment length
        d.age = 500;
        for (int n = 0; n < 5000; ++n) {
            d.spring->pos.x = anyLean();
            d.spring->pos.z = anyLean();
            // Now and then a segment too long for the short form, up to one that overflows.
            const float longSegments[] = {0.0f, 1e20f, 2e20f, 1e38f, std::numeric_limits<float>::infinity()};
            d.segmentLength = n % 50 == 0 ? longSegments[(n / 50) % 5] : randomFraction() * 30.0f;
            d.shapeStalk();
            Stalk expected = reference(d.spring->pos.x, d.spring->pos.z, d.segmentLength, d.pointCount);
            for (int i = 1; i < d.pointCount; ++i)
                ASSERT_TRUE(same(d.points[i], expected.points[i])) << n << " point " << i;
            ASSERT_TRUE(same(d.head, expected.head)) << n;
            ASSERT_TRUE(same(d.headMatrix, expected.headMatrix)) << n;
        }
    }
}
