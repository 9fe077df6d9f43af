// The nine values that decide what the Monitor lists, as one value so the
// list logic can be run on any combination without touching the process-wide
// working copies.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

struct CMonitorSettings {
    int32_t list = 0;   // 0 all, 1 last per locking, 2 last per transponder,
                        // 3 last per transponder per locking
    int32_t warn = 0;   // 0 every level, otherwise level + 1
    std::string lockStr;
    std::string trnsStr;
    std::string descStr;
    std::string date;   // "YYYY.MM.DD" or empty
    std::string time1;  // "HH:MM:SS" or empty (switches the interval off)
    std::string time2;
    int32_t today = 1;  // only events dated today
};

// Today's local date as "%Y.%m.%d". A parameter wherever it is used, so that
// tests can pin the day.
using TodayFn = std::function<std::string()>;

// The machine's clock.
std::string LocalToday();
