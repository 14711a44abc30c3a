#include <gtest/gtest.h>

#include <cmath>

#include "render/vector_math.h"

namespace {

void expectMatrixNear(const Matrix4& a, const Matrix4& b, float tol = 1e-5f) {
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tol) << "element " << i;
}

Matrix4 transposed(const Matrix4& a) {
    Matrix4 t;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) t.m[r + 4 * c] = a.m[c + 4 * r];
    return t;
}

// Quaternions q and -q are the same rotation.
void expectSameRotation(const Quaternion& a, const Quaternion& b, float tol = 1e-5f) {
    const float sign = (a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w) < 0 ? -1.0f : 1.0f;
    EXPECT_NEAR(a.x, sign * b.x, tol);
    EXPECT_NEAR(a.y, sign * b.y, tol);
    EXPECT_NEAR(a.z, sign * b.z, tol);
    EXPECT_NEAR(a.w, sign * b.w, tol);
}

}  // namespace

TEST(Box3, AllSixFacesAreInclusive) {
    const Box3 box(-1, 2, -3, 4, -5, 6);
    EXPECT_TRUE(box.contains(-1, 0, 0));
    EXPECT_TRUE(box.contains(2, 0, 0));
    EXPECT_TRUE(box.contains(0, -3, 0));
    EXPECT_TRUE(box.contains(0, 4, 0));
    EXPECT_TRUE(box.contains(0, 0, -5));
    EXPECT_TRUE(box.contains(0, 0, 6));
    EXPECT_TRUE(box.contains(2, 4, 6));
    EXPECT_FALSE(box.contains(std::nextafter(2.0f, 3.0f), 0, 0));
    EXPECT_FALSE(box.contains(0, std::nextafter(-3.0f, -4.0f), 0));
    EXPECT_FALSE(box.contains(0, 0, 6.001f));
}

TEST(Matrix4, ConstructorForcesAffineBottomRowButAssignmentKeepsIt) {
    float raw[16];
    for (int i = 0; i < 16; ++i) raw[i] = float(i + 1);
    const Matrix4 a(raw);
    EXPECT_EQ(a.m[3], 0.0f);
    EXPECT_EQ(a.m[7], 0.0f);
    EXPECT_EQ(a.m[11], 0.0f);
    EXPECT_EQ(a.m[15], 1.0f);
    EXPECT_EQ(a.m[12], 13.0f);  // translation untouched

    Matrix4 b;
    for (int i = 0; i < 16; ++i) b.m[i] = raw[i];
    Matrix4 c;
    c = b;
    for (int i = 0; i < 16; ++i) EXPECT_EQ(c.m[i], raw[i]);

    // Products are made affine even from a non-affine operand.
    const Matrix4 p = b * Matrix4();
    EXPECT_EQ(p.m[3], 0.0f);
    EXPECT_EQ(p.m[15], 1.0f);
    Matrix4 q = b;
    q *= Matrix4();
    EXPECT_EQ(q.m[7], 0.0f);
    EXPECT_EQ(q.m[0], 1.0f);
}

TEST(Matrix4, RotationsTurnLikeGlRotateAndProductsApplyRightOperandFirst) {
    float x, y, z;
    Matrix4 rx, ry, rz;
    rx.setRotationX(90);
    rx.transformPoint(0, 1, 0, &x, &y, &z);
    EXPECT_NEAR(x, 0, 1e-6f);
    EXPECT_NEAR(y, 0, 1e-6f);
    EXPECT_NEAR(z, 1, 1e-6f);
    ry.setRotationY(90);
    ry.transformPoint(0, 0, 1, &x, &y, &z);
    EXPECT_NEAR(x, 1, 1e-6f);
    EXPECT_NEAR(z, 0, 1e-6f);
    rz.setRotationZ(90);
    rz.transformPoint(1, 0, 0, &x, &y, &z);
    EXPECT_NEAR(x, 0, 1e-6f);
    EXPECT_NEAR(y, 1, 1e-6f);

    Matrix4 t;
    t.setTranslation(Vec3(10, 20, 30));
    (t * rz).transformPoint(1, 0, 0, &x, &y, &z);  // rotate, then translate
    EXPECT_NEAR(x, 10, 1e-5f);
    EXPECT_NEAR(y, 21, 1e-5f);
    EXPECT_NEAR(z, 30, 1e-5f);
    Matrix4 acc = rz;
    acc *= t;  // translate, then rotate
    acc.transformPoint(1, 0, 0, &x, &y, &z);
    EXPECT_NEAR(x, -20, 1e-5f);
    EXPECT_NEAR(y, 11, 1e-5f);
    EXPECT_NEAR(z, 30, 1e-5f);

    acc.clearTranslation();
    EXPECT_EQ(acc.m[12], 0.0f);
    EXPECT_EQ(acc.m[14], 0.0f);
    EXPECT_EQ(acc.m[1], rz.m[1]);
}

TEST(Matrix4, LookBasisRowsAndZeroLengthGuards) {
    Matrix4 m;
    m.m[12] = 5;  // the basis replaces everything, translation included
    m.setLookBasis(Vec3(0, 0, 0), Vec3(3, 0, 0), Vec3(0, 1, 0));
    // f = normalised a - b, s = up x f, u = f x s, as rows.
    const float expected[16] = {0, 0, -1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(m.m[i], expected[i], 1e-6f) << i;

    // Up not perpendicular to the view and not unit: rows still orthonormal.
    m.setLookBasis(Vec3(1, 1, 0), Vec3(0, 0, 0), Vec3(0, 2, 0));
    const float h = std::sqrt(0.5f);
    EXPECT_NEAR(m.m[2], h, 1e-6f);  // f row
    EXPECT_NEAR(m.m[6], h, 1e-6f);
    EXPECT_NEAR(m.m[8], -1, 1e-6f);  // s row = (0, 0, -1)
    EXPECT_NEAR(m.m[1], -h, 1e-6f);  // u row = (-h, h, 0)
    EXPECT_NEAR(m.m[5], h, 1e-6f);

    // Same points, and an up along the view: the zero rows stay zero, nothing is NaN.
    m.setLookBasis(Vec3(2, 2, 2), Vec3(2, 2, 2), Vec3(0, 1, 0));
    for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(m.m[0], 0.0f);
    EXPECT_EQ(m.m[10], 0.0f);
    EXPECT_EQ(m.m[15], 1.0f);
    m.setLookBasis(Vec3(0, 5, 0), Vec3(0, 0, 0), Vec3(0, 1, 0));
    for (float v : m.m) EXPECT_TRUE(std::isfinite(v));
    EXPECT_NEAR(m.m[6], 1, 1e-6f);
    EXPECT_EQ(m.m[0], 0.0f);
    EXPECT_EQ(m.m[1], 0.0f);
}

TEST(PlaneHelpers, RayParameterHitsTheGroundAndParallelRaysAreNotFinite) {
    const Vec3 normal(0, 1, 0);
    const float d = planeOffset(normal, Vec3(-1, 0, 0));
    EXPECT_EQ(d, 0.0f);
    EXPECT_FLOAT_EQ(rayPlaneParameter(normal, d, Vec3(3, 10, 4), Vec3(0, -2, 0)), 5.0f);
    EXPECT_EQ(rayPlaneParameter(normal, d, Vec3(3, 0, 4), Vec3(0.6f, -0.8f, 0)), 0.0f);

    const float raised = planeOffset(normal, Vec3(0, 2, 0));
    EXPECT_FLOAT_EQ(raised, -2.0f);
    EXPECT_FLOAT_EQ(rayPlaneParameter(normal, raised, Vec3(0, 10, 0), Vec3(0, -1, 0)), 8.0f);

    EXPECT_FALSE(std::isfinite(rayPlaneParameter(normal, d, Vec3(0, 10, 0), Vec3(1, 0, 0))));
    EXPECT_FALSE(std::isfinite(rayPlaneParameter(normal, d, Vec3(0, 0, 0), Vec3(1, 0, 0))));
}

TEST(Quaternion, NormalizeDividesByLengthAndLeavesZeroAsIdentity) {
    Quaternion q;
    q.x = 0, q.y = 0, q.z = 0, q.w = 2;
    q.normalize();
    EXPECT_EQ(q.w, 1.0f);
    EXPECT_EQ(q.x, 0.0f);

    const Quaternion built(3, 0, 4, 0);
    EXPECT_FLOAT_EQ(built.x, 0.6f);
    EXPECT_FLOAT_EQ(built.z, 0.8f);

    const Quaternion zero(0, 0, 0, 0);
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
    EXPECT_EQ(zero.w, 1.0f);
}

TEST(Quaternion, FromEulerRotatesAboutXThenYThenZ) {
    const float angles[][3] = {{30, 0, 0}, {0, 40, 0}, {0, 0, 50}, {25, -70, 110}, {-150, 35, 80}};
    for (const auto& a : angles) {
        Quaternion q;
        q.fromEuler(a[0], a[1], a[2]);
        Matrix4 rx, ry, rz;
        rx.setRotationX(a[0]);
        ry.setRotationY(a[1]);
        rz.setRotationZ(a[2]);
        // glRotatef(z) glRotatef(y) glRotatef(x): a point turns about x first.
        SCOPED_TRACE(testing::Message() << a[0] << " " << a[1] << " " << a[2]);
        expectMatrixNear(q.toMatrix(), rz * ry * rx);
    }
    // The reverse order is a different rotation for these angles.
    Quaternion q;
    q.fromEuler(25, -70, 110);
    Matrix4 rx, ry, rz;
    rx.setRotationX(25);
    ry.setRotationY(-70);
    rz.setRotationZ(110);
    const Matrix4 wrong = rx * ry * rz;
    const Matrix4 got = q.toMatrix();
    float diff = 0;
    for (int i = 0; i < 16; ++i) diff += std::fabs(got.m[i] - wrong.m[i]);
    EXPECT_GT(diff, 0.5f);
}

TEST(Quaternion, ProductComposesRightOperandFirst) {
    Quaternion a, b;
    a.fromEuler(30, 0, 0);
    b.fromEuler(0, 0, 60);
    // a * b is b's rotation after a's: its matrix is B x A.
    expectMatrixNear((a * b).toMatrix(), b.toMatrix() * a.toMatrix());
    EXPECT_GT(std::fabs((a * b).toMatrix().m[2] - (a.toMatrix() * b.toMatrix()).m[2]), 0.1f);
}

TEST(Quaternion, FromMatrixBranchesReadTheMatrixTransposed) {
    // One rotation for each branch: positive trace, then x, y or z the largest diagonal element.
    Quaternion inputs[4];
    inputs[0].fromEuler(20, 30, 40);
    inputs[1] = Quaternion(0.9f, 0.2f, 0.1f, 0.3f);
    inputs[2] = Quaternion(0.1f, -0.9f, 0.3f, 0.2f);
    inputs[3] = Quaternion(-0.2f, 0.1f, 0.9f, -0.3f);
    for (int n = 0; n < 4; ++n) {
        SCOPED_TRACE(n);
        const Matrix4 m = inputs[n].toMatrix();
        const float trace = m.m[0] + m.m[5] + m.m[10];
        EXPECT_EQ(trace > 0, n == 0);
        Quaternion q;
        q.fromMatrix(m);
        // The trace method gives the inverse rotation, the conjugate of the input.
        const Quaternion& in = inputs[n];
        Quaternion conj;
        conj.x = -in.x, conj.y = -in.y, conj.z = -in.z, conj.w = in.w;
        expectSameRotation(q, conj);
        expectMatrixNear(q.toMatrix(), transposed(m));
    }
    // The look basis holds its axes as rows, so the quaternion read from it turns +z onto a - b
    // and +x onto the side vector.
    Matrix4 look;
    look.setLookBasis(Vec3(0, 0, 0), Vec3(4, 0, 0), Vec3(0, 1, 0));
    Quaternion q;
    q.fromMatrix(look);
    float x, y, z;
    q.toMatrix().transformPoint(0, 0, 1, &x, &y, &z);
    EXPECT_NEAR(x, -1, 1e-6f);
    EXPECT_NEAR(y, 0, 1e-6f);
    EXPECT_NEAR(z, 0, 1e-6f);
    q.toMatrix().transformPoint(1, 0, 0, &x, &y, &z);
    EXPECT_NEAR(z, 1, 1e-6f);

    // A tie between the x and y diagonal elements keeps x (strict comparisons).
    Matrix4 tie;
    tie.m[0] = 0, tie.m[5] = 0, tie.m[10] = -1;
    tie.m[9] = 0.5f;
    Quaternion t;
    t.fromMatrix(tie);
    EXPECT_NEAR(t.x, std::sqrt(0.5f), 1e-6f);
    EXPECT_NEAR(t.w, 0.5f * 0.5f / std::sqrt(2.0f), 1e-6f);
    EXPECT_EQ(t.y, 0.0f);
    EXPECT_EQ(t.z, 0.0f);
}

TEST(Quaternion, SlerpWeights) {
    const Quaternion a;                    // identity
    const Quaternion b(0, 0.6f, 0, 0.8f);  // unit, dot 0.8
    Quaternion r;
    r.slerp(a, b, 0);
    expectSameRotation(r, a, 1e-6f);
    EXPECT_GT(r.w, 0);
    r.slerp(a, b, 1);
    EXPECT_NEAR(r.y, 0.6f, 1e-6f);
    EXPECT_NEAR(r.w, 0.8f, 1e-6f);
    r.slerp(a, b, 0.5f);  // halfway along the arc: the normalised sum
    const float n = std::sqrt(0.6f * 0.6f + 1.8f * 1.8f);
    EXPECT_NEAR(r.y, 0.6f / n, 1e-6f);
    EXPECT_NEAR(r.w, 1.8f / n, 1e-6f);

    // No sign flip: with a negative dot the longer arc is taken.
    const Quaternion far(0, 0, 0.6f, -0.8f);
    r.slerp(a, far, 0.5f);
    const float m = std::sqrt(0.6f * 0.6f + 0.2f * 0.2f);
    EXPECT_NEAR(r.z, 0.6f / m, 1e-6f);
    EXPECT_NEAR(r.w, 0.2f / m, 1e-6f);

    // Nearly equal: plain linear weights, not normalised.
    const Quaternion close(0, 0, 0.001f, 1);
    r.slerp(a, close, 0.5f);
    EXPECT_FLOAT_EQ(r.z, 0.5f * close.z);
    EXPECT_FLOAT_EQ(r.w, 0.5f + 0.5f * close.w);
    Quaternion twice;
    twice.x = 0, twice.y = 0, twice.z = 0, twice.w = 2;  // dot 2: also linear, no acos of > 1
    r.slerp(twice, twice, 0.25f);
    EXPECT_FLOAT_EQ(r.w, 2.0f);
}

TEST(Quaternion, SlerpOfOppositeInputsStaysAUnitRotation) {
    const Quaternion a(0.1f, 0.2f, 0.3f, 0.9f);
    const Quaternion b(-a.x, -a.y, -a.z, -a.w);
    for (float t : {0.0f, 0.3f, 0.5f, 1.0f}) {
        Quaternion r;
        r.slerp(a, b, t);
        EXPECT_NEAR(r.x * r.x + r.y * r.y + r.z * r.z + r.w * r.w, 1.0f, 1e-5f) << t;
        if (t == 0) {
            expectSameRotation(r, a, 1e-6f);
        } else if (t == 1) {  // a quarter circle away: perpendicular to a
            EXPECT_NEAR(r.x * a.x + r.y * a.y + r.z * a.z + r.w * a.w, 0.0f, 1e-6f);
        }
    }
}

TEST(ForceAccumulator, SumsClearsAndFoldsOverflowIntoTheLastEntry) {
    ForceAccumulator acc;
    acc.sumAndClear();
    EXPECT_EQ(acc.total().x, 0.0f);
    EXPECT_EQ(acc.count(), 0);

    acc.add(Vec3(1, 2, 3));
    acc.add(Vec3(0.5f, -2, 1));
    EXPECT_EQ(acc.count(), 2);
    acc.sumAndClear();
    EXPECT_FLOAT_EQ(acc.total().x, 1.5f);
    EXPECT_FLOAT_EQ(acc.total().y, 0.0f);
    EXPECT_FLOAT_EQ(acc.total().z, 4.0f);
    EXPECT_EQ(acc.count(), 0);
    acc.sumAndClear();  // the entries were cleared with the sum
    EXPECT_EQ(acc.total().z, 0.0f);

    for (int i = 0; i < 25; ++i) acc.add(Vec3(1, 0, -1));
    EXPECT_EQ(acc.count(), ForceAccumulator::capacity);
    acc.sumAndClear();
    EXPECT_FLOAT_EQ(acc.total().x, 25.0f);
    EXPECT_FLOAT_EQ(acc.total().z, -25.0f);

    acc.add(Vec3(7, 7, 7));
    acc.clear();
    EXPECT_EQ(acc.count(), 0);
    acc.sumAndClear();
    EXPECT_EQ(acc.total().x, 0.0f);
}

TEST(Vec3, ScaleLengthAndAccumulate) {
    const Vec3 v(3, 0, 4);
    const Vec3 s = v * 2.0f;
    EXPECT_EQ(v.x, 3.0f);
    EXPECT_EQ(s.z, 8.0f);
    EXPECT_FLOAT_EQ(v.length(), 5.0f);
    Vec3 a(1, 1, 1);
    a += Vec3(1, 2, 3);
    a.add(-2, -3, -4);
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.y, 0.0f);
    EXPECT_EQ(a.z, 0.0f);
    const Vec3 c = cross(Vec3(1, 0, 0), Vec3(0, 1, 0));
    EXPECT_EQ(c.z, 1.0f);
    EXPECT_EQ(dot(Vec3(1, 2, 3), Vec3(4, 5, 6)), 32.0f);
}
