#include "app/season_list.h"

#include "seasons/autumn/season_autumn.h"
#include "seasons/spring/season_spring.h"
#include "seasons/summer/season_summer.h"
#include "seasons/winter/season_winter.h"

namespace {
template <class Season>
std::unique_ptr<ASeason> make() {
    return std::unique_ptr<ASeason>(new Season());
}
}  // namespace

const std::vector<SeasonMaker>& seasonList() {
    static const std::vector<SeasonMaker> seasons = {make<SeasonSpring>, make<SeasonSummer>, make<SeasonAutumn>,
                                                     make<SeasonWinter>};
    return seasons;
}

const char* seasonName(int index) {
    static const char* const names[] = {"spring", "summer", "autumn", "winter"};
    return index >= 0 && index < 4 && index < (int)seasonList().size() ? names[index] : "-";
}
