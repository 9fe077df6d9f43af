// The navigator: Tellvane's main window. It shows one stored event at a
// time, steps through the store, marks events read, opens the Monitor and
// the Options, and makes new events noticed. Its whole life is the program's.
#pragma once

#include <memory>
#include <string>

#include <QDialog>
#include <QEvent>
#include <QPixmap>
#include <QRect>

#include "agent_lifecycle.h"
#include "simple_message.h"

class CAlerts;
class CHistoryDlg;
class CMonitorDlg;
class QEventLoop;
class QAction;
class QLineEdit;
class QSessionManager;
namespace Ui {
class CNavigatorDlg;
}

// Where the navigator stood at start-up; a new arrival with gPop set puts
// it back there.
extern QRect g_WndPlacement;

// The window's timer: the view, the banner and the unread count.
enum : int { kTimerRefresh = 1 };

class CNavigatorDlg : public QDialog, private CAgentWindow {
    Q_OBJECT

public:
    explicit CNavigatorDlg(QWidget* parent = nullptr);
    ~CNavigatorDlg() override;

    // The start-up sequence. False when start-up was refused (another
    // instance runs); the dialog must then not be shown.
    bool OnInitDialog();
    // Start-up, then the modal loop; returns when the navigator has ended.
    int DoModal();

    // Transfers between the controls and the members: in (true) or out.
    void DoDataExchange(bool saveAndValidate);
    void RefreshView();
    // One timer tick by id.
    void OnTimer(int id);

    // The exit procedure after a confirmed question, or straight away when
    // the session ends or a termination signal arrives.
    void OnExit();
    void ExitWithoutAsking();
    // 1 after a refused start or a failed save at exit, else 0.
    int ExitStatus() const { return m_Lifecycle.ExitStatus(); }

    CSimpleMessage m_Shown;
    int m_nCurrent = 0;
    int m_nTotal = 0;
    int m_bRead = 0;
    // The fields' texts as the user reads them, in UTF-8; m_Shown keeps the
    // record's own bytes.
    std::string m_strTimeDate, m_strGroupId, m_strLocking, m_strMemberId, m_strName, m_strMessage,
        m_strLockingSystem;
    CMonitorDlg* m_pMonitor = nullptr;
    CAlerts* m_pAlerts = nullptr;
    CHistoryDlg* m_pHistory = nullptr;  // made on first use, one for the run

public slots:
    void OnNext();
    void OnPrevious();
    void OnFirst();
    void OnLast();
    void OnRead();
    void OnAllRead();
    void OnFileSave();
    void OnMonitor();
    void OnOptions();
    void OnAlerts();
    void OnHistory();
    // Restores and raises the window (the tray, a notification).
    void ShowNavigator();
    // Shows rec, if it is still stored, in the window brought forward.
    void OnShowEvent(const CSimpleMessage& rec);

public:
    void accept() override;  // OnOK
    void reject() override;  // OnCancel

protected:
    void timerEvent(QTimerEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    // What start-up and exit need of the window.
    void PrepareWindow() override;
    void Report(std::string_view text) override;
    CSimpleMessage& ShownRecord() override { return m_Shown; }
    void StartTimers() override;
    void StopTimers() override;
    CTimerPeriods TimerPeriods() const override;
    void StartAlerts() override;
    void CloseWindow() override;
    void ShowEndpointNotice(std::string_view notice) override;
    void ShowArchiveNotice(std::string_view notice) override;

    void CreateControls();
    void ShowNotices();
    void AddAboutEntry();
    void OnCommitData(QSessionManager& manager);
    void HandOver();
    void ShowShownRecord();
    bool ViewMatchesShown() const;
    void WriteBackReadBox();
    void Navigate(int slot);
    void BlinkBanner();
    void RefillMonitor();
    void DeleteMonitor();
    void OnSysCommand(int id);
    void ConnectAlerts();
    void AddAlertsEntry();
    void ShowLevel();

    std::unique_ptr<Ui::CNavigatorDlg> m_ui;
    // Declared after the controls it reaches through CAgentWindow, so that
    // it, and the intake it runs, end first.
    CAgentLifecycle m_Lifecycle{*this};
    QList<QLineEdit*> m_textEdits;
    QPixmap m_pBitmaps[2];
    int m_nTimer1 = 0;
    QEventLoop* m_pModalLoop = nullptr;
    QString m_strCaption;  // the title without the notices
    QString m_strEndpointNotice;
    QString m_strArchiveNotice;
};
