// The story of the Autumn scene. Every character that is neither a space nor a newline becomes a leaf.
#include "seasons/autumn/season_autumn.h"

const char* const autumnStory =
    "The first real autumn day arrived on a Tuesday. I walked home the long way, collar up, "
    "hands buried in my pockets, and the air smelled of wet bark and wood smoke.\n"
    "In a narrow alley behind the bakery the wind did something strange. It lifted some leaves "
    "from the cobblestones and spun them in a little ring, round and round, past my shoulders, "
    "as though they were trying to spell a word. I stood still and watched until the wind grew "
    "bored and dropped them.\n"
    "Suddenly I was seven again. On the way to school there were enormous piles of leaves "
    "beneath the chestnut trees, and I kicked through every single one, loud and dry, gold and "
    "scarlet flying over my boots.\n"
    "So I kicked the little heap in the alley too, and laughed.";
