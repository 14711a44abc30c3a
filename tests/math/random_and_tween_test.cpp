#include <gtest/gtest.h>

#include "render/camera_tween.h"
#include "render/random_generator.h"

TEST(RandomGenerator, FixedSequenceFromStateOne) {
    randomReset();
    for (int e : {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464})
        EXPECT_EQ(randomNext(), e);
    randomReset();
    EXPECT_FLOAT_EQ(randomFraction(), 41.0f / 32768.0f);

    randomReset(0xFFFFFFFFu);  // wraps modulo 2^32
    randomNext();
    EXPECT_EQ(randomState(), 0xFFFFFFFFu * 214013u + 2531011u);
    randomReset();
}

TEST(CameraTween, EasedOutput) {
    const float from[3] = {89.9f, 90.0f, 448.5f};
    const float to[3] = {29.0f, 151.0f, 672.0f};
    CameraTween tween(from, to);
    const float* out = tween.at(0);
    for (int i = 0; i < 3; ++i) EXPECT_FLOAT_EQ(out[i], from[i]);
    tween.at(0.5f);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], (from[i] + to[i]) / 2, 1e-4f);
    tween.at(1);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(out[i], to[i], 1e-4f);
    tween.at(0.25f);  // slow at the ends
    EXPECT_NEAR(out[1], 90.0f + 61.0f * 0.1464466f, 1e-3f);
}
