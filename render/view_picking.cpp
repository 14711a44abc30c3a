#include "render/view_picking.h"

#include <cmath>

#include "render/gl.h"

namespace {
const ViewMatrices* testMatrices = nullptr;

void multiply(const double* a, const double* b, double* out) {  // out = a x b, column order
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[r + 4 * k] * b[k + 4 * c];
            out[r + 4 * c] = s;
        }
}
}  // namespace

ViewMatrices currentViewMatrices() {
    if (testMatrices) return *testMatrices;
    ViewMatrices view;
    glGetDoublev(GL_MODELVIEW_MATRIX, view.modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, view.projection);
    glGetIntegerv(GL_VIEWPORT, view.viewport);
    return view;
}

void setViewMatricesForTesting(const ViewMatrices* matrices) { testMatrices = matrices; }

ViewMatrices makeViewMatrices(int width, int height, float fovY, Vec3 eye, Vec3 target, Vec3 up) {
    ViewMatrices view;
    view.viewport[0] = 0;
    view.viewport[1] = 0;
    view.viewport[2] = width;
    view.viewport[3] = height;

    // gluPerspective(fovY, aspect, 1, 2048)
    double aspect = height > 0 ? (double)width / height : 1.0;
    double zNear = 1, zFar = 2048;
    double f = 1.0 / std::tan(fovY * 3.14159265358979 / 360.0);
    double* p = view.projection;
    for (int i = 0; i < 16; ++i) p[i] = 0;
    p[0] = f / aspect;
    p[5] = f;
    p[10] = (zFar + zNear) / (zNear - zFar);
    p[11] = -1;
    p[14] = 2 * zFar * zNear / (zNear - zFar);

    // gluLookAt(eye, target, up)
    double fx = target.x - eye.x, fy = target.y - eye.y, fz = target.z - eye.z;
    double fl = std::sqrt(fx * fx + fy * fy + fz * fz);
    if (fl > 0) fx /= fl, fy /= fl, fz /= fl;
    double sx = fy * up.z - fz * up.y, sy = fz * up.x - fx * up.z, sz = fx * up.y - fy * up.x;
    double sl = std::sqrt(sx * sx + sy * sy + sz * sz);
    if (sl > 0) sx /= sl, sy /= sl, sz /= sl;
    double ux = sy * fz - sz * fy, uy = sz * fx - sx * fz, uz = sx * fy - sy * fx;
    double look[16] = {sx, ux, -fx, 0, sy, uy, -fy, 0, sz, uz, -fz, 0, 0, 0, 0, 1};
    double move[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -eye.x, -eye.y, -eye.z, 1};
    multiply(look, move, view.modelview);
    return view;
}

bool pickRay(const ViewMatrices& view, int x, int y, PickRay& ray) {
    double winY = view.viewport[3] - y - 1;
    double nx, ny, nz, fx, fy, fz;
    if (gluUnProject(x, winY, 0.0, view.modelview, view.projection, view.viewport, &nx, &ny, &nz) != GL_TRUE)
        return false;
    if (gluUnProject(x, winY, 1.0, view.modelview, view.projection, view.viewport, &fx, &fy, &fz) != GL_TRUE)
        return false;
    double dx = fx - nx, dy = fy - ny, dz = fz - nz;
    double len = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(len > 0) || !std::isfinite(len)) return false;
    ray.nearPoint = Vec3((float)nx, (float)ny, (float)nz);
    ray.direction = Vec3((float)(dx / len), (float)(dy / len), (float)(dz / len));
    return true;
}

bool rayHitsPlane(const PickRay& ray, const Vec3& normal, const Vec3& point, Vec3& hit) {
    double denominator = (double)normal.x * ray.direction.x + (double)normal.y * ray.direction.y +
                         (double)normal.z * ray.direction.z;
    if (std::fabs(denominator) < 1e-12) return false;
    float d = planeOffset(normal, point);
    float t = rayPlaneParameter(normal, d, ray.nearPoint, ray.direction);
    if (!std::isfinite(t)) return false;
    hit = Vec3(ray.nearPoint.x + ray.direction.x * t, ray.nearPoint.y + ray.direction.y * t,
               ray.nearPoint.z + ray.direction.z * t);
    return true;
}
