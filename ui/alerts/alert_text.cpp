#include "alert_text.h"

#include <cstdio>

#include "event_level.h"

namespace {

std::string Counted(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

}  // namespace

std::string TrayToolTip(const CUnreadSummary& unread)
{
    std::string text = "Tellvane: " + std::to_string(unread.unread) + " unread";
    if (unread.alarms > 0)
        text += ", " + Counted(unread.alarms, "alarm", "alarms");
    return text;
}

CNoticeText NoticeText(const CArrivals& arrivals)
{
    const CSimpleMessage& rec = arrivals.newest;
    CNoticeText notice;
    notice.summary = TypeText(AlertLevel(rec.level)) + ": " + rec.desc;
    // Lines the event leaves empty are left out rather than shown blank.
    for (const std::string& line : {rec.lockName, rec.sysName, rec.time + " " + rec.date}) {
        if (line.empty())
            continue;
        if (!notice.body.empty())
            notice.body += '\n';
        notice.body += line;
    }
    if (arrivals.count > 1) {
        // One format for the whole line, so the count and its words stay together.
        char more[32];
        std::snprintf(more, sizeof more, "\nand %d more", arrivals.count - 1);
        notice.body += more;
    }
    return notice;
}
