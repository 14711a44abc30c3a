// Three channels eased from `from` to `to`: the camera swing of every scene (pitch, yaw, distance).
#pragma once

struct CameraTween {
    int count = 3;
    const float* from = nullptr;
    const float* to = nullptr;
    float out[3] = {0, 0, 0};

    CameraTween(const float* from, const float* to) : from(from), to(to) {}
    // Eased fraction (1 - cos(pi t)) / 2 of t in [0, 1]; fills and returns `out`.
    const float* at(float t);
    // out[i] = from[i] + (to[i] - from[i]) * f for an already eased fraction f.
    const float* atEased(float f);
};
