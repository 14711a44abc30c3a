// The Winter tree: a fixed table of branch records, each branch a box stretched along its own axis and
// hung on a point of its parent. Its branches catch falling snow letters; a pull on the trunk handle
// sets the whole tree swaying.
#pragma once

#include <memory>
#include <vector>

#include "render/gl.h"
#include "render/recorded_shape.h"
#include "render/vector_math.h"

class SnowLetter;

// The +y axis turned about x by ax, then about y by ay, then about z by az (degrees), the way glRotatef
// calls in that order turn it.
Vec3 directionFromAngles(float ax, float ay, float az);
// directionFromAngles(ax, ay, az) and directionFromAngles(ax + 90, ay, az), the same values, with the
// sines and cosines of ay and az taken once for both.
void directionsFromAngles(float ax, float ay, float az, Vec3& direction, Vec3& quarterTurned);

// One branch record. For the trunk (parent -1) the first three numbers are its base point; for every
// other branch `baseOrFraction` is how far along its parent (0 at the parent's base, 1 at its tip) it
// starts, and `parent` is the index of an earlier record.
struct BranchSpec {
    float baseOrFraction, baseY, baseZ;
    float angleX, angleY, angleZ;
    float length, thickness, parent;
};

// The 25 records of the Winter tree, trunk first.
std::vector<BranchSpec> winterTreeRecords();

class TreeBranch {
public:
    Vec3 base, tip;
    Vec3 dir;  // unit axis from base to tip
    float angleX, angleY, angleZ, length;
    float thickness = 1;
    Box3 box;      // where the branch can catch snow: `radius` around the axis, but not below it
    float radius;
    // The last collision test, kept for inspection.
    float t = 0;
    float distanceSquared = 0;
    Vec3 difference;
    TreeBranch* parent = nullptr;
    TreeBranch* firstChild = nullptr;
    TreeBranch* nextSibling = nullptr;

    // The trunk.
    TreeBranch(const Vec3& base, float ax, float ay, float az, float length, float radius);
    // A branch hung on `parent` at `base`.
    TreeBranch(TreeBranch* parent, const Vec3& base, float ax, float ay, float az, float length,
               float radius);

    // Links `branch` behind the last sibling of this one.
    void addSibling(TreeBranch* branch);
    // Draws this branch and its later siblings, each followed by its children, with the unit box.
    void draw(const RecordedShape& box) const;
    // Brings a falling letter to rest if it meets this branch.
    void collide(SnowLetter& letter);
};

class SnowTree {
public:
    struct Sway {
        float phase = 0;        // radians
        float phaseStep = 0.7f;
        float damping = 0.9f;
        float amplitude = 0;    // degrees
        float maxAmplitude = 0.5f;
        bool active = false;
    };

    std::vector<std::unique_ptr<TreeBranch>> branches;  // index = record index
    int branchCount = 0;
    Sway sway;
    float shakeAngle = 0;  // degrees about the vertical: the direction of the last pull
    Box3 box;              // the union of all branch boxes
    const RecordedShape* unitBox = nullptr;  // the unit box the branches are drawn with
    int alpha = 0;         // 0..255

    SnowTree(const std::vector<BranchSpec>& specs, float radius);
    SnowTree(const SnowTree&) = delete;
    SnowTree& operator=(const SnowTree&) = delete;

    // A pull in direction `angle` (degrees about the vertical) adds `strength` degrees of sway.
    void shake(float angle, float strength);
    // Advances the sway by one drawn frame (damping and phase); done by draw.
    void stepSway();
    // What draw() does to the sway: one step, when the tree is shown at all. False when it is not.
    bool stepSwayIfShown();
    void draw();
    // Lets every branch but the trunk catch the falling letters inside the tree's box.
    void collide(SnowLetter* letters, int count);
};

// The unit box every branch is drawn with: the six faces of (-0.5, 0, -0.5) .. (0.5, 1, 0.5).
void recordUnitBox(RecordedShape& box);
