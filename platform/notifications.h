// Desktop notifications: a short note on the desktop per new event, with a
// default action that brings the program forward on that event. The
// freedesktop notification service over the session bus on Linux; on
// Windows the tray icon's messages, which Windows 10 and 11 show as
// notifications.
#pragma once

#include <memory>

#include <QObject>
#include <QString>

enum class NoticeUrgency { kLow = 0, kNormal = 1, kCritical = 2 };

struct CDesktopNotice {
    QString summary;
    QString body;  // plain text; lines separated by '\n'
    NoticeUrgency urgency = NoticeUrgency::kNormal;
    quint64 key = 0;  // handed back by Activated
};

class QSystemTrayIcon;

class CDesktopNotifier : public QObject {
    Q_OBJECT

public:
    // Connects to the user's session bus, if there is one; without it, or
    // without a notification service on it, Notify does nothing, silently.
    // On Windows the notices are tray's messages, and nothing without it.
    explicit CDesktopNotifier(QObject* parent = nullptr, QSystemTrayIcon* tray = nullptr);
    ~CDesktopNotifier() override;

    // Never waits for the service.
    void Notify(const CDesktopNotice& notice);
    // Withdraws the notice with this key, also one whose service has not
    // yet answered; one already gone is left alone.
    void Close(quint64 key);

signals:
    // The user chose the notice's default action ("Show"), or clicked the
    // tray's message, which is always the newest notice's.
    void Activated(quint64 key);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void Track(uint id, quint64 key);
    void CloseId(uint id);

    struct CImpl;
    std::unique_ptr<CImpl> m_pImpl;
};
