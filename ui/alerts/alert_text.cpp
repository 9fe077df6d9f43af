#include "alert_text.h"

#include <cstdio>
#include <initializer_list>

#include "event_level.h"

namespace {

std::string Counted(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

// The texts that are not empty, joined by separator: a line or name the
// event leaves empty is left out rather than shown blank.
std::string JoinGiven(std::initializer_list<std::string> parts, const char* separator)
{
    std::string joined;
    for (const std::string& part : parts) {
        if (part.empty())
            continue;
        if (!joined.empty())
            joined += separator;
        joined += part;
    }
    return joined;
}

}  // namespace

std::string TrayToolTip(const CUnreadSummary& unread)
{
    std::string text = "Tellvane: " + std::to_string(unread.unread) + " unread";
    if (unread.alarms == 0)
        return text;
    text += ", " + Counted(unread.alarms, "alarm", "alarms");
    const std::string alarm = JoinGiven({unread.alarmDesc, unread.alarmLocking}, ", ");
    if (!alarm.empty())
        text += (unread.alarms == 1 ? ": " : ", the newest: ") + alarm;
    return text;
}

CNoticeText NoticeText(const CArrivals& arrivals)
{
    const CSimpleMessage& rec = arrivals.named;
    CNoticeText notice;
    notice.summary = TypeText(AlertLevel(rec.level)) + ": " + rec.desc;
    notice.body = JoinGiven({rec.lockName, rec.sysName, TimeDateText(rec)}, "\n");
    if (arrivals.count > 1) {
        // One format for the whole line, so the count and its words stay together.
        char more[32];
        std::snprintf(more, sizeof more, "\nand %d more", arrivals.count - 1);
        notice.body += more;
        // The time above is the named event's; when others came after it,
        // the latest of them is told too.
        if (!SameEvent(rec, arrivals.newest))
            notice.body += ", the newest at " + TimeDateText(arrivals.newest);
    }
    return notice;
}
