// The hours an exhibition keeps (--hours 09:00-18:00): one or more ranges of the local day, separated
// by commas ("10:00-13:00,14:00-19:00"). A range that ends earlier than it begins crosses midnight
// ("20:00-02:00"); 24:00 may end a range. Times are minutes of the day, 0 to 1439. No clock here: the
// caller says what minute it is.
#pragma once

#include <string>
#include <vector>

struct OpeningHours {
    struct Range {
        int from, to;  // minutes of the day; open from `from` up to, not including, `to` (1440: midnight)
    };
    std::vector<Range> ranges;  // none: always open
};

// Fills `out` from `text`; on a mistake returns false with a one-line `error`.
bool parseOpeningHours(const std::string& text, OpeningHours& out, std::string& error);

bool openAt(const OpeningHours& hours, int minuteOfDay);
// Minutes from `minuteOfDay` until the piece opens or closes next; -1 when it never does.
int minutesUntilChange(const OpeningHours& hours, int minuteOfDay);

// "HH:MM" of a minute of the day.
std::string clockText(int minuteOfDay);
