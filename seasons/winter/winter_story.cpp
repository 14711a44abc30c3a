#include "seasons/winter/season_winter.h"

// A memory of a crayon drawing: a brown tree on black paper under white snow.
const char* const winterStory =
    "When I was about fifteen, our art teacher gave each pupil one sheet of black paper and a box of stubby crayons.\n"
    "Unsure what to draw, I drew the tree I passed every morning on the way to school.\n"
    "I coloured the trunk brown, pressing so hard that the wax started to shine, and let slender branches reach outward.\n"
    "Afterwards, I took the white crayon and laid snow along each branch, thick on the lowest, thinner at the tips.\n"
    "The black paper did all the rest. It became the sky before sunrise, the cold, the hush of the empty streets.\n"
    "Whenever I see snow resting on a tree, I still feel that dark, quiet winter morning, and my own breath.\n"
    "I've lost the drawing, but never the tree.";
