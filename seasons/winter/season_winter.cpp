#include "seasons/winter/season_winter.h"
