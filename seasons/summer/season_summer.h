// The Summer scene (a stand-in until the scene itself lands).
#pragma once

#include "framework/stand_in_season.h"

class SeasonSummer : public StandInSeason {
public:
    SeasonSummer() : StandInSeason("Summer") {}
};
