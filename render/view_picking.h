// Turning a pointer position into a ray through the scene. The scenes pick during `update`, with the
// matrices the previous frame's drawing left current. Reading them is the one place where a scene's
// update touches OpenGL; tests replace that source with fixed matrices.
#pragma once

#include "render/vector_math.h"

struct ViewMatrices {
    double modelview[16];
    double projection[16];
    int viewport[4];
};

// The current matrices: from OpenGL, unless a test has installed its own.
ViewMatrices currentViewMatrices();
// Tests: install fixed matrices (nullptr goes back to reading OpenGL). The pointer must outlive its use.
void setViewMatricesForTesting(const ViewMatrices* matrices);
// A view for tests: gluPerspective(fovY, width / height, 1, 2048) and gluLookAt(eye, target, up) on a
// width x height viewport, computed without OpenGL.
ViewMatrices makeViewMatrices(int width, int height, float fovY, Vec3 eye, Vec3 target, Vec3 up);

struct PickRay {
    Vec3 nearPoint;  // on the near plane under the pointer
    Vec3 direction;  // unit, into the scene
};
// The ray under window pixel (x, y) (origin top-left): gluUnProject at depth 0 and 1 with
// winY = viewport height - y - 1. Returns false if the matrices cannot be inverted.
bool pickRay(const ViewMatrices& view, int x, int y, PickRay& ray);
// Where the ray meets the plane with the given normal through `point`; false when the ray runs
// parallel to it (the hit is then left alone).
bool rayHitsPlane(const PickRay& ray, const Vec3& normal, const Vec3& point, Vec3& hit);
