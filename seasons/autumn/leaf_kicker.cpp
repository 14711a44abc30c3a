#include "seasons/autumn/leaf_kicker.h"

#include <cmath>

#include "render/random_generator.h"
#include "seasons/autumn/leaf_body.h"

namespace {
// Nearer than this the push no longer grows: a letter exactly under the pointer gets a large but
// finite kick instead of a division by zero.
const double nearestKick = 1e-3;
}  // namespace

LeafKicker::LeafKicker(float r) : radius(r) {}

void LeafKicker::push(LeafBody* bodies, int count) {
    for (int i = 0; i < count; ++i) {
        LeafBody& body = bodies[i];
        offset = centre - body.position;
        double dist = offset.length();
        double s = 1.5 / (dist > nearestKick ? dist : nearestKick);
        if (body.onGround && dist < radius) {
            float kx = randomFraction() * 6.0f - 3.0f;
            body.spin.x += kx;
            float ky = randomFraction() * 6.0f - 3.0f;
            body.spin.y += ky;
            float kz = randomFraction() * 6.0f - 3.0f;
            body.spin.z += kz;
            offset.y -= body.halfSize;
        }
        // Away from the centre with size 4.5 / distance; with no offset at all there is no direction,
        // and no push.
        double length = std::sqrt((double)offset.x * offset.x + (double)offset.y * offset.y +
                                  (double)offset.z * offset.z);
        Vec3 force;
        if (length > 0) {
            double k = s * 3.0 / length;
            force.set((float)(-offset.x * k), (float)(-offset.y * k), (float)(-offset.z * k));
        }
        body.addForce(force);
    }
}
