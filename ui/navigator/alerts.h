// The alerts beyond the navigator's own reaction: the sound of each level,
// a desktop notification per hand-over, the tray icon and the alarm sound
// repeated while an alarm is unread. The navigator tells it what happened;
// it asks the navigator, through its signals, to come forward.
#pragma once

#include <QObject>
#include <QTimer>

#include "alert_level.h"
#include "announced_events.h"
#include "simple_message.h"

class CAlertTray;
class CDesktopNotifier;
class QWidget;

class CAlerts : public QObject {
    Q_OBJECT

public:
    // window is the navigator: the tray shows its icon.
    explicit CAlerts(QWidget* window);
    ~CAlerts() override;

    // Once start-up has loaded the store: the tray icon and the
    // notifications begin.
    void Start();
    // At exit: the tray icon goes and nothing sounds again.
    void Stop();

    // A hand-over of new events, before the store forgets which are new.
    void OnArrivals();
    // Read flags or the store may have changed.
    void UpdateUnread();
    // The user stepped the navigator onto the event in slot: it counts as
    // dealt with for the notification that announced it.
    void OnStepped(int slot);
    // Runs the Alerts dialog and applies and stores what it changed.
    void OnAlertsDialog();

    CAlertTray* Tray() const { return m_pTray; }

signals:
    void showRequested();
    void monitorRequested();
    void historyRequested();
    void allReadRequested();
    void exitRequested();
    // A notification's "Show": the event it named.
    void eventRequested(const CSimpleMessage& rec);

private:
    void Sound(int level);
    void Notify(const CArrivals& arrivals);
    void OnNoticeActivated(quint64 key);
    void WithdrawSettled();
    void OnRepeat();
    int RepeatIntervalMs() const;

    QWidget* m_pWindow;
    CAlertTray* m_pTray = nullptr;
    CDesktopNotifier* m_pNotifier = nullptr;
    QTimer m_repeat;
    // What each notification named and announced, by key.
    CAnnouncedEvents m_announced;
    quint64 m_nLastKey = 0;
    bool m_bStopped = false;
};
