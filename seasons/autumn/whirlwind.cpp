#include "seasons/autumn/whirlwind.h"

#include <cmath>

namespace {

const double pi = 3.1415926535897;

// (x, y, z) scaled to `length`; a vector with no length has no direction and gives none.
Vec3 scaledTo(double x, double y, double z, double length) {
    double own = std::sqrt(x * x + y * y + z * z);
    if (!(own > 0) || !std::isfinite(length)) return Vec3();
    double k = length / own;
    return Vec3((float)(x * k), (float)(y * k), (float)(z * k));
}

}  // namespace

Whirlwind::Whirlwind(const Vec3& c) : centre(c) {}

const Vec3& Whirlwind::forceAt(const Vec3& p) {
    rel.set(p.x - centre.x, p.y, p.z - centre.z);
    y = p.y;
    double h = (double)p.y / height;
    coreRadius = (float)(coreRadiusBase + coreRadiusGrowth * h * (1.0 - 0.5 * std::cos(pi * h)));
    innerRadius = (float)(innerRadiusBase + innerRadiusGrowth * h);
    outerRadius = (float)(outerRadiusBase + outerRadiusGrowth * h);
    double r = std::sqrt((double)rel.x * rel.x + (double)rel.z * rel.z);

    if (p.y < height) {
        if (r > outerRadius) {
            // Outside: pulled toward the foot, harder the nearer the core.
            double gap = r - coreRadius;
            force = gap != 0 ? scaledTo(-rel.x, -rel.y, -rel.z, 60.0 / gap * strength) : Vec3();
        } else if (r < innerRadius) {
            // The eye: the length comes out negative, so the push is outward and upward.
            double gap = r - coreRadius;
            force = gap != 0 ? scaledTo(-rel.x, -rel.y, -rel.z, 1.0 / gap * strength) : Vec3();
        } else if (r > 0) {
            // The swirl band: toward the core circle at this height, a little ahead and upward.
            double a = std::atan2((double)rel.z, (double)rel.x) + turn / (20.0 * r);
            double tx = std::cos(a) * coreRadius;
            double ty = (double)rel.y + 0.11;
            double tz = std::sin(a) * coreRadius;
            force = scaledTo(tx - rel.x, ty - rel.y, tz - rel.z, 0.4);
        } else {
            // On the axis itself the band has no direction round it: the air there only rises.
            force.set(0, 0.4f, 0);
        }
    } else {
        // At or above the top there is no whirlwind, inside the outer radius as well as outside it:
        // the result never depends on the point evaluated before.
        force.clear();
    }
    return force;
}
