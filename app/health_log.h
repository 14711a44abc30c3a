// The health log of a piece left running where it is shown (--log FILE). Appended to, never truncated;
// one line a minute, one at start and at stop, and one whenever the piece opens or closes, changes
// state, or passes between the gallery's built-in visitor and a person:
//
//   2026-12-07 21:31:00 minute frames=3600 ups=60.0 dropped=0 rss=96.4MB state=season season=spring by=visitor
//
// local date and time; what happened (start, minute, state, closed, open, stop); frames drawn since
// start; updates a second and frames dropped over the last whole minute (nothing counts while closed);
// resident memory; the application's state ("closed" outside the opening hours) and the season on
// show ("-" on none); who has the piece ("visitor" while the built-in visitor plays, else "person");
// while closed, when the hours begin again ("until=09:00").
#pragma once

#include <cstddef>
#include <ctime>
#include <string>

struct HealthFigures {
    long long frames = 0;
    double updatesPerSecond = 0;
    long long dropped = 0;
    bool closed = false;
    int opensAt = -1;  // while closed, the minute of the day the hours begin again (-1: never)
};

// Opens `path` for appending ("-": standard error, which a service's journal keeps); false when it
// cannot be written. Replaces a log already open.
bool healthLogOpen(const std::string& path);
bool healthLogActive();
// Writes one line, read from the application and the session as they are now, and flushes it.
void healthLogWrite(const char* event, const HealthFigures& figures);
void healthLogClose();

// The local time now, and the resident memory of this process in bytes (0 where it cannot be read).
std::tm localTimeNow();
size_t residentMemoryBytes();
