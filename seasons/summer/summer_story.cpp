// The story of the Summer scene. Every word, full stop and comma becomes a fish.
#include "seasons/summer/season_summer.h"

const char* const summerStory =
    "My grandfather gave me a new net of green mesh on a bamboo pole the summer I turned seven, and I ran "
    "to the shore before breakfast to catch the tiny fish.\n"
    "In the warm shallows they hung like slivers of glass, so still and so near that I could have counted "
    "their fins.\n"
    "Each time I lowered the net they were already somewhere else, a flicker of silver gone between one "
    "breath and the next.\n"
    "I waded after them all morning until the sun stood high overhead and still my net came up holding "
    "nothing but water and light.\n"
    "At last I sat down in the shallows and let them swim. They wrote quick silver lines across the pale "
    "sand and I learned to read them instead.";
