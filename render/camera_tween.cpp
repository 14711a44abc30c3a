#include "render/camera_tween.h"

#include <cmath>

const float* CameraTween::at(float t) {
    const double f = (1.0 - std::cos(3.14159265358979323846 * t)) / 2.0;
    return atEased(static_cast<float>(f));
}

const float* CameraTween::atEased(float f) {
    // Without both end points there is nothing to ease; the outputs keep their values.
    if (from == nullptr || to == nullptr) return out;
    const int n = (count >= 0 && count <= 3) ? count : 3;
    for (int i = 0; i < n; ++i) {
        out[i] = static_cast<float>(from[i] + (double(to[i]) - from[i]) * f);
    }
    return out;
}
