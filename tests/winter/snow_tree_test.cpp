// The tree built from its records, and how its branches catch snow.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "seasons/winter/snow_letter.h"
#include "seasons/winter/snow_tree.h"

namespace {

const float kRadius = 3.6f;

// A letter lying flat (plane normal straight up) at p, catchable as the scene's letters are.
SnowLetter flatLetterAt(const Vec3& p) {
    SnowLetter s;
    s.setSize(8, 0.6f);
    s.position = p;
    s.planeNormal = Vec3(0, 1, 0);
    s.planeOffset = -p.y;
    return s;
}

// A letter at p whose plane is perpendicular to `normal`.
SnowLetter letterWithPlane(const Vec3& p, const Vec3& normal) {
    SnowLetter s = flatLetterAt(p);
    s.planeNormal = normal;
    s.planeOffset = -dot(normal, p);
    return s;
}

Vec3 along(const TreeBranch& b, float t) { return b.base + b.dir * t; }

}  // namespace

TEST(SnowTree, BranchesHangWhereTheirRecordsSay) {
    SnowTree tree(winterTreeRecords(), kRadius);
    ASSERT_EQ(tree.branchCount, 25);
    const TreeBranch& trunk = *tree.branches[0];
    EXPECT_EQ(trunk.parent, nullptr);
    EXPECT_NEAR(trunk.tip.y, 145 * std::cos(2 * 3.14159265 / 180), 1e-3);
    EXPECT_NEAR(trunk.tip.x, -145 * std::sin(2 * 3.14159265 / 180), 1e-3);

    // Branch 1 continues the trunk from exactly its tip; a fraction of 0.4 starts 40 % up the trunk.
    EXPECT_EQ(tree.branches[1]->base.x, trunk.tip.x);
    EXPECT_EQ(tree.branches[1]->base.y, trunk.tip.y);
    EXPECT_EQ(tree.branches[1]->base.z, trunk.tip.z);
    EXPECT_NEAR(tree.branches[2]->base.y, 0.4f * trunk.tip.y, 1e-4);
    EXPECT_EQ(tree.branches[3]->parent, tree.branches[2].get());

    // The child links reach every branch exactly once, depth first from the trunk.
    int visited[25] = {};
    std::function<void(const TreeBranch*)> walk = [&](const TreeBranch* b) {
        for (; b != nullptr; b = b->nextSibling) {
            for (int i = 0; i < 25; ++i)
                if (tree.branches[i].get() == b) visited[i] += 1;
            walk(b->firstChild);
        }
    };
    walk(&trunk);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(visited[i], 1) << "branch " << i;
    for (int i = 0; i < 25; ++i) EXPECT_NEAR(tree.branches[i]->dir.length(), 1.0f, 1e-6);
}

TEST(SnowTree, BoxesReachTheRadiusBeyondTheAxisExceptDownward) {
    SnowTree tree(winterTreeRecords(), kRadius);
    Box3 expected(1e13f, -1e13f, 1e13f, -1e13f, 1e13f, -1e13f);
    for (int i = 0; i < tree.branchCount; ++i) {
        const TreeBranch& b = *tree.branches[i];
        const Box3& box = b.box;
        EXPECT_FLOAT_EQ(box.minX, std::min(b.base.x, b.tip.x) - kRadius) << i;
        EXPECT_FLOAT_EQ(box.maxX, std::max(b.base.x, b.tip.x) + kRadius) << i;
        EXPECT_FLOAT_EQ(box.minY, std::min(b.base.y, b.tip.y)) << i;
        EXPECT_FLOAT_EQ(box.maxY, std::max(b.base.y, b.tip.y) + kRadius) << i;
        EXPECT_FLOAT_EQ(box.minZ, std::min(b.base.z, b.tip.z) - kRadius) << i;
        EXPECT_FLOAT_EQ(box.maxZ, std::max(b.base.z, b.tip.z) + kRadius) << i;
        expected.minX = std::min(expected.minX, box.minX);
        expected.maxX = std::max(expected.maxX, box.maxX);
        expected.minY = std::min(expected.minY, box.minY);
        expected.maxY = std::max(expected.maxY, box.maxY);
        expected.minZ = std::min(expected.minZ, box.minZ);
        expected.maxZ = std::max(expected.maxZ, box.maxZ);
    }
    EXPECT_EQ(tree.box.minX, expected.minX);
    EXPECT_EQ(tree.box.maxX, expected.maxX);
    EXPECT_EQ(tree.box.minY, 0.0f);  // the trunk's foot: nothing reaches below the page
    EXPECT_EQ(tree.box.maxY, expected.maxY);
    EXPECT_EQ(tree.box.minZ, expected.minZ);
    EXPECT_EQ(tree.box.maxZ, expected.maxZ);
}

TEST(SnowTree, TheTrunkNeverCatchesSnow) {
    SnowTree tree(winterTreeRecords(), kRadius);
    // Low on the trunk, inside no other branch's box, right on the trunk's axis.
    const Vec3 p = along(*tree.branches[0], 30);
    for (int i = 1; i < tree.branchCount; ++i) ASSERT_FALSE(tree.branches[i]->box.contains(p.x, p.y, p.z));
    SnowLetter s = flatLetterAt(p);
    tree.collide(&s, 1);
    EXPECT_TRUE(s.active);
    // The trunk branch on its own would have caught it.
    tree.branches[0]->collide(s);
    EXPECT_FALSE(s.active);
}

TEST(SnowTree, ABranchCatchesOnlyNearWhereItsAxisPiercesTheLetter) {
    SnowTree tree(winterTreeRecords(), kRadius);
    TreeBranch& branch = *tree.branches[2];  // leans out along -x in the x-y plane
    const Vec3 middle = along(branch, branch.length * 0.5f);

    SnowLetter near = flatLetterAt(middle + Vec3(6.0f, 0, 0));
    SnowLetter far = flatLetterAt(middle + Vec3(6.4f, 0, 0));  // beyond sqrt(38.4) = 6.2
    ASSERT_TRUE(branch.box.contains(far.position.x, far.position.y, far.position.z));
    branch.collide(far);
    EXPECT_TRUE(far.active);
    branch.collide(near);
    EXPECT_FALSE(near.active);

    // Pierced beyond the tip: inside the box above the tip, close to the axis's continuation.
    SnowLetter aboveTip = flatLetterAt(branch.tip + Vec3(0, 2, 0));
    ASSERT_TRUE(branch.box.contains(aboveTip.position.x, aboveTip.position.y, aboveTip.position.z));
    branch.collide(aboveTip);
    EXPECT_GT(branch.t, branch.length);
    EXPECT_LT(branch.distanceSquared, 38.4f);
    EXPECT_TRUE(aboveTip.active);

    // Pierced behind the base, and the mirror case just in front of it.
    const Vec3 across(branch.dir.y, -branch.dir.x, 0);  // perpendicular to the axis, pointing up
    SnowLetter behind = letterWithPlane(branch.base + across * 2 - branch.dir * 1, branch.dir);
    SnowLetter inFront = letterWithPlane(branch.base + across * 2 + branch.dir * 1, branch.dir);
    ASSERT_TRUE(branch.box.contains(behind.position.x, behind.position.y, behind.position.z));
    branch.collide(behind);
    EXPECT_LT(branch.t, 0);
    EXPECT_TRUE(behind.active);
    branch.collide(inFront);
    EXPECT_FALSE(inFront.active);

    // A plane that runs along the axis is never pierced; the letter keeps falling and nothing
    // turns into a NaN. So does a letter whose plane was never set.
    SnowLetter edgeOn = letterWithPlane(middle + Vec3(1, 0, 0), Vec3(0, 0, 1));
    branch.collide(edgeOn);
    EXPECT_TRUE(edgeOn.active);
    SnowLetter unset = flatLetterAt(middle);
    unset.planeNormal = Vec3();
    unset.planeOffset = 0;
    branch.collide(unset);
    EXPECT_TRUE(unset.active);
    EXPECT_TRUE(std::isfinite(branch.t));

    // A shaken letter falls through.
    SnowLetter shaken = flatLetterAt(middle);
    shaken.shaken = true;
    tree.collide(&shaken, 1);
    EXPECT_TRUE(shaken.active);
}

TEST(SnowTree, ShakingAddsSwayUpToHalfADegreeAndDiesAway) {
    SnowTree tree(winterTreeRecords(), kRadius);
    tree.shake(40, 0.3f);
    EXPECT_FLOAT_EQ(tree.sway.amplitude, 0.3f);
    EXPECT_EQ(tree.shakeAngle, 40);
    EXPECT_TRUE(tree.sway.active);
    tree.shake(-20, 0.3f);
    EXPECT_FLOAT_EQ(tree.sway.amplitude, 0.5f);
    tree.shake(-20, 7);
    EXPECT_FLOAT_EQ(tree.sway.amplitude, 0.5f);
    EXPECT_EQ(tree.shakeAngle, -20);

    tree.stepSway();
    EXPECT_FLOAT_EQ(tree.sway.amplitude, 0.45f);
    EXPECT_FLOAT_EQ(tree.sway.phase, 0.7f);
    for (int i = 0; i < 200; ++i) tree.stepSway();
    EXPECT_EQ(tree.sway.amplitude, 0);
    EXPECT_FALSE(tree.sway.active);
}

TEST(SnowTree, AFaultyTableStaysInsideTheTree) {
    std::vector<BranchSpec> specs = winterTreeRecords();
    specs[3].parent = 3;     // itself
    specs[5].parent = 24;    // a later record
    specs[6].parent = -7;    // nothing
    specs[7].parent = 1e30f; // far out of range
    SnowTree tree(specs, kRadius);
    for (int i : {3, 5, 6, 7}) EXPECT_EQ(tree.branches[i]->parent, tree.branches[0].get()) << i;

    SnowTree empty(std::vector<BranchSpec>(), kRadius);
    EXPECT_EQ(empty.branchCount, 0);
    SnowLetter s = flatLetterAt(Vec3(0, 50, 0));
    empty.collide(&s, 1);
    EXPECT_TRUE(s.active);
}

TEST(DirectionFromAngles, TurnsTheUpAxisInGlRotateOrder) {
    const Vec3 up = directionFromAngles(0, 0, 0);
    EXPECT_NEAR(up.y, 1, 1e-6);
    const Vec3 z90 = directionFromAngles(0, 0, 90);  // +y turned about z goes to -x
    EXPECT_NEAR(z90.x, -1, 1e-6);
    EXPECT_NEAR(z90.y, 0, 1e-6);
    const Vec3 x90 = directionFromAngles(90, 0, 0);  // about x goes to +z
    EXPECT_NEAR(x90.z, 1, 1e-6);
    // Rotating about z first leans it in x-y; the y turn then swings that lean round to z.
    const Vec3 both = directionFromAngles(0, 90, 90);
    EXPECT_NEAR(both.x, 0, 1e-6);
    EXPECT_NEAR(both.z, 1, 1e-6);
}
