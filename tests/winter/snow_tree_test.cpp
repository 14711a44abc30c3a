// The tree built from its records, and how its branches catch snow.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "seasons/winter/snow_letter.h"
#include "seasons/winter/snow_tree.h"

namespace {

const float kRadius = 3.6f;

// A letter at p whose plane has the given normal (lying flat by default), catchable like the scene's.
SnowLetter letterAt(const Vec3& p, const Vec3& normal = Vec3(0, 1, 0)) {
    SnowLetter s;
    s.setSize(8, 0.6f);
    s.position = p;
    s.planeNormal = normal;
    s.planeOffset = -dot(normal, p);
    return s;
}

bool inBox(const Box3& b, const Vec3& p) { return b.contains(p.x, p.y, p.z); }

}  // namespace

TEST(SnowTree, BranchesHangWhereTheirRecordsSayAndAreAllLinked) {
    SnowTree tree(winterTreeRecords(), kRadius);
    ASSERT_EQ(tree.branchCount, 25);
    const TreeBranch& trunk = *tree.branches[0];
    EXPECT_NEAR(trunk.tip.y, 145 * std::cos(2 * 3.14159265 / 180), 1e-3);
    // Branch 1 continues the trunk from exactly its tip.
    EXPECT_EQ(tree.branches[1]->base.x, trunk.tip.x);
    EXPECT_EQ(tree.branches[1]->base.y, trunk.tip.y);
    EXPECT_EQ(tree.branches[1]->base.z, trunk.tip.z);
    EXPECT_NEAR(tree.branches[2]->base.y, 0.4f * trunk.tip.y, 1e-4);

    // The child links reach every branch exactly once, depth first from the trunk.
    int visited[25] = {};
    std::function<void(const TreeBranch*)> walk = [&](const TreeBranch* b) {
        for (; b != nullptr; b = b->nextSibling) {
            for (int i = 0; i < 25; ++i) visited[i] += tree.branches[i].get() == b;
            walk(b->firstChild);
        }
    };
    walk(&trunk);
    for (int i = 0; i < 25; ++i) EXPECT_EQ(visited[i], 1) << "branch " << i;
}

TEST(SnowTree, BoxesReachTheRadiusBeyondTheAxisExceptDownwardAndTheTreeBoxHoldsThemAll) {
    SnowTree tree(winterTreeRecords(), kRadius);
    const float in = kRadius - 0.01f, out = kRadius + 0.01f;
    for (int i = 0; i < tree.branchCount; ++i) {
        const TreeBranch& b = *tree.branches[i];
        // Per axis, from the end lying farther out that way: the radius along x, z and up; nothing down.
        for (const Vec3& axis : {Vec3(1, 0, 0), Vec3(0, 0, 1), Vec3(0, 1, 0)}) {
            const bool tipHigher = dot(b.tip, axis) > dot(b.base, axis);
            const Vec3& hi = tipHigher ? b.tip : b.base;
            const Vec3& lo = tipHigher ? b.base : b.tip;
            const float below = axis.y == 1 ? 0.0f : in, beyond = axis.y == 1 ? 0.01f : out;
            EXPECT_TRUE(inBox(b.box, hi + axis * in) && inBox(b.box, lo - axis * below)) << i;
            EXPECT_FALSE(inBox(b.box, hi + axis * out) || inBox(b.box, lo - axis * beyond)) << i;
        }
        EXPECT_TRUE(inBox(tree.box, Vec3(b.box.minX, b.box.minY, b.box.minZ)) &&
                    inBox(tree.box, Vec3(b.box.maxX, b.box.maxY, b.box.maxZ))) << i;
    }
    EXPECT_EQ(tree.box.minY, 0.0f);  // the trunk's foot
}

TEST(SnowTree, TheTrunkNeverCatchesSnow) {
    SnowTree tree(winterTreeRecords(), kRadius);
    // Low on the trunk's axis, inside no other branch's box.
    const TreeBranch& trunk = *tree.branches[0];
    SnowLetter s = letterAt(trunk.base + trunk.dir * 30);
    for (int i = 1; i < tree.branchCount; ++i) ASSERT_FALSE(inBox(tree.branches[i]->box, s.position));
    tree.collide(&s, 1);
    EXPECT_TRUE(s.active);
    tree.branches[0]->collide(s);  // the trunk branch on its own would have caught it
    EXPECT_FALSE(s.active);
}

TEST(SnowTree, ABranchCatchesOnlyNearWhereItsAxisPiercesTheLetter) {
    SnowTree tree(winterTreeRecords(), kRadius);
    TreeBranch& branch = *tree.branches[2];  // leans out along -x in the x-y plane
    const Vec3 middle = branch.base + branch.dir * (branch.length * 0.5f);

    SnowLetter near = letterAt(middle + Vec3(6.0f, 0, 0));
    SnowLetter far = letterAt(middle + Vec3(6.4f, 0, 0));  // beyond sqrt(38.4) = 6.2
    ASSERT_TRUE(inBox(branch.box, far.position));
    branch.collide(far);
    EXPECT_TRUE(far.active);
    branch.collide(near);
    EXPECT_FALSE(near.active);

    // Pierced beyond the tip: inside the box above the tip, close to the axis's continuation.
    SnowLetter aboveTip = letterAt(branch.tip + Vec3(0, 2, 0));
    ASSERT_TRUE(inBox(branch.box, aboveTip.position));
    branch.collide(aboveTip);
    EXPECT_GT(branch.t, branch.length);
    EXPECT_LT(branch.distanceSquared, 38.4f);
    EXPECT_TRUE(aboveTip.active);

    // Pierced behind the base, and the mirror case just in front of it.
    const Vec3 across(branch.dir.y, -branch.dir.x, 0);  // perpendicular to the axis, pointing up
    SnowLetter behind = letterAt(branch.base + across * 2 - branch.dir * 1, branch.dir);
    SnowLetter inFront = letterAt(branch.base + across * 2 + branch.dir * 1, branch.dir);
    ASSERT_TRUE(inBox(branch.box, behind.position));
    branch.collide(behind);
    EXPECT_TRUE(behind.active);
    branch.collide(inFront);
    EXPECT_FALSE(inFront.active);

    // A plane along the axis, or one never set, is never pierced: no catch and no NaN.
    SnowLetter edgeOn = letterAt(middle + Vec3(1, 0, 0), Vec3(0, 0, 1));
    SnowLetter unset = letterAt(middle, Vec3());
    branch.collide(edgeOn);
    branch.collide(unset);
    EXPECT_TRUE(edgeOn.active && unset.active);
    EXPECT_TRUE(std::isfinite(branch.t));

    SnowLetter shaken = letterAt(middle);
    shaken.shaken = true;
    tree.collide(&shaken, 1);
    EXPECT_TRUE(shaken.active);  // shaken snow falls through
}

TEST(SnowTree, AFaultyTableStaysInsideTheTree) {
    std::vector<BranchSpec> specs = winterTreeRecords();
    specs[3].parent = 3;      // itself
    specs[5].parent = 24;     // a later record
    specs[6].parent = -7;     // nothing
    specs[7].parent = 1e30f;  // far out of range
    SnowTree tree(specs, kRadius);
    for (int i : {3, 5, 6, 7}) EXPECT_EQ(tree.branches[i]->parent, tree.branches[0].get()) << i;

    SnowTree empty(std::vector<BranchSpec>(), kRadius);
    SnowLetter s = letterAt(Vec3(0, 50, 0));
    empty.collide(&s, 1);
    EXPECT_TRUE(s.active);
}
