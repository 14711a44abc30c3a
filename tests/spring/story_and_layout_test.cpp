// The story's counts, how it splits into plants, where its letters lie on the field, and the
// seed-direction table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "seasons/spring/seed_direction_table.h"
#include "spring_support.h"

using spring_test::SpringScene;

TEST(SpringStory, CountsPunctuationAndPlants) {
    const std::string story = springStory;
    EXPECT_EQ(story.size(), 549u);
    EXPECT_EQ(std::count(story.begin(), story.end(), '\n'), 3);
    EXPECT_EQ(std::count_if(story.begin(), story.end(), [](char c) { return c != ' ' && c != '\n'; }), 442);
    EXPECT_EQ(std::count(story.begin(), story.end(), '.'), 4);
    EXPECT_EQ(std::count(story.begin(), story.end(), ','), 4);
    EXPECT_EQ(std::count(story.begin(), story.end(), '\''), 2);
    EXPECT_TRUE(std::all_of(story.begin(), story.end(), [](char c) {
        return std::isalpha((unsigned char)c) || c == ' ' || c == '\n' || c == '.' || c == ',' || c == '\'';
    }));
    // Every line ends with a full stop, so no two words of neighbouring lines grow as one plant.
    EXPECT_EQ(story.back(), '.');
    for (size_t i = story.find('\n'); i != std::string::npos; i = story.find('\n', i + 1)) EXPECT_EQ(story[i - 1], '.');

    std::vector<std::string> words = SeasonSpring::splitWords(story.c_str(), (int)story.size());
    ASSERT_EQ(words.size(), 113u);
    size_t letters = 0;
    for (const std::string& w : words) {
        EXPECT_FALSE(w.empty());
        EXPECT_LE(w.size(), 30u) << w;
        letters += w.size();
    }
    EXPECT_EQ(letters, 442u);
}

TEST(SpringStory, SplitWordsRules) {
    // A comma grows as its own word; a full stop joins the first word of the next line.
    auto words = SeasonSpring::splitWords("ab, cd.\nef", 10);
    ASSERT_EQ(words.size(), 4u);
    EXPECT_EQ(words[0], "ab");
    EXPECT_EQ(words[1], ",");
    EXPECT_EQ(words[2], "cd");
    EXPECT_EQ(words[3], ".ef");
    // Without the full stop the two lines' words run together; two spaces give an empty word.
    words = SeasonSpring::splitWords("ab\ncd  e'f", 10);
    ASSERT_EQ(words.size(), 3u);
    EXPECT_EQ(words[0], "abcd");
    EXPECT_EQ(words[1], "");
    EXPECT_EQ(words[2], "e'f");
    // Only `length` characters count.
    EXPECT_EQ(SeasonSpring::splitWords("ab cd", 2).size(), 1u);
}

TEST_F(SpringScene, OnePlantPerWordOneSeedPerLetter) {
    ASSERT_EQ(scene->dandelionCount, 113);
    ASSERT_EQ(scene->seedCount, 442);
    int k = 0;
    for (int i = 0; i < scene->dandelionCount; ++i) {
        const std::string& word = scene->words[i];
        EXPECT_EQ(scene->dandelions[i].seedsOnHead, (int)word.size());
        for (size_t j = 0; j < word.size(); ++j, ++k) {
            EXPECT_EQ(scene->seeds[k].letter, word[j]);
            EXPECT_EQ(scene->seeds[k].indexInWord, (float)j);
            EXPECT_EQ(scene->seeds[k].owner, &scene->dandelions[i]);
        }
    }
}

TEST_F(SpringScene, LetterHomesFollowTheWrappedText) {
    const auto& lines = scene->lines;
    ASSERT_GT(lines.size(), 4u);
    const float firstZ = -(float)(lines.size() - 1) * 8.0f;  // the block is centred on z = 0
    int k = 0;
    for (size_t l = 0; l < lines.size(); ++l) {
        float lastX = -1e9f;
        for (char c : lines[l]) {
            if (c == ' ') continue;
            ASSERT_LT(k, scene->seedCount);
            const LetterSeed& s = scene->seeds[k++];
            EXPECT_EQ(s.letter, c) << "line " << l;
            EXPECT_FLOAT_EQ(s.home.z, firstZ + 16.0f * l);
            EXPECT_GT(s.home.x, lastX) << "letters of a line run left to right";
            lastX = s.home.x;
            EXPECT_LT(std::fabs(s.home.x), scene->fieldHalfWidth);
            EXPECT_LT(std::fabs(s.home.z), scene->fieldHalfDepth);
            EXPECT_EQ(s.position.x, s.home.x);
            EXPECT_EQ(s.position.z, s.home.z);
        }
        // Lines keep near the 250-unit wrap width (the wrap does not count the letter spacing).
        EXPECT_LT(lastX + 150.0f, 300.0f);
    }
    EXPECT_EQ(k, scene->seedCount);
}

TEST_F(SpringScene, RingSpacingByWordLength) {
    bool sawOne = false, sawEight = false;
    for (int i = 0; i < scene->dandelionCount; ++i) {
        const Dandelion& d = scene->dandelions[i];
        if (scene->words[i].size() == 1) {
            sawOne = true;
            EXPECT_FLOAT_EQ(d.ringStep, -90.0f);
            EXPECT_FLOAT_EQ(d.ringRadius, 6.0f);
            EXPECT_NEAR(d.segmentLength, 6.0375f, 1e-4);
        }
        if (scene->words[i].size() == 8) {
            sawEight = true;
            EXPECT_NEAR(d.ringStep, -32.7f, 0.05f);
            EXPECT_FLOAT_EQ(d.ballRadius, 16.5f * 0.6f);
            EXPECT_NEAR(d.segmentLength, 14.0f, 1e-4);
        }
    }
    EXPECT_TRUE(sawOne && sawEight) << "the story holds a one-letter and an eight-letter word";
}

namespace {

double smallestAngle(const std::vector<Vec3>& list) {
    double best = 360;
    for (size_t i = 0; i < list.size(); ++i)
        for (size_t j = i + 1; j < list.size(); ++j) {
            const Vec3& a = list[i];
            const Vec3& b = list[j];
            double c = ((double)a.x * b.x + (double)a.y * b.y + (double)a.z * b.z) / (a.length() * b.length());
            best = std::min(best, std::acos(std::max(-1.0, std::min(1.0, c))) * 180.0 / 3.14159265358979);
        }
    return best;
}

}  // namespace

TEST(SeedDirectionTable, UnitVectorsSpreadOverTheSphere) {
    SeedDirectionTable table;
    ASSERT_EQ(table.count, 30);
    ASSERT_EQ(table.lists.size(), 30u);
    // The fixed lists come out with y negated.
    EXPECT_EQ(table.lists[0][0].y, -1.0f);
    EXPECT_EQ(table.lists[1][0].y, 0.0539f);
    EXPECT_EQ(table.lists[3][3].x, -0.2112f);
    EXPECT_EQ(table.lists[3][3].y, -0.9268f);

    // Smallest pairwise angles the lists must reach (to within a degree), by vector count.
    const double floor2to6[] = {180.0, 119.5, 108.9, 89.5, 87.0};
    for (int k = 0; k < 30; ++k) {
        const auto& list = table.lists[k];
        ASSERT_EQ(list.size(), (size_t)k + 1);
        for (const Vec3& v : list) EXPECT_NEAR(v.length(), 1.0f, 2e-4f) << "list " << k;
        if (k == 0) continue;
        double angle = smallestAngle(list);
        double floor = k <= 5 ? floor2to6[k - 1] : 34.6;
        EXPECT_GE(angle, floor - 1.0) << "list " << k;
    }
    // Heads of n letters use list n - 1; longer words than the table share its largest list.
    EXPECT_EQ(table.listFor(0), nullptr);
    EXPECT_EQ(table.listFor(1), &table.lists[0]);
    EXPECT_EQ(table.listFor(31), &table.lists[29]);
}
