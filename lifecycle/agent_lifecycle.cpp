#include "agent_lifecycle.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <iostream>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTimerEvent>

#include "account.h"
#include "alert_settings.h"
#include "app_directory.h"
#include "archive_recovery.h"
#include "archive_settings.h"
#include "diagnostic_file.h"
#include "event_file.h"
#include "event_store.h"
#include "file_outcome_text.h"
#include "intake_queue.h"
#include "open_file_limit.h"
#include "pipe_server.h"
#include "settings.h"
#include "site_settings.h"
#include "string_table.h"

namespace {

// How often the threads of connections that ended after the last client are
// joined; the listener joins the others as new clients arrive.
constexpr int kReapPeriodMs = 1000;

// How long the end of the program waits for the site's log to take its
// last lines; a log that is stuck loses them.
constexpr auto kJournalFlushWait = std::chrono::seconds(1);

// None for everyone, so the server need not ask.
std::function<bool(const CPeer&)> SenderFilter(const CSenderList& senders)
{
    if (senders.m_bEveryone)
        return {};
    return [senders](const CPeer& sender) { return senders.Allows(PeerAccountId(sender)); };
}

}  // namespace

CAgentLifecycle::CAgentLifecycle(CAgentWindow& window, QObject* parent) : QObject(parent), m_Window(window)
{
    // The listener's news about the endpoint's name, carried to the GUI thread.
    connect(this, &CAgentLifecycle::endpointChanged, this, &CAgentLifecycle::OnEndpointChanged, Qt::QueuedConnection);
    m_SiteLog.SetDroppedNotice([](std::size_t dropped) {
        return AgentEntry(AgentEvent::kLinesDropped,
                          std::to_string(dropped) + " entries were lost: the site's log did not take them in time");
    });
}

CAgentLifecycle::~CAgentLifecycle()
{
    // Connection threads post to this object; none may outlive it.
    StopIntake();
    // Nor may the archive's writer, whose reports come here.
    StopArchive();
    // The exit drain has journalled its events by now.
    if (m_bHookSet)
        g_OnEventStored = nullptr;
    m_SiteLog.Flush(kJournalFlushWait);
}

bool CAgentLifecycle::Start()
{
    OpenDiagnosticFile();
    m_Window.PrepareWindow();
    if (!AcquireLocks()) {
        m_nExitStatus = 1;
        // The site's log is the one setting a refused start looks at.
        ReadSiteSettings();
        m_SiteLog.SetEnabled(gJournal != 0);
        JournalAgent(AgentEvent::kSecondInstance, LoadStringText(IDS_ALREADY_RUNNING));
        m_Window.Report(LoadStringText(IDS_ALREADY_RUNNING));
        return false;
    }
    ReadAllSettings();
    ReadAlertSettings();
    ReadSiteSettings();
    ReadArchiveSettings();
    m_SiteLog.SetEnabled(gJournal != 0);
    JournalAgent(AgentEvent::kStart, "Tellvane started");
    OpenArchive();
    ResetStore(kDefaultCapacity);
    // Taken before the load, which may set a damaged file aside.
    std::optional<CFileFingerprint> dataFile;
    if (m_pArchive)
        dataFile = FingerprintFile(EventFilePath());
    const FileOutcome loaded = LoadEventFile(m_Window.ShownRecord());
    if (loaded.setAside != SetAside::kNotNeeded)
        JournalAgent(AgentEvent::kDamagedFile, SetAsideText(loaded));
    if (const std::string text = FileOutcomeText(loaded); !text.empty())
        m_Window.Report(text);
    RecoverUnsaved(dataFile, loaded.kind);
    StartIntake();
    StartTimers();
    m_Window.StartTimers();
    m_Window.StartAlerts();
    m_bStarted = true;
    // Left out of the load, which the window waits for: the first idle
    // moment builds it, before a flood of transponder events would.
    QTimer::singleShot(0, this, [] { PrepareDuplicateIndex(); });
    // A quit that arrived during start-up (a message box runs the event
    // loop) is carried out now that there is a store to save.
    if (m_bQuitRequested)
        QTimer::singleShot(0, this, [this] { Exit(ExitPath::kUnattended); });
    return true;
}

// One instance per logon, and one per data file whatever the environment:
// two processes saving to the same file would each overwrite what the
// other had acknowledged. Together they wait no longer than the one second
// a refusal has always taken.
bool CAgentLifecycle::AcquireLocks()
{
    constexpr int kWaitMs = 1000;
    QElapsedTimer waited;
    waited.start();
    m_InstanceMutex = AcquireInstanceLock(kWaitMs);
    if (!m_InstanceMutex)
        return false;
    m_DataLock = AcquireDataLock(GetAppDirectory(), std::max(0, kWaitMs - int(waited.elapsed())));
    if (!m_DataLock)
        m_InstanceMutex.reset();
    return m_DataLock != nullptr;
}

void CAgentLifecycle::StartIntake()
{
    CPipeServerConfig config;
    // No end notices: one per connection would wake the GUI thread for
    // every event sent on a connection of its own. A timer reaps instead.
    const CSenderList senders = ParseSenderList(gSenderUids);
    if (!senders.m_bEveryone && senders.m_ids.empty()) {
        const std::string text = "Refusing every sender: \"" + senders.m_strUnreadable + "\" in " + kSenderUidsSetting
                                 + " is not " + std::string(kAccountWordKind);
        JournalAgent(AgentEvent::kSenderListUnreadable, text);
        std::cerr << text << std::endl;
    }
    config.m_acceptSender = SenderFilter(senders);
    // Neither builds its entry where it is called (the first is called on a
    // connection thread's small stack): the entries, and the user look-ups
    // in them, are made on the site log's thread.
    config.m_onSenderRefused = [this](const CPeer& sender) {
        m_SiteLog.Post([sender] { return SenderRefusedEntry(sender); });
    };
    config.m_onConnectionsRefused = [this](const CPeer& sender, std::size_t refused) {
        m_SiteLog.Post([sender, refused] { return ConnectionsRefusedEntry(sender, refused); });
    };
    config.m_onEndpointChanged = [this](const CEndpointState& state) { emit endpointChanged(state); };
    m_strEndpoint = config.m_strName;
    // Runs in the drain: the log's thread builds the entry from a copy.
    g_OnEventStored = [this](const CSimpleMessage& rec, const CPeer& sender) { m_SiteLog.PostEvent(rec, sender); };
    m_bHookSet = true;
    RaiseOpenFileLimit();
    m_bIntakeStarted = StartPipeServer(std::move(config));
    if (m_bIntakeStarted)
        m_nReapTimer = startTimer(kReapPeriodMs);
}

void CAgentLifecycle::StopIntake()
{
    if (m_nReapTimer)
        killTimer(m_nReapTimer);
    m_nReapTimer = 0;
    if (m_bIntakeStarted)
        StopPipeServer();
    m_bIntakeStarted = false;
}

void CAgentLifecycle::StartTimers()
{
    const CTimerPeriods periods = m_Window.TimerPeriods();
    m_nSaveTimer = startTimer(periods.save);
    m_nDrainTimer = startTimer(periods.drain);
}

void CAgentLifecycle::StopTimers()
{
    for (int* timer : {&m_nSaveTimer, &m_nDrainTimer}) {
        if (*timer)
            killTimer(*timer);
        *timer = 0;
    }
}

void CAgentLifecycle::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_nReapTimer) {
        ReapEndedConnections();
    } else if (e->timerId() == m_nSaveTimer) {
        SaveAndReport();
    } else if (e->timerId() == m_nDrainTimer) {
        // During a flood a tick finds the rest of the last drain still on its way.
        if (!m_bDrainScheduled)
            DrainSlice();
    } else {
        QObject::timerEvent(e);
    }
}

void CAgentLifecycle::DrainSlice()
{
    // A drain stops after a short budget so the window stays responsive
    // under a flood; what is left is taken on the next turn of the loop.
    m_bDrainScheduled = DrainQueue();
    if (m_bDrainScheduled)
        QTimer::singleShot(0, this, &CAgentLifecycle::DrainSlice);
}

// A name held by another process means the lock software's events go there:
// the user, standard error and the site's log all hear of it.
void CAgentLifecycle::OnEndpointChanged(const CEndpointState& state)
{
    if (m_bEnded)
        return;
    Journal(EndpointEntry(m_strEndpoint, state, m_bEverReceived));
    const std::string notice = EndpointNotice(m_strEndpoint, state);
    if (state.m_bReceiving) {
        m_bEverReceived = true;
        if (!m_bNoticeShown)
            return;
        m_bNoticeShown = false;
        m_Window.ShowEndpointNotice({});
    } else {
        m_bNoticeShown = true;
        m_Window.ShowEndpointNotice(notice);
    }
    std::cerr << notice << std::endl;
}

void CAgentLifecycle::Journal(CJournalEntry entry)
{
    m_SiteLog.Post([entry = std::move(entry)] { return entry; });
}

void CAgentLifecycle::JournalAgent(AgentEvent event, std::string_view message)
{
    Journal(AgentEntry(event, message));
}

FileOutcome CAgentLifecycle::Save()
{
    std::optional<CSaveMarker> marker;
    FileOutcome outcome = SaveEventFile([&](std::string_view bytes) {
        marker = CSaveMarker{LastDrainedNumber(), FingerprintBytes(bytes)};
        if (m_pArchive)
            m_pArchive->MarkSaveUnderWay(*marker);
    });
    if (outcome.kind != FileOutcome::Saved)
        JournalAgent(AgentEvent::kSaveFailed, FileOutcomeText(outcome));
    else if (m_pArchive && marker)
        m_pArchive->RecordSave(*marker);
    return outcome;
}

void CAgentLifecycle::SaveAndReport()
{
    if (const std::string text = FileOutcomeText(Save()); !text.empty())
        m_Window.Report(text);
}

void CAgentLifecycle::ExitUnattended()
{
    if (!m_bStarted) {
        m_bQuitRequested = true;
        return;
    }
    Exit(ExitPath::kUnattended);
}

void CAgentLifecycle::Exit(ExitPath path)
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    StopTimers();
    m_Window.StopTimers();
    // Everything a sender was answered "OK" for goes into the final save.
    g_StopPipe = 1;
    StopIntake();
    DrainQueueCompletely();
    SaveAtExit(path);
    // Its last commit holds the exit save's marker: nothing to replay next time.
    StopArchive();
    JournalAgent(AgentEvent::kExit, "Tellvane ended");
    m_Window.CloseWindow();
}

// A save that fails at exit would lose everything since the last one: the
// store goes to a rescue copy, and the report names it. Nobody may be at the
// screen on the unattended path (the session manager waits for the end), so
// there it goes to standard error instead of a box.
void CAgentLifecycle::SaveAtExit(ExitPath path)
{
    const FileOutcome saved = Save();
    if (saved.kind == FileOutcome::Saved)
        return;
    m_nExitStatus = 1;
    const FileOutcome rescued = RescueEventFile(std::time(nullptr));
    const std::string rescuedText = FileOutcomeText(rescued);
    JournalAgent(rescued.kind == FileOutcome::Rescued ? AgentEvent::kRescueCopy : AgentEvent::kSaveFailed, rescuedText);
    const std::string text = FileOutcomeText(saved) + (rescuedText.empty() ? "" : "\n" + rescuedText);
    if (path == ExitPath::kConfirmed) {
        m_Window.Report(text);
        return;
    }
    const QByteArray name = QCoreApplication::applicationName().toLocal8Bit();
    for (const QByteArray& line : QByteArray::fromStdString(text).split('\n'))
        std::fprintf(stderr, "%s: %s\n", name.constData(), line.constData());
}

// ---- The event archive ---------------------------------------------------

// Opened before the load and the endpoint: the numbers of this run's texts
// go on from its highest, and recovery reads it.
void CAgentLifecycle::OpenArchive()
{
    const std::string folder = GetAppDirectory();
    if (gArchive == 0 || folder.empty())
        return;
    m_pArchive = std::make_unique<CArchiveLink>(folder, [this](const CArchiveReport& report) {
        OnArchiveReport(report);
    });
    const CArchiveOpened& opened = m_pArchive->Opened();
    if (!opened.m_strSetAside.empty())
        OnArchiveReport({CArchiveReport::kSetAside, opened.m_strSetAside, 0});
    if (!opened.m_bOpen)
        OnArchiveReport({CArchiveReport::kFailing, opened.m_strReason, 0});
    SetNextTextNumber(opened.m_nHighestSeq + 1);
    SetIntakeArchive(m_pArchive.get());
}

void CAgentLifecycle::RecoverUnsaved(const std::optional<CFileFingerprint>& dataFile, FileOutcome::Kind loaded)
{
    if (!m_pArchive || !m_pArchive->Opened().m_bOpen)
        return;
    const CRecoveryOutcome outcome = RecoverUnsavedTexts(m_pArchive->Folder(), dataFile, loaded);
    const std::string texts = std::to_string(outcome.m_nTexts);
    switch (outcome.m_kind) {
    case CRecoveryOutcome::kNothing: return;
    case CRecoveryOutcome::kSkipped:
        JournalAgent(AgentEvent::kRecoverySkipped,
                     texts + " texts received after the last save were not recovered: " + outcome.m_strReason);
        return;
    case CRecoveryOutcome::kRecovered: break;
    }
    // The site's log had these events when they first arrived; only the
    // count goes to it now.
    m_strRecovered = RecoveredNotice(outcome.m_nStored);
    std::string message = m_strRecovered + " (from " + texts + " texts)";
    if (!outcome.m_strReason.empty())
        message += "; " + outcome.m_strReason;
    CJournalEntry entry = AgentEntry(AgentEvent::kRecovered, message);
    entry.push_back({"TELLVANE_RECOVERED", std::to_string(outcome.m_nStored)});
    Journal(std::move(entry));
    if (outcome.m_nStored > 0) {
        m_Window.ShowArchiveNotice(m_strRecovered);
        std::cerr << m_strRecovered << std::endl;
    } else {
        m_strRecovered.clear();
    }
}

void CAgentLifecycle::StopArchive()
{
    if (!m_pArchive)
        return;
    // No connection thread runs any more (StopIntake came first).
    SetIntakeArchive(nullptr);
    m_pArchive->Stop();
}

// On the archive's writer thread (or start-up's): the journal line at once,
// the window's notice on the GUI thread.
void CAgentLifecycle::OnArchiveReport(const CArchiveReport& report)
{
    std::string failure;
    switch (report.m_kind) {
    case CArchiveReport::kFailing:
        failure = "Not archiving events: " + report.m_strText;
        JournalAgent(AgentEvent::kArchiveFailed, failure);
        break;
    case CArchiveReport::kWorking:
        JournalAgent(AgentEvent::kArchiveResumed, "Archiving events again");
        break;
    case CArchiveReport::kSetAside:
        JournalAgent(AgentEvent::kArchiveSetAside,
                     "The event archive " + (report.m_strWhy.empty() ? "could not be read whole" : report.m_strWhy) +
                         " and was set aside as " + report.m_strText);
        // The texts drained since the last save are now in the set-aside
        // copy only, and the new archive has no marker: a crash before the
        // next save would replay none of them. A save now covers them; not
        // before start-up has loaded the store, which it would write over.
        QMetaObject::invokeMethod(this, [this] {
            if (m_bStarted && !m_bEnded)
                Save();
        }, Qt::QueuedConnection);
        return;
    case CArchiveReport::kDropped: {
        const std::string dropped = std::to_string(report.m_nDropped);
        CJournalEntry entry = AgentEntry(AgentEvent::kArchiveDropped,
                                         dropped + " texts were left out of the event archive, which had no room"
                                                   " for them (the store took them as usual)");
        entry.push_back({"TELLVANE_DROPPED", dropped});
        Journal(std::move(entry));
        return;
    }
    }
    QMetaObject::invokeMethod(this, [this, failure] { ShowArchiveNotice(failure); }, Qt::QueuedConnection);
}

// A failing archive's notice, or once it works again the recovery's, if any.
void CAgentLifecycle::ShowArchiveNotice(const std::string& failure)
{
    if (m_bEnded)
        return;
    if (!failure.empty())
        std::cerr << failure << std::endl;
    m_Window.ShowArchiveNotice(failure.empty() ? m_strRecovered : failure);
}
