// The matrix product is on the hot path of every scene's update (Spring's stalks take some three
// thousand a frame), so it is written for speed; it must still give the very same bits (NaNs aside) as
// the plain definition: each entry the sum of its four products in double, from zero, k = 0..3, stored
// as float.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

#include "render/random_generator.h"
#include "render/vector_math.h"

namespace {

float reference(double v) {
    if (v > FLT_MAX) return std::numeric_limits<float>::infinity();
    if (v < -FLT_MAX) return -std::numeric_limits<float>::infinity();
    return (float)v;
}

Matrix4 plainProduct(const Matrix4& a, const Matrix4& b) {
    Matrix4 out;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double(a.m[r + 4 * k]) * b.m[k + 4 * c];
            out.m[r + 4 * c] = reference(sum);
        }
    out.m[3] = out.m[7] = out.m[11] = 0;
    out.m[15] = 1;
    return out;
}

// The same bits in every entry (so -0 differs from +0), except that any NaN equals any NaN: which of
// two NaN operands an addition passes on is the compiler's choice of operand order, not the product's.
bool sameBits(const Matrix4& x, const Matrix4& y) {
    for (int i = 0; i < 16; ++i) {
        if (std::isnan(x.m[i]) && std::isnan(y.m[i])) continue;
        if (std::memcmp(&x.m[i], &y.m[i], sizeof(float)) != 0) return false;
    }
    return true;
}

bool sameFloat(float x, float y) {
    return (std::isnan(x) && std::isnan(y)) || std::memcmp(&x, &y, sizeof(float)) == 0;
}

// Mostly ordinary values, now and then a signed zero, a huge value that overflows a sum, an
// infinity or a NaN; the bottom row is not always affine.
float anyValue() {
    int kind = randomNext() % 40;
    float v = (randomFraction() - 0.5f) * (float)(1 << (randomNext() % 12));
    switch (kind) {
    case 0: return 0.0f;
    case 1: return -0.0f;
    case 2: return 3e38f * (randomFraction() < 0.5f ? -1 : 1);
    case 3: return std::numeric_limits<float>::infinity();
    case 4: return std::numeric_limits<float>::quiet_NaN();
    default: return v;
    }
}

}  // namespace

TEST(MatrixProduct, BitForBitThePlainDefinitionAlsoInPlaceAndForPoints) {
    randomReset();
    for (int n = 0; n < 20000; ++n) {
        Matrix4 a, b;
        for (int i = 0; i < 16; ++i) {
            a.m[i] = anyValue();
            b.m[i] = anyValue();
        }
        Matrix4 expected = plainProduct(a, b);
        Matrix4 product = a * b;
        ASSERT_TRUE(sameBits(product, expected)) << "product " << n;
        Matrix4 inPlace = a;
        inPlace *= b;
        ASSERT_TRUE(sameBits(inPlace, expected)) << "in place " << n;
        // A point through the matrix: each coordinate the sum of m[row + 4k] * (x, y, z, 1)[k], k = 0..3.
        const float p[3] = {anyValue(), anyValue(), anyValue()};
        float q[3];
        a.transformPoint(p[0], p[1], p[2], &q[0], &q[1], &q[2]);
        for (int row = 0; row < 3; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += double(a.m[row + 4 * k]) * (k < 3 ? double(p[k]) : 1.0);
            ASSERT_TRUE(sameFloat(q[row], reference(sum))) << "point " << n << " row " << row;
        }
        Matrix4 square = a;
        square *= square;
        Matrix4 expectedSquare = plainProduct(a, a);
        ASSERT_TRUE(sameBits(square, expectedSquare)) << "square " << n;
    }
}
