// The program's one random generator: a 15-bit linear congruential generator whose state starts at 1
// and is never reseeded by the program, so every run draws the same sequence.
#pragma once

// Next value in 0..32767.
int randomNext();
// Next value as a fraction in [0, 1): randomNext() / 32768.
float randomFraction();
// Tests and soak runs only: put the generator back to its starting state (or another state).
void randomReset(unsigned int state = 1);
unsigned int randomState();
