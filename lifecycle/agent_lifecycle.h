// Start-up and exit of the agent. The order of the steps lives here, apart
// from the window: everything between the process starting and the first
// event being taken in, and everything between the decision to leave and
// the end. The window supplies what only it can do through CAgentWindow.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include <QObject>

#include "archive_link.h"
#include "event_file.h"
#include "instance_lock.h"
#include "journal_entries.h"
#include "simple_message.h"
#include "site_log.h"
#include "timer_periods.h"

// What start-up and exit need of the main window.
class CAgentWindow {
public:
    virtual ~CAgentWindow() = default;

    // The window's own start-up steps: the About entry, the icon, the banner
    // images, the start-up placement.
    virtual void PrepareWindow() = 0;
    // A message the user must see; on the unattended exit path it must not
    // wait for anyone.
    virtual void Report(std::string_view text) = 0;
    // The record the window shows; loading the data file sets it.
    virtual CSimpleMessage& ShownRecord() = 0;
    // The window's own timers; the agent runs the drain and the save.
    virtual void StartTimers() = 0;
    virtual void StopTimers() = 0;
    virtual CTimerPeriods TimerPeriods() const { return {}; }
    // The desktop alerts (tray icon, notifications), once the store is loaded.
    virtual void StartAlerts() {}
    // Frees what the window owns (Monitor, banner images) and ends its loop.
    virtual void CloseWindow() = 0;
    // Shows, where the user looks, that no events are being received and
    // why; an empty notice clears it.
    virtual void ShowEndpointNotice(std::string_view /*notice*/) {}
    // Shows, beside the endpoint's notice, what the user should know of the
    // event archive: that it is failing and why, or what start-up recovered
    // from it; an empty notice clears it.
    virtual void ShowArchiveNotice(std::string_view /*notice*/) {}
};

// How the program is being left.
enum class ExitPath {
    kConfirmed,   // the user answered the exit question with Yes
    kUnattended,  // a termination signal or the end of the session: nobody waits at the screen
};

class CAgentLifecycle : public QObject {
    Q_OBJECT

public:
    explicit CAgentLifecycle(CAgentWindow& window, QObject* parent = nullptr);
    ~CAgentLifecycle() override;

    // The start-up sequence. False when start-up was refused (another
    // instance runs): then nothing is read, loaded or started.
    bool Start();

    // Stops intake, stores what was answered, saves and closes the window.
    // Runs once; later calls do nothing.
    void Exit(ExitPath path);

    // A signal or the session's end. Before start-up has loaded the store a
    // save would overwrite the data file with an empty store, so the exit
    // then waits until start-up is done; a refused start never saves.
    void ExitUnattended();

    bool HasEnded() const { return m_bEnded; }
    // The process's exit status: 1 after a refused start or a failed save
    // at exit, 0 otherwise.
    int ExitStatus() const { return m_nExitStatus; }

    // Saves the store now (timer, File/Save); a failure also goes to the
    // site's log.
    FileOutcome Save();
    // The same, and a failure is reported to the user through the window.
    void SaveAndReport();

signals:
    // From the listener thread; received on the GUI thread.
    void endpointChanged(const CEndpointState& state);

protected:
    void timerEvent(QTimerEvent* e) override;

private:
    bool AcquireLocks();
    void StartTimers();
    void StopTimers();
    void DrainSlice();
    void StartIntake();
    void StopIntake();
    void OnEndpointChanged(const CEndpointState& state);
    void Journal(CJournalEntry entry);
    void JournalAgent(AgentEvent event, std::string_view message);
    void SaveAtExit(ExitPath path);
    void OpenArchive();
    void RecoverUnsaved(const std::optional<CFileFingerprint>& dataFile, FileOutcome::Kind loaded);
    void StopArchive();
    void OnArchiveReport(const CArchiveReport& report);
    void ShowArchiveNotice(const std::string& failure);

    CAgentWindow& m_Window;
    CSiteLog m_SiteLog;
    std::string m_strEndpoint;       // the name intake listens under
    bool m_bEverReceived = false;    // the endpoint was ours at some point
    bool m_bNoticeShown = false;
    bool m_bHookSet = false;         // g_OnEventStored reaches this object
    std::unique_ptr<CInstanceLock> m_InstanceMutex;
    std::unique_ptr<CInstanceLock> m_DataLock;
    bool m_bIntakeStarted = false;
    int m_nReapTimer = 0;
    int m_nSaveTimer = 0;
    int m_nDrainTimer = 0;
    bool m_bDrainScheduled = false;  // a drain slice waits on the event loop
    bool m_bStarted = false;        // start-up has loaded the store and started intake
    bool m_bQuitRequested = false;  // a quit arrived before start-up had finished
    bool m_bEnded = false;
    int m_nExitStatus = 0;
    // After the site's log, which its reports go to, so that it ends first.
    std::unique_ptr<CArchiveLink> m_pArchive;
    std::string m_strRecovered;  // start-up's notice of recovered events
};
