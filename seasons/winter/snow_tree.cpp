#include "seasons/winter/snow_tree.h"

#include <algorithm>
#include <cmath>

#include "seasons/winter/snow_letter.h"

namespace {

const double kDegToRad = 0.017453292;

Vec3 pointAlong(const Vec3& from, const Vec3& to, float fraction) {
    return Vec3(static_cast<float>(from.x + (double(to.x) - from.x) * fraction),
                static_cast<float>(from.y + (double(to.y) - from.y) * fraction),
                static_cast<float>(from.z + (double(to.z) - from.z) * fraction));
}

}  // namespace

namespace {

Vec3 direction(double sX, double cX, double sY, double cY, double sZ, double cZ) {
    return Vec3(static_cast<float>(-sZ * cY), static_cast<float>(cZ * cX - sZ * sY * sX),
                static_cast<float>(sZ * sY * cX + cZ * sX));
}

}  // namespace

Vec3 directionFromAngles(float ax, float ay, float az) {
    const double x = ax * kDegToRad, y = ay * kDegToRad, z = az * kDegToRad;
    return direction(std::sin(x), std::cos(x), std::sin(y), std::cos(y), std::sin(z), std::cos(z));
}

void directionsFromAngles(float ax, float ay, float az, Vec3& out, Vec3& quarterTurned) {
    const float ax90 = ax + 90;
    const double x = ax * kDegToRad, x90 = ax90 * kDegToRad, y = ay * kDegToRad, z = az * kDegToRad;
    const double sY = std::sin(y), cY = std::cos(y), sZ = std::sin(z), cZ = std::cos(z);
    out = direction(std::sin(x), std::cos(x), sY, cY, sZ, cZ);
    quarterTurned = direction(std::sin(x90), std::cos(x90), sY, cY, sZ, cZ);
}

std::vector<BranchSpec> winterTreeRecords() {
    // fraction (or trunk base x, y, z), angles x / y / z, length, thickness, parent
    return {
        {0, 0, 0, 0, 0, 2, 145, 2.0f, -1},
        {1.0f, 0, 0, 0, 0, -2, 92, 1.7f, 0},
        {0.4f, 0, 0, 0, 0, 35, 72, 1.1f, 0},
        {1.0f, 0, 0, 0, 0, 30, 63, 1.1f, 2},
        {0.61f, 0, 0, 0, 130, 40, 48, 1.1f, 0},
        {0.7f, 0, 0, 0, 185, 30, 79, 1.1f, 4},
        {0.42f, 0, 0, 0, 55, 52, 92, 1.1f, 2},
        {0.85f, 0, 0, 0, 235, 32, 87, 1.1f, 0},
        {0.32f, 0, 0, 0, 114, 52, 47, 1.1f, 6},
        {0.4f, 0, 0, 0, 296, 27, 55, 1.1f, 7},
        {0.9f, 0, 0, 0, 292, 33, 52, 0.9f, 2},
        {0.11f, 0, 0, 0, 20, 33, 44, 0.6f, 1},
        {0.67f, 0, 0, 0, 195, 41, 37, 0.6f, 7},
        {0.47f, 0, 0, 0, 229, 34, 41, 0.5f, 10},
        {0.42f, 0, 0, 0, 65, 52, 42, 0.5f, 3},
        {0.65f, 0, 0, 0, 235, 42, 47, 0.6f, 5},
        {1.0f, 0, 0, 0, 130, 34, 51, 1.0f, 4},
        {0.45f, 0, 0, 0, 255, 52, 87, 1.1f, 0},
        {0.4f, 0, 0, 0, 296, 36, 55, 0.9f, 17},
        {0.61f, 0, 0, 0, 211, 43, 44, 0.8f, 17},
        {0.22f, 0, 0, 0, 63, 52, 42, 0.6f, 16},
        {0.61f, 0, 0, 0, 201, 61, 28, 0.6f, 16},
        {0.68f, 0, 0, 0, 23, 52, 17, 0.4f, 20},
        {0.64f, 0, 0, 0, 131, 54, 21, 0.58f, 20},
        {0.48f, 0, 0, 0, 13, 55, 48, 0.77f, 6},
    };
}

// ---- TreeBranch -----------------------------------------------------------------------------------

TreeBranch::TreeBranch(const Vec3& base, float ax, float ay, float az, float length, float radius)
    : TreeBranch(nullptr, base, ax, ay, az, length, radius) {}

TreeBranch::TreeBranch(TreeBranch* parent, const Vec3& base, float ax, float ay, float az, float length,
                       float radius)
    : base(base), angleX(ax), angleY(ay), angleZ(az), length(length), radius(radius), parent(parent) {
    dir = directionFromAngles(ax, ay, az);
    tip = base + dir * length;
    // The box reaches `radius` beyond the axis on every side except downward.
    box = Box3(std::min(base.x, tip.x) - radius, std::max(base.x, tip.x) + radius, std::min(base.y, tip.y),
               std::max(base.y, tip.y) + radius, std::min(base.z, tip.z) - radius,
               std::max(base.z, tip.z) + radius);
}

void TreeBranch::addSibling(TreeBranch* branch) {
    TreeBranch* last = this;
    while (last->nextSibling != nullptr) last = last->nextSibling;
    last->nextSibling = branch;
}

void TreeBranch::draw(const RecordedShape& box) const {
    for (const TreeBranch* b = this; b != nullptr; b = b->nextSibling) {
        glPushMatrix();
        glTranslatef(b->base.x, b->base.y, b->base.z);
        glRotatef(b->angleX, 1, 0, 0);
        glRotatef(b->angleY, 0, 1, 0);
        glRotatef(b->angleZ, 0, 0, 1);
        glScalef(b->thickness, b->length, b->thickness);
        box.draw();
        glPopMatrix();
        if (b->firstChild != nullptr) b->firstChild->draw(box);
    }
}

void TreeBranch::collide(SnowLetter& letter) {
    if (!letter.active || letter.shaken) return;
    const Vec3& p = letter.position;
    if (!box.contains(p.x, p.y, p.z)) return;

    letter.preparePlane();
    // Where the branch's axis pierces the letter's plane. A plane that runs along the axis (or a letter
    // whose plane is not set yet) is never pierced.
    const double along = dot(letter.planeNormal, dir);
    if (along == 0.0 || !std::isfinite(along)) return;
    const double pierce = -(dot(letter.planeNormal, base) + double(letter.planeOffset)) / along;
    if (!std::isfinite(pierce)) return;
    t = static_cast<float>(pierce);
    const Vec3 hit = base + dir * t;
    difference = hit - p;
    distanceSquared = static_cast<float>(dot(difference, difference));
    if (distanceSquared < letter.stickRadiusSquared && t < length && t > 0) letter.active = false;
}

// ---- SnowTree -------------------------------------------------------------------------------------

SnowTree::SnowTree(const std::vector<BranchSpec>& specs, float radius) {
    branchCount = static_cast<int>(specs.size());
    branches.resize(specs.size());
    for (int i = 0; i < branchCount; ++i) {
        const BranchSpec& s = specs[i];
        if (i == 0) {
            branches[0] = std::make_unique<TreeBranch>(Vec3(s.baseOrFraction, s.baseY, s.baseZ), s.angleX,
                                                       s.angleY, s.angleZ, s.length, radius);
        } else {
            // A record may only hang on an earlier one; any other parent falls back to the trunk, so a
            // faulty table can neither index outside the tree nor hang a branch on itself.
            const bool earlier = s.parent >= 0 && s.parent < static_cast<float>(i);
            TreeBranch* p = branches[earlier ? static_cast<int>(s.parent) : 0].get();
            const Vec3 start = pointAlong(p->base, p->tip, s.baseOrFraction);
            branches[i] = std::make_unique<TreeBranch>(p, start, s.angleX, s.angleY, s.angleZ, s.length, radius);
            if (p->firstChild == nullptr) {
                p->firstChild = branches[i].get();
            } else {
                p->firstChild->addSibling(branches[i].get());
            }
        }
        branches[i]->thickness = s.thickness;
    }
    sway = Sway();
    shakeAngle = 0;
    alpha = 0;

    box = Box3(1e13f, -1e13f, 1e13f, -1e13f, 1e13f, -1e13f);
    for (const auto& b : branches) {
        box.minX = std::min(box.minX, b->box.minX);
        box.maxX = std::max(box.maxX, b->box.maxX);
        box.minY = std::min(box.minY, b->box.minY);
        box.maxY = std::max(box.maxY, b->box.maxY);
        box.minZ = std::min(box.minZ, b->box.minZ);
        box.maxZ = std::max(box.maxZ, b->box.maxZ);
    }
}

void SnowTree::shake(float angle, float strength) {
    shakeAngle = angle;
    sway.amplitude += strength;
    if (sway.amplitude > sway.maxAmplitude) sway.amplitude = sway.maxAmplitude;
    sway.active = true;
}

void SnowTree::stepSway() {
    sway.amplitude *= sway.damping;
    if (sway.amplitude < 0.0001f) {
        sway.amplitude = 0;
        sway.active = false;
    }
    sway.phase += sway.phaseStep;
}

bool SnowTree::stepSwayIfShown() {
    if (alpha == 0 || branchCount == 0) return false;
    stepSway();
    return true;
}

void SnowTree::draw() {
    if (!stepSwayIfShown()) return;
    glColor4ub(75, 46, 18, static_cast<GLubyte>(std::clamp(alpha, 0, 255)));
    glPushMatrix();
    glRotatef(shakeAngle, 0, 1, 0);
    // The whole tree tilts back and forth about a horizontal axis across the pull direction.
    glRotatef(static_cast<float>(std::sin(sway.phase) * sway.amplitude), 1, 0, 0);
    glRotatef(-shakeAngle, 0, 1, 0);
    if (unitBox) branches[0]->draw(*unitBox);
    glPopMatrix();
}

void SnowTree::collide(SnowLetter* letters, int count) {
    if (branchCount <= 1 || letters == nullptr) return;
    for (int k = 0; k < count; ++k) {
        const Vec3& p = letters[k].position;
        if (!box.contains(p.x, p.y, p.z)) continue;
        // The trunk (branch 0) never catches snow.
        for (int i = 1; i < branchCount; ++i) branches[i]->collide(letters[k]);
    }
}

void recordUnitBox(RecordedShape& box) {
    box.begin(GL_QUADS);
    // z = +0.5
    box.vertex(-0.5f, 0, 0.5f);
    box.vertex(0.5f, 0, 0.5f);
    box.vertex(0.5f, 1, 0.5f);
    box.vertex(-0.5f, 1, 0.5f);
    // z = -0.5
    box.vertex(-0.5f, 0, -0.5f);
    box.vertex(-0.5f, 1, -0.5f);
    box.vertex(0.5f, 1, -0.5f);
    box.vertex(0.5f, 0, -0.5f);
    // y = 1
    box.vertex(-0.5f, 1, -0.5f);
    box.vertex(-0.5f, 1, 0.5f);
    box.vertex(0.5f, 1, 0.5f);
    box.vertex(0.5f, 1, -0.5f);
    // y = 0
    box.vertex(-0.5f, 0, -0.5f);
    box.vertex(0.5f, 0, -0.5f);
    box.vertex(0.5f, 0, 0.5f);
    box.vertex(-0.5f, 0, 0.5f);
    // x = +0.5
    box.vertex(0.5f, 0, -0.5f);
    box.vertex(0.5f, 1, -0.5f);
    box.vertex(0.5f, 1, 0.5f);
    box.vertex(0.5f, 0, 0.5f);
    // x = -0.5
    box.vertex(-0.5f, 0, -0.5f);
    box.vertex(-0.5f, 0, 0.5f);
    box.vertex(-0.5f, 1, 0.5f);
    box.vertex(-0.5f, 1, -0.5f);
    box.end();
}
