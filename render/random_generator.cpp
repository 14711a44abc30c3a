#include "render/random_generator.h"

namespace {

// 32-bit unsigned arithmetic: the modulo 2^32 of the generator comes from the wraparound.
unsigned int generatorState = 1;

}  // namespace

int randomNext() {
    generatorState = generatorState * 214013u + 2531011u;
    return static_cast<int>((generatorState >> 16) & 32767u);
}

float randomFraction() {
    return static_cast<float>(randomNext() * (1.0 / 32768.0));
}

void randomReset(unsigned int state) {
    generatorState = state;
}

unsigned int randomState() {
    return generatorState;
}
