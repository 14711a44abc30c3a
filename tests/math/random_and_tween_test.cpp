#include <gtest/gtest.h>

#include "render/camera_tween.h"
#include "render/random_generator.h"

TEST(RandomGenerator, FixedSequenceFromStateOne) {
    randomReset();
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int e : expected) EXPECT_EQ(randomNext(), e);

    randomReset();
    EXPECT_FLOAT_EQ(randomFraction(), 41.0f / 32768.0f);
    EXPECT_EQ(randomState(), 1u * 214013u + 2531011u);

    // The state wraps modulo 2^32 and every result stays within 15 bits.
    randomReset(0xFFFFFFFFu);
    EXPECT_EQ(randomState(), 0xFFFFFFFFu);
    const int v = randomNext();
    EXPECT_EQ(randomState(), 0xFFFFFFFFu * 214013u + 2531011u);
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 32767);
    for (int i = 0; i < 100000; ++i) {
        const float f = randomFraction();
        ASSERT_GE(f, 0.0f);
        ASSERT_LT(f, 1.0f);
    }
    randomReset();
}

TEST(CameraTween, EasesEachChannelFromStartToEnd) {
    const float from[3] = {89.9f, 90.0f, 448.5f};
    const float to[3] = {29.0f, 151.0f, 672.0f};
    CameraTween tween(from, to);
    EXPECT_EQ(tween.count, 3);

    const float* out = tween.at(0);
    EXPECT_EQ(out, tween.out);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(out[i], from[i]);
    tween.at(0.5f);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(tween.out[i], (from[i] + to[i]) / 2, 1e-4f);
    tween.at(1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(tween.out[i], to[i], 1e-4f);
    // Slow at the ends: a quarter of the time covers (1 - cos(pi/4)) / 2 of the way.
    tween.at(0.25f);
    EXPECT_NEAR(tween.out[1], 90.0f + 61.0f * 0.1464466f, 1e-3f);
    tween.atEased(0.25f);
    EXPECT_NEAR(tween.out[2], 448.5f + 223.5f * 0.25f, 1e-3f);

    // Without end points the outputs are left alone.
    CameraTween empty(nullptr, nullptr);
    EXPECT_EQ(empty.at(0.5f)[0], 0.0f);
}
