#include <gtest/gtest.h>

#include <cmath>

#include "render/vector_math.h"

namespace {

void expectMatrixNear(const Matrix4& a, const Matrix4& b) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], 1e-5f) << "element " << i;
}

void expectQuat(const Quaternion& q, float x, float y, float z, float w) {
    EXPECT_NEAR(q.x, x, 1e-6f);
    EXPECT_NEAR(q.y, y, 1e-6f);
    EXPECT_NEAR(q.z, z, 1e-6f);
    EXPECT_NEAR(q.w, w, 1e-6f);
}

}  // namespace

TEST(Box3, AllSixFacesAreInclusive) {
    const Box3 box(-1, 2, -3, 4, -5, 6);
    EXPECT_TRUE(box.contains(-1, -3, -5));
    EXPECT_TRUE(box.contains(2, 4, 6));
    EXPECT_FALSE(box.contains(std::nextafter(2.0f, 3.0f), 0, 0));
    EXPECT_FALSE(box.contains(0, std::nextafter(-3.0f, -4.0f), 0));
    EXPECT_FALSE(box.contains(0, 0, 6.001f));
}

TEST(Matrix4, AffineBottomRow) {
    float raw[16];
    for (int i = 0; i < 16; ++i) raw[i] = float(i + 1);
    const Matrix4 a(raw);  // forced to (0, 0, 0, 1)
    EXPECT_EQ(a.m[3], 0.0f);
    EXPECT_EQ(a.m[7], 0.0f);
    EXPECT_EQ(a.m[11], 0.0f);
    EXPECT_EQ(a.m[15], 1.0f);
    EXPECT_EQ(a.m[12], 13.0f);

    Matrix4 raw4, copy;
    for (int i = 0; i < 16; ++i) raw4.m[i] = raw[i];
    copy = raw4;  // kept as it is
    EXPECT_EQ(copy.m[3], 4.0f);
    EXPECT_EQ(copy.m[15], 16.0f);
    EXPECT_EQ((raw4 * Matrix4()).m[3], 0.0f);  // products are made affine
}

TEST(Matrix4, LookBasisRowsAndZeroLengthGuards) {
    Matrix4 m;
    m.setLookBasis(Vec3(0, 0, 0), Vec3(3, 0, 0), Vec3(0, 1, 0));
    // Rows: s = up x f, u = f x s, f = normalised a - b.
    const float expected[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected[i], 1e-6f) << i;

    // Coincident points, then an up along the view: zero rows stay zero, nothing is NaN.
    m.setLookBasis(Vec3(2, 2, 2), Vec3(2, 2, 2), Vec3(0, 1, 0));
    for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(m.m[10], 0.0f);
    m.setLookBasis(Vec3(0, 5, 0), Vec3(0, 0, 0), Vec3(0, 1, 0));
    for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(m.m[6], 1, 1e-6f);
    EXPECT_EQ(m.m[0], 0.0f);
}

TEST(PlaneHelpers, RayParameter) {
    const Vec3 n(0, 1, 0);
    const float d = planeOffset(n, Vec3(0, 2, 0));
    EXPECT_FLOAT_EQ(d, -2.0f);
    EXPECT_FLOAT_EQ(rayPlaneParameter(n, d, Vec3(3, 10, 4), Vec3(0, -2, 0)), 4.0f);
    EXPECT_EQ(rayPlaneParameter(n, d, Vec3(3, 2, 4), Vec3(0.6f, -0.8f, 0)), 0.0f);
    EXPECT_FALSE(std::isfinite(rayPlaneParameter(n, d, Vec3(0, 10, 0), Vec3(1, 0, 0))));
    EXPECT_FALSE(std::isfinite(rayPlaneParameter(n, d, Vec3(0, 2, 0), Vec3(1, 0, 0))));
}

TEST(Quaternion, NormalizeAndProduct) {
    Quaternion q;
    q.w = 2;
    q.normalize();
    expectQuat(q, 0, 0, 0, 1);
    expectQuat(Quaternion(3, 0, 4, 0), 0.6f, 0, 0.8f, 0);
    expectQuat(Quaternion(0, 0, 0, 0), 0, 0, 0, 1);  // no direction: identity

    // a * b turns by a first, then by b.
    Quaternion a, b;
    a.fromEuler(30, 0, 0);
    b.fromEuler(0, 0, 60);
    expectMatrixNear((a * b).toMatrix(), b.toMatrix() * a.toMatrix());
}

TEST(Quaternion, FromEulerRotatesAboutXThenYThenZ) {
    const float angles[][3] = {{30, 0, 0}, {0, 40, 0}, {0, 0, 50}, {25, -70, 110}, {-150, 35, 80}};
    for (const auto& a : angles) {
        SCOPED_TRACE(testing::Message() << a[0] << " " << a[1] << " " << a[2]);
        Quaternion q;
        q.fromEuler(a[0], a[1], a[2]);
        Matrix4 rx, ry, rz;
        rx.setRotationX(a[0]);
        ry.setRotationY(a[1]);
        rz.setRotationZ(a[2]);
        // As glRotatef(z) glRotatef(y) glRotatef(x) compose: a point turns about x first.
        expectMatrixNear(q.toMatrix(), rz * ry * rx);
    }
    Matrix4 rz;
    rz.setRotationZ(90);
    float x, y, z;
    rz.transformPoint(1, 0, 0, &x, &y, &z);
    EXPECT_NEAR(y, 1, 1e-6f);  // counter-clockwise, as glRotatef
}

TEST(Quaternion, FromMatrixBranchesReadTheMatrixTransposed) {
    // Positive trace, then x, y or z the largest diagonal element.
    Quaternion in[4];
    in[0].fromEuler(20, 30, 40);
    in[1] = Quaternion(0.9f, 0.2f, 0.1f, 0.3f);
    in[2] = Quaternion(0.1f, -0.9f, 0.3f, 0.2f);
    in[3] = Quaternion(-0.2f, 0.1f, 0.9f, -0.3f);
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const Matrix4 m = in[n].toMatrix();
        EXPECT_EQ(m.m[0] + m.m[5] + m.m[10] > 0, n == 0);
        Quaternion q;
        q.fromMatrix(m);
        // The inverse rotation: the conjugate, up to sign, whose matrix is the transpose.
        const float s = (q.w * in[n].w < 0) ? -1.0f : 1.0f;
        expectQuat(q, -s * in[n].x, -s * in[n].y, -s * in[n].z, s * in[n].w);
        const Matrix4 back = q.toMatrix();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) EXPECT_NEAR(back.m[r + 4 * c], m.m[c + 4 * r], 1e-5f);
    }
    // A tie between the x and y diagonal elements keeps x.
    Matrix4 tie;
    tie.m[0] = 0, tie.m[5] = 0, tie.m[10] = -1, tie.m[9] = 0.5f;
    Quaternion t;
    t.fromMatrix(tie);
    expectQuat(t, std::sqrt(0.5f), 0, 0, 0.25f / std::sqrt(2.0f));
}

TEST(Quaternion, SlerpWeights) {
    const Quaternion a;  // identity
    const Quaternion b(0, 0.6f, 0, 0.8f);
    Quaternion r;
    r.slerp(a, b, 0);
    expectQuat(r, 0, 0, 0, 1);
    r.slerp(a, b, 1);
    expectQuat(r, 0, 0.6f, 0, 0.8f);
    r.slerp(a, b, 0.5f);  // halfway along the arc: the normalised sum
    const float n = std::sqrt(0.6f * 0.6f + 1.8f * 1.8f);
    expectQuat(r, 0, 0.6f / n, 0, 1.8f / n);

    // No sign flip: with a negative dot the longer arc is taken.
    r.slerp(a, Quaternion(0, 0, 0.6f, -0.8f), 0.5f);
    const float m = std::sqrt(0.6f * 0.6f + 0.2f * 0.2f);
    expectQuat(r, 0, 0, 0.6f / m, 0.2f / m);

    // Nearly equal: linear weights, not normalised.
    const Quaternion close(0, 0, 0.001f, 1);
    r.slerp(a, close, 0.5f);
    expectQuat(r, 0, 0, 0.5f * close.z, 0.5f + 0.5f * close.w);

    // Opposite: a unit quaternion from a at t = 0 to one perpendicular to it at t = 1.
    const Quaternion c(0.1f, 0.2f, 0.3f, 0.9f);
    for (float t : {0.0f, 0.3f, 1.0f}) {
        r.slerp(c, Quaternion(-c.x, -c.y, -c.z, -c.w), t);
        EXPECT_NEAR(r.x * r.x + r.y * r.y + r.z * r.z + r.w * r.w, 1.0f, 1e-5f);
        const float dot = r.x * c.x + r.y * c.y + r.z * c.z + r.w * c.w;
        EXPECT_NEAR(dot, t == 0 ? 1.0f : t == 1 ? 0.0f : std::cos(0.3f * 1.5707963f), 1e-5f);
    }
}

TEST(ForceAccumulator, SumsClearsAndFoldsOverflow) {
    ForceAccumulator acc;
    acc.sumAndClear();
    EXPECT_EQ(acc.total().x, 0.0f);
    acc.add(Vec3(1, 2, 3));
    acc.add(Vec3(0.5f, -2, 1));
    acc.sumAndClear();
    EXPECT_FLOAT_EQ(acc.total().x, 1.5f);
    EXPECT_FLOAT_EQ(acc.total().z, 4.0f);
    EXPECT_EQ(acc.count(), 0);

    for (int i = 0; i < 25; ++i) acc.add(Vec3(1, 0, -1));
    EXPECT_EQ(acc.count(), 20);
    acc.sumAndClear();
    EXPECT_FLOAT_EQ(acc.total().z, -25.0f);

    acc.add(Vec3(7, 7, 7));
    acc.clear();
    acc.sumAndClear();
    EXPECT_EQ(acc.total().x, 0.0f);
}
