#include "seasons/summer/season_summer.h"
