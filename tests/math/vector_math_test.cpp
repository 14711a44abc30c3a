// Boxes, look matrices, quaternions, the plane helpers, the force accumulator and the random generator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/random_generator.h"
#include "render/vector_math.h"

namespace {

void expectMatrixNear(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], 1e-5f) << "element " << i;
}

void expectQuat(const Quaternion& q, float x, float y, float z, float w) {
    EXPECT_TRUE(std::fabs(q.x - x) < 1e-6f && std::fabs(q.y - y) < 1e-6f && std::fabs(q.z - z) < 1e-6f &&
                std::fabs(q.w - w) < 1e-6f) << q.x << " " << q.y << " " << q.z << " " << q.w;
}

bool finite(const Matrix4& m) { return std::all_of(m.m, m.m + 16, [](float v) { return std::isfinite(v); }); }

}  // namespace

TEST(Vec3, CrossProduct) {
    const Vec3 c = cross(Vec3(1, 2, 3), Vec3(4, 5, 7));
    EXPECT_TRUE(c.x == -1 && c.y == 5 && c.z == -3) << c.x << " " << c.y << " " << c.z;
}

TEST(Box3, AllSixFacesAreInclusive) {
    const Box3 box(-1, 2, -3, 4, -5, 6);
    EXPECT_TRUE(box.contains(-1, -3, -5) && box.contains(2, 4, 6) && !box.contains(0, 0, 6.001f));
    EXPECT_FALSE(box.contains(std::nextafter(2.0f, 3.0f), 0, 0) || box.contains(0, std::nextafter(-3.0f, -4.0f), 0));
}

TEST(Matrix4, LookBasisRowsAndZeroLengthGuards) {
    Matrix4 m;
    m.setLookBasis(Vec3(0, 0, 0), Vec3(3, 0, 0), Vec3(0, 1, 0));  // rows s = up x f, u = f x s, f = a - b
    const float expected[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    expectMatrixNear(m, Matrix4(expected));
    // Coincident points, then an up along the view: zero rows stay zero, nothing is NaN.
    m.setLookBasis(Vec3(2, 2, 2), Vec3(2, 2, 2), Vec3(0, 1, 0));
    EXPECT_TRUE(finite(m) && m.m[10] == 0);
    m.setLookBasis(Vec3(0, 5, 0), Vec3(0, 0, 0), Vec3(0, 1, 0));
    EXPECT_TRUE(finite(m) && std::fabs(m.m[6] - 1) < 1e-6f && m.m[0] == 0);
}

TEST(PlaneHelpers, RayParameter) {
    const Vec3 n(0, 1, 0);
    const float d = planeOffset(n, Vec3(0, 2, 0));  // the plane y = 2
    EXPECT_FLOAT_EQ(rayPlaneParameter(n, d, Vec3(3, 10, 4), Vec3(0, -2, 0)), 4.0f);
    EXPECT_EQ(rayPlaneParameter(n, d, Vec3(3, 2, 4), Vec3(0.6f, -0.8f, 0)), 0.0f);  // starts on the plane
    // A parallel ray never gives a finite value, off the plane or in it.
    EXPECT_FALSE(std::isfinite(rayPlaneParameter(n, d, Vec3(0, 10, 0), Vec3(1, 0, 0))) ||
                 std::isfinite(rayPlaneParameter(n, d, Vec3(0, 2, 0), Vec3(1, 0, 0))));
}

TEST(Quaternion, NormalizeEulerAndProductFollowTheRotationMatrices) {
    expectQuat(Quaternion(3, 0, 4, 0), 0.6f, 0, 0.8f, 0);
    expectQuat(Quaternion(0, 0, 0, 0), 0, 0, 0, 1);  // no direction: identity
    Matrix4 rx, ry, rz;
    rz.setRotationZ(90);
    float x, y, z;
    rz.transformPoint(1, 0, 0, &x, &y, &z);
    EXPECT_NEAR(y, 1, 1e-6f);  // counter-clockwise, as glRotatef
    const float angles[][3] = {{30, 0, 0}, {0, 40, 0}, {0, 0, 50}, {25, -70, 110}, {-150, 35, 80}};
    for (const auto& a : angles) {
        SCOPED_TRACE(testing::Message() << a[0] << " " << a[1] << " " << a[2]);
        Quaternion q, qx, qz;
        q.fromEuler(a[0], a[1], a[2]);
        rx.setRotationX(a[0]), ry.setRotationY(a[1]), rz.setRotationZ(a[2]);
        expectMatrixNear(q.toMatrix(), rz * ry * rx);  // about x first, then y, then z
        qx.fromEuler(a[0], 0, 0), qz.fromEuler(0, 0, a[2]);
        expectMatrixNear((qx * qz).toMatrix(), rz * rx);  // a * b turns by a first, then by b
        qz.fromEuler(a[2], a[0], -a[1]);  // and so for any two, every term of the product counting
        expectMatrixNear((q * qz).toMatrix(), qz.toMatrix() * q.toMatrix());
    }
}

TEST(Quaternion, FromMatrixBranchesReadTheMatrixTransposed) {
    // Positive trace, then x, y or z the largest diagonal element; the others small, so a wrong branch is off.
    const Quaternion in[4] = {Quaternion(0.1f, 0.2f, 0.3f, 0.9f), Quaternion(0.99f, 0.001f, 0.002f, 0.14f),
                              Quaternion(0.002f, -0.99f, 0.001f, 0.14f), Quaternion(0.001f, 0.002f, 0.99f, -0.14f)};
    for (int n = 0; n < 4; ++n) {
        const Matrix4 m = in[n].toMatrix();
        EXPECT_EQ(m.m[0] + m.m[5] + m.m[10] > 0, n == 0);
        Quaternion q;
        q.fromMatrix(m);
        const float s = (q.w * in[n].w < 0) ? -1.0f : 1.0f;  // the inverse rotation: the conjugate, up to sign
        expectQuat(q, -s * in[n].x, -s * in[n].y, -s * in[n].z, s * in[n].w);
    }
}

TEST(Quaternion, SlerpWeights) {
    const Quaternion a, b(0, 0.6f, 0, 0.8f);
    Quaternion r;
    r.slerp(a, b, 0), expectQuat(r, 0, 0, 0, 1);
    r.slerp(a, b, 0.5f);  // halfway along the arc: the normalised sum
    const float n = std::sqrt(0.6f * 0.6f + 1.8f * 1.8f);
    expectQuat(r, 0, 0.6f / n, 0, 1.8f / n);
    r.slerp(a, Quaternion(0, 0, 0.6f, -0.8f), 0.5f);  // no sign flip: with a negative dot, the longer arc
    const float m = std::sqrt(0.6f * 0.6f + 0.2f * 0.2f);
    expectQuat(r, 0, 0, 0.6f / m, 0.2f / m);
    const Quaternion close(0, 0, 0.001f, 1);  // nearly equal: linear weights, not normalised
    r.slerp(a, close, 0.5f);
    expectQuat(r, 0, 0, 0.5f * close.z, 0.5f + 0.5f * close.w);
    // Opposite: a unit quaternion from a at t = 0 to one perpendicular to it at t = 1.
    const Quaternion c(0.1f, 0.2f, 0.3f, 0.9f);
    for (float t : {0.0f, 0.3f, 1.0f}) {
        r.slerp(c, Quaternion(-c.x, -c.y, -c.z, -c.w), t);
        EXPECT_NEAR(r.x * r.x + r.y * r.y + r.z * r.z + r.w * r.w, 1.0f, 1e-5f);
        EXPECT_NEAR(r.x * c.x + r.y * c.y + r.z * c.z + r.w * c.w, std::cos(t * 1.5707963f), 1e-5f);
    }
}

TEST(ForceAccumulator, SumsClearsAndFoldsOverflow) {
    ForceAccumulator acc;
    acc.add(Vec3(1, 2, 3));
    acc.add(Vec3(0.5f, -2, 1));
    acc.sumAndClear();
    EXPECT_TRUE(acc.total().x == 1.5f && acc.total().z == 4.0f && acc.count() == 0);
    for (int i = 0; i < 25; ++i) acc.add(Vec3(1, 0, -1));  // past 20 the last entry collects the rest
    const int kept = acc.count();
    acc.sumAndClear();
    EXPECT_TRUE(kept == 20 && acc.total().z == -25.0f);
    acc.add(Vec3(7, 7, 7));
    acc.clear(), acc.sumAndClear();
    EXPECT_EQ(acc.total().x, 0.0f);
}

TEST(RandomGenerator, FixedSequenceFromStateOne) {
    randomReset();
    for (int e : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464}) EXPECT_EQ(randomNext(), e);
    randomReset();
    EXPECT_FLOAT_EQ(randomFraction(), 41.0f / 32768.0f);
}
