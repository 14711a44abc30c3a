// The Winter scene (a stand-in until the scene itself lands).
#pragma once

#include "framework/stand_in_season.h"

class SeasonWinter : public StandInSeason {
public:
    SeasonWinter() : StandInSeason("Winter") {}
};
