// What the reliability tests and the long runs (bench/soak.cpp) share: their random input, a frame of
// gallery mode, and what they read of the piece: whether every value of a scene is finite and whether
// its own interaction is going on.
#pragma once

#include <string>

class ASeason;
class HeadlessRun;

// The runs' own random generator (never the program's, which starts alike in every run).
struct Dice {
    unsigned long long s;
    int below(int n) {
        s = s * 6364136223846793005ull + 1442695040888963407ull;
        return (int)((s >> 33) % (unsigned long long)n);
    }
};

// Starts gallery mode at w x h: an empty string, or what went wrong.
std::string startGallery(int w, int h);

// One frame of the program: the session (and so the gallery) before the update, then the frame.
void galleryFrame(HeadlessRun& run, bool draw);

// The first value of a scene that is not finite, as "what[i]", or an empty string when every
// position, velocity and orientation of what moves, and the camera, is finite.
std::string firstNonFinite(ASeason* scene);

// Whether the scene's own interaction is going on: seeds flying (Spring), the net held (Summer),
// letters flying home (Autumn), the ring grabbed (Winter).
bool sceneInteracting(ASeason* scene);

extern const char* const sceneNames[4];
