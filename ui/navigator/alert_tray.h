// The tray icon: the program icon marked with the highest level among the
// unread events, a tooltip that counts them, and a menu to reach the
// navigator. Where the desktop has no tray it is simply not shown.
#pragma once

#include <array>
#include <memory>

#include <QIcon>
#include <QObject>

#include "alert_level.h"

class QMenu;
class QSystemTrayIcon;

class CAlertTray : public QObject {
    Q_OBJECT

public:
    CAlertTray(const QIcon& programIcon, QObject* parent);
    ~CAlertTray() override;

    // Shows the unread events; the icon appears once a tray is there.
    void Update(const CUnreadSummary& unread);
    // At exit: the icon goes at once, not at the end of the process.
    void Hide();

    // Where notifications appear on Windows.
    QSystemTrayIcon* Icon() const { return m_pIcon; }
    QString ToolTip() const;
    int Level() const { return m_nLevel; }
    bool IsShown() const;

signals:
    void showRequested();
    void monitorRequested();
    void historyRequested();
    void allReadRequested();
    void exitRequested();

private:
    void CreateMenu();

    std::array<QIcon, 4> m_icons;  // unmarked, then marked by level 0..2
    std::unique_ptr<QMenu> m_pMenu;
    QSystemTrayIcon* m_pIcon = nullptr;
    int m_nLevel = kNoLevel;
    bool m_bHidden = false;
};
