// What narrows the History list: a plain value the window fills from its
// fields and hands to a worker thread. Any thread may use it; it shares
// nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The levels the list admits, one bit per level box.
enum : unsigned {
    kHistoryMessages = 1u << 0,
    kHistoryWarnings = 1u << 1,
    kHistoryAlarms = 1u << 2,
    kHistoryAllLevels = kHistoryMessages | kHistoryWarnings | kHistoryAlarms,
};

enum class EHistorySortKey { EventTime, Arrival };

struct CHistoryFilter {
    // Event time, seconds since 1970 UTC, both ends included; no value is
    // no bound. A text refused for having no event time (event time 0) is
    // admitted by its arrival time instead, when refused texts are shown.
    std::optional<int64_t> m_nFrom;
    std::optional<int64_t> m_nTo;
    // With all three boxes ticked the level is no condition, so that an
    // event of a level outside 0..2 is listed too; otherwise only the
    // ticked levels are.
    unsigned m_nLevels = kHistoryAllLevels;
    // Full-text words and "quoted phrases" (see fts_query.h).
    std::string m_strSearch;
    // Substrings of the locking and the transponder name; case-insensitive
    // for ASCII letters; % and _ are plain characters.
    std::string m_strLockingContains;
    std::string m_strTransponderContains;
    // Also the texts the store refused (status other than 0).
    bool m_bIncludeRefused = false;
    EHistorySortKey m_eSortKey = EHistorySortKey::EventTime;
    bool m_bNewestFirst = true;
};

// The filter as the queries read it: a From later than To swapped.
CHistoryFilter NormalizedFilter(CHistoryFilter filter);
