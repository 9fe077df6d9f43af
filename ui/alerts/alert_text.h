// The texts of the alerts: the tray icon's tooltip and a notification.
// Byte texts in the records' 8-bit encoding, like every event text.
#pragma once

#include <string>

#include "alert_level.h"

// "Tellvane: 3 unread, 1 alarm"; the alarms only when there are any.
std::string TrayToolTip(const CUnreadSummary& unread);

struct CNoticeText {
    std::string summary;  // "Alarm: Manipulation detected"
    std::string body;     // locking, locking system, time and date; "and N more"
};

CNoticeText NoticeText(const CArrivals& arrivals);
