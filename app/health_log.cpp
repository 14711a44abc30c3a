#include "app/health_log.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <unistd.h>
#endif

#include "app/input_session.h"
#include "app/opening_hours.h"
#include "app/season_list.h"
#include "framework/application.h"

namespace {

std::FILE* healthLog = nullptr;

const char* stateName(int state) {
    static const char* const names[] = {"intro", "titles", "menu_appearing", "menu",
                                        "entering_season", "season", "exiting"};
    return state >= 0 && state < 7 ? names[state] : "unknown";
}

}  // namespace

bool healthLogOpen(const std::string& path) {
    healthLogClose();
    healthLog = path == "-" ? stderr : path.empty() ? nullptr : std::fopen(path.c_str(), "a");
    return healthLog != nullptr;
}

bool healthLogActive() { return healthLog != nullptr; }

void healthLogWrite(const char* event, const HealthFigures& f) {
    if (!healthLog) return;
    std::tm now = localTimeNow();
    int state = appStateId();
    bool inSeason = !f.closed && (state == APP_ENTERING_SEASON || state == APP_SEASON);
    std::fprintf(healthLog,
                 "%04d-%02d-%02d %02d:%02d:%02d %s frames=%lld ups=%.1f dropped=%lld rss=%.1fMB state=%s "
                 "season=%s by=%s",
                 now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec, event,
                 f.frames, f.updatesPerSecond, f.dropped, (double)residentMemoryBytes() / (1024.0 * 1024.0),
                 f.closed ? "closed" : stateName(state), inSeason ? seasonName(appChosenSeason()) : "-",
                 sessionVisitorPlaying() ? "visitor" : "person");
    if (f.closed && f.opensAt >= 0) std::fprintf(healthLog, " until=%s", clockText(f.opensAt).c_str());
    std::fputc('\n', healthLog);
    std::fflush(healthLog);
}

void healthLogClose() {
    if (healthLog && healthLog != stderr) std::fclose(healthLog);
    healthLog = nullptr;
}

std::tm localTimeNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
#if defined(_WIN32)
    if (const std::tm* t = std::localtime(&now)) local = *t;  // one thread: the shared result is safe
#else
    localtime_r(&now, &local);
#endif
    return local;
}

size_t residentMemoryBytes() {
#if defined(_WIN32)
    // Looked up, not imported: kernel32 has it from Windows 7 on, and an import would keep the program
    // from starting on an older system.
    using Query = BOOL(WINAPI*)(HANDLE, PROCESS_MEMORY_COUNTERS*, DWORD);
    static Query query =
        (Query)(void*)GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo");
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    return query && query(GetCurrentProcess(), &counters, sizeof counters) ? counters.WorkingSetSize : 0;
#else
    long pages = 0, resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return 0;
    int read = std::fscanf(statm, "%ld %ld", &pages, &resident);
    std::fclose(statm);
    return read == 2 && resident > 0 ? (size_t)resident * (size_t)sysconf(_SC_PAGESIZE) : 0;
#endif
}
