// The Autumn scene (a stand-in until the scene itself lands).
#pragma once

#include "framework/stand_in_season.h"

class SeasonAutumn : public StandInSeason {
public:
    SeasonAutumn() : StandInSeason("Autumn") {}
};
