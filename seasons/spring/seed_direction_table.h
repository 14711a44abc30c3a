// For every head size from 1 to 30 letters, that many unit vectors spread nearly evenly over the
// sphere: where the letters of a ripe dandelion head point. List k holds k + 1 vectors.
#pragma once

#include <vector>

#include "render/vector_math.h"

class SeedDirectionTable {
public:
    std::vector<std::vector<Vec3>> lists;
    int count = 30;

    // Builds the lists from the constant table, then negates every vector's y.
    SeedDirectionTable();

    // The list for a head of n letters (list n - 1). Heads larger than the table share its last list;
    // nullptr for n < 1.
    const std::vector<Vec3>* listFor(int n) const;
};
