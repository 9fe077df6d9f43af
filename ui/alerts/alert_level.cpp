#include "alert_level.h"

#include <algorithm>

#include "event_store.h"

namespace {

constexpr CTone kAlarmTone{900, 500};

}  // namespace

CUnreadSummary SummarizeUnread()
{
    CUnreadSummary summary;
    int newestAlarm = -1;
    for (int slot = 0; slot <= max_used_item; ++slot) {
        const CSimpleMessage& rec = g_Array[slot];
        if (rec.read != 0)
            continue;
        const int level = AlertLevel(rec.level);
        ++summary.unread;
        if (level == kLevelAlarm) {
            ++summary.alarms;
            newestAlarm = slot;
        }
        summary.highestLevel = std::max(summary.highestLevel, level);
    }
    if (newestAlarm >= 0) {
        summary.alarmDesc = g_Array[newestAlarm].desc;
        summary.alarmLocking = g_Array[newestAlarm].lockName;
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
    arrivals.firstSlot = std::max(0, max_used_item - new_arrived + 1);
    int named = max_used_item;
    for (int slot = arrivals.firstSlot; slot <= max_used_item; ++slot) {
        const int level = AlertLevel(g_Array[slot].level);
        if (level >= arrivals.highestLevel) {
            arrivals.highestLevel = level;
            named = slot;
        }
    }
    arrivals.named = g_Array[named];
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
