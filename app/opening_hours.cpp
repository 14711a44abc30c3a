#include "app/opening_hours.h"

#include <cstdio>

namespace {

const int kMinutesPerDay = 24 * 60;

// "H:MM" or "HH:MM", 00:00 to 23:59, and 24:00 where `midnightAllowed`; advances `p` past it.
bool parseClock(const char*& p, bool midnightAllowed, int& minute) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(p[0])) return false;
    int hours = p[0] - '0';
    int used = 1;
    if (digit(p[1])) hours = hours * 10 + (p[used++] - '0');
    if (p[used] != ':' || !digit(p[used + 1]) || !digit(p[used + 2])) return false;
    int minutes = (p[used + 1] - '0') * 10 + (p[used + 2] - '0');
    if (minutes > 59 || hours > 24 || (hours == 24 && (minutes != 0 || !midnightAllowed))) return false;
    minute = hours * 60 + minutes;
    p += used + 3;
    return true;
}

}  // namespace

bool parseOpeningHours(const std::string& text, OpeningHours& out, std::string& error) {
    OpeningHours hours;
    const char* p = text.c_str();
    for (;;) {
        OpeningHours::Range range{0, 0};
        bool ok = parseClock(p, false, range.from) && *p++ == '-' && parseClock(p, true, range.to) &&
                  (*p == ',' || *p == '\0');
        if (!ok) {
            error = "--hours takes HH:MM-HH:MM, several separated by commas, not '" + text + "'";
            return false;
        }
        bool wholeDay = range.from == 0 && range.to == kMinutesPerDay;
        if (!wholeDay && range.from == range.to % kMinutesPerDay) {
            error = "--hours: " + clockText(range.from) + "-" + clockText(range.to) +
                    " opens and closes at the same time (00:00-24:00 is the whole day)";
            return false;
        }
        hours.ranges.push_back(range);
        if (*p++ == '\0') break;
    }
    out = hours;
    return true;
}

bool openAt(const OpeningHours& hours, int minute) {
    if (hours.ranges.empty()) return true;
    for (const OpeningHours::Range& r : hours.ranges) {
        bool open = r.from < r.to ? minute >= r.from && minute < r.to : minute >= r.from || minute < r.to;
        if (open) return true;
    }
    return false;
}

int minutesUntilChange(const OpeningHours& hours, int minute) {
    bool now = openAt(hours, minute);
    for (int ahead = 1; ahead <= kMinutesPerDay; ++ahead)
        if (openAt(hours, (minute + ahead) % kMinutesPerDay) != now) return ahead;
    return -1;
}

std::string clockText(int minute) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", (minute / 60) % 100, minute % 60);
    return text;
}
