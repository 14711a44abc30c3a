#include "seasons/autumn/season_autumn.h"
