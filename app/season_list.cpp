#include "app/season_list.h"

#include <iterator>

#include "seasons/autumn/season_autumn.h"
#include "seasons/spring/season_spring.h"
#include "seasons/summer/season_summer.h"
#include "seasons/winter/season_winter.h"

namespace {

template <class Season>
std::unique_ptr<ASeason> make() {
    return std::unique_ptr<ASeason>(new Season());
}

struct SeasonEntry {
    const char* name;  // in the health log
    SeasonMaker make;
};

// The menu's order.
const SeasonEntry kSeasons[] = {
    {"spring", make<SeasonSpring>},
    {"summer", make<SeasonSummer>},
    {"autumn", make<SeasonAutumn>},
    {"winter", make<SeasonWinter>},
};
const int kSeasonCount = (int)std::size(kSeasons);

}  // namespace

const std::vector<SeasonMaker>& seasonList() {
    static const std::vector<SeasonMaker> seasons = [] {
        std::vector<SeasonMaker> makers;
        for (const SeasonEntry& entry : kSeasons) makers.push_back(entry.make);
        return makers;
    }();
    return seasons;
}

const char* seasonName(int index) { return index >= 0 && index < kSeasonCount ? kSeasons[index].name : "-"; }
