// The texts of the alerts: the tray icon's tooltip and a notification.
// Byte texts in the records' 8-bit encoding, like every event text.
#pragma once

#include <string>

#include "alert_level.h"

// "Tellvane: 3 unread, 1 alarm: Glass break sensor, Door 40 Vault"; the
// alarms, and the newest of them, only when there are any.
std::string TrayToolTip(const CUnreadSummary& unread);

struct CNoticeText {
    std::string summary;  // "Alarm: Glass break sensor"
    // Locking, locking system, time and date of that event; "and N more",
    // with the newest arrival's time when it is another event.
    std::string body;
};

// The notification of a hand-over: it names arrivals.named.
CNoticeText NoticeText(const CArrivals& arrivals);
