// The scenes the program is made of, in menu order. A new season is one more line in season_list.cpp
// and a folder of its own under seasons/; the framework takes whatever this list holds.
#pragma once

#include <vector>

#include "framework/application.h"

const std::vector<SeasonMaker>& seasonList();
// The name of the season at `index` in that list, in lower case ("spring"); "-" outside it.
const char* seasonName(int index);
