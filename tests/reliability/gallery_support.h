// What the gallery's long runs read of the piece: whether every value of a scene is finite, whether
// its own interaction is going on, and memory figures.
#pragma once

#include <cstddef>
#include <string>

class ASeason;

// An environment variable as a number, or `fallback` when it is unset or not a number.
long long environmentNumber(const char* name, long long fallback);

// The first value of a scene that is not finite, as "what[i]", or an empty string when every
// position, velocity and orientation of what moves, and the camera, is finite.
std::string firstNonFinite(ASeason* scene);

// Whether the scene's own interaction is going on: seeds flying (Spring), the net held (Summer),
// letters flying home (Autumn), the ring grabbed (Winter).
bool sceneInteracting(ASeason* scene);

// Resident memory (/proc/self/statm) and the bytes the heap has handed out and not taken back (the
// allocator's own figure; under AddressSanitizer its count, which leaves out the quarantine).
size_t residentBytes();
size_t liveHeapBytes();

extern const char* const sceneNames[4];
