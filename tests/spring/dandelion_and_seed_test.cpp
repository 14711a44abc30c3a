// The stalk spring, a letter seed's flight and the seed-direction table, each on its own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "render/random_generator.h"
#include "seasons/spring/dandelion.h"
#include "seasons/spring/letter_seed.h"
#include "seasons/spring/seed_direction_table.h"

TEST(StalkSpring, BlowLeansAlongTheMotionThenRelaxesToRest) {
    randomReset();
    StalkSpring s(1.05f, 150, 200, 3, -2, 11);
    for (int i = 0; i < 300; ++i) {
        s.push(-1, 0);  // a breath toward -x: the pointer moved toward +x, and so does the lean
        s.update();
    }
    EXPECT_TRUE(s.strength == 1.0f && s.pos.x > 5 && std::fabs(s.pos.z) < s.pos.x) << s.pos.x << " " << s.pos.z;
    s.update();  // no wind, no push: free stiffness, and the push strength falls
    EXPECT_EQ(s.stiffness, 200.0f);
    EXPECT_FLOAT_EQ(s.strength, 0.96f);
    for (int i = 0; i < 3000; ++i) s.update();
    EXPECT_TRUE(s.strength == 0.01f && std::fabs(s.pos.x - 3) < 0.01f && std::fabs(s.pos.z + 2) < 0.01f && !s.bent);
}

TEST(LetterSeed, FallsCappedFadesBelowFifteenAndLandsOnce) {
    Dandelion d;
    d.seedsInFlight = 1;
    LetterSeed s;
    s.owner = &d;
    s.attached = false;
    s.position = Vec3(0, 30, 0);
    s.velocity = Vec3(0.5f, -5, 0);
    s.lingerForce = Vec3(0, -1, 0);
    for (int i = 0; i < 1000 && s.visible; ++i) {
        const float y = s.position.y;
        s.fly();
        EXPECT_GE(s.position.y, y - 0.3f - 1e-5f);
        if (s.visible) {
            EXPECT_FLOAT_EQ(s.alpha, std::min(1.0f, s.position.y / 15.0f));
        }
    }
    EXPECT_TRUE(!s.visible && s.position.y <= 0 && s.alpha == 0 && s.velocity.length() == 0 && d.seedsInFlight == 0);
    s.fly();
    EXPECT_EQ(d.seedsInFlight, 0);  // landed once only

    LetterSeed held;  // an attached letter never fades by height and never lands
    held.owner = &d;
    held.position = Vec3(0, -5, 0);
    for (int i = 0; i < 10; ++i) held.fly();
    EXPECT_TRUE(held.visible && held.alpha == 1.0f && d.seedsInFlight == 0);
}

TEST(SeedDirectionTable, ListsOfSpreadUnitVectorsWithYNegated) {
    SeedDirectionTable table;
    ASSERT_EQ(table.lists.size(), 30u);
    EXPECT_TRUE(table.lists[0][0].y == -1.0f && table.lists[3][3].y == -0.9268f);
    for (size_t k = 0; k < 30; ++k) {
        ASSERT_EQ(table.lists[k].size(), k + 1);
        for (size_t i = 0; i <= k; ++i)  // unit vectors, no two within 33.6 degrees of each other
            for (size_t j = i; j <= k; ++j) {
                const float c = dot(table.lists[k][i], table.lists[k][j]);
                EXPECT_TRUE(i == j ? std::fabs(c - 1) < 4e-4f : c < 0.833f) << k << " " << i << " " << j;
            }
    }
    // Heads of n letters use list n - 1; longer words than the table share its largest list.
    EXPECT_TRUE(table.listFor(0) == nullptr && table.listFor(1) == &table.lists[0]);
    EXPECT_EQ(table.listFor(31), &table.lists[29]);
}
