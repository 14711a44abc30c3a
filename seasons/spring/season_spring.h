// The Spring scene (a stand-in until the scene itself lands).
#pragma once

#include "framework/stand_in_season.h"

class SeasonSpring : public StandInSeason {
public:
    SeasonSpring() : StandInSeason("Spring") {}
};
