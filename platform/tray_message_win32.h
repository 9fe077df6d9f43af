// How a notice reaches the tray on Windows: through the icon's own message,
// which Windows 10 and 11 show as a notification. Tests put a recorder here.
#pragma once

#include <functional>

#include <QString>
#include <QSystemTrayIcon>

// Windows keeps no more of a tray message's title and text.
inline constexpr qsizetype kTrayTitleLimit = 63;
inline constexpr qsizetype kTrayTextLimit = 255;

using ShowTrayMessageFn =
    std::function<void(QSystemTrayIcon& tray, const QString& title, const QString& text, QSystemTrayIcon::MessageIcon)>;
extern ShowTrayMessageFn g_ShowTrayMessage;  // by default QSystemTrayIcon::showMessage
