#include "alert_level.h"

#include <algorithm>

#include "event_store.h"

namespace {

constexpr CTone kAlarmTone{900, 500};

}  // namespace

CUnreadSummary SummarizeUnread()
{
    CUnreadSummary summary;
    for (int slot = 0; slot <= max_used_item; ++slot) {
        const CSimpleMessage& rec = g_Array[slot];
        if (rec.read != 0)
            continue;
        const int level = AlertLevel(rec.level);
        ++summary.unread;
        summary.alarms += level == kLevelAlarm ? 1 : 0;
        summary.highestLevel = std::max(summary.highestLevel, level);
    }
    return summary;
}

CArrivals SummarizeArrivals()
{
    CArrivals arrivals;
    if (new_arrived <= 0 || !IsStoredSlot(max_used_item))
        return arrivals;
    arrivals.newest = g_Array[max_used_item];
    arrivals.count = new_arrived;
    for (int slot = std::max(0, max_used_item - new_arrived + 1); slot <= max_used_item; ++slot)
        arrivals.highestLevel = std::max(arrivals.highestLevel, AlertLevel(g_Array[slot].level));
    return arrivals;
}

CToneSequence LevelTones(int level, bool perLevel)
{
    if (!perLevel || level <= kLevelMessage)
        return {kBeepTone};
    if (level == kLevelWarning)
        return {kBeepTone, kBeepTone};
    return {kAlarmTone, kAlarmTone, kAlarmTone};
}
