#include "seasons/spring/season_spring.h"

// Four lines, one sentence each; every line ends with a full stop so that its last word and the next
// line's first word grow as two plants.
const char* const springStory =
    "When I was small I thought the yellow heads in the grass were little suns that had "
    "fallen down to warm the ground, and I loved them more than any rose.\n"
    "Then one morning they turned white and soft, and my grandmother showed me how to hold a "
    "stem close to my lips and blow until the seeds let go.\n"
    "I watched them sail over the garden fence like silver umbrellas, carrying my wishes to "
    "places I would never see.\n"
    "Now I'm grown, but I still can't pass a meadow full of them without stopping to blow one "
    "clock bare and scatter its seeds away on the breeze.";
