#include "agent_lifecycle.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QTimerEvent>

#include "alert_settings.h"
#include "app_directory.h"
#include "diagnostic_file.h"
#include "event_file.h"
#include "event_store.h"
#include "intake_queue.h"
#include "pipe_server.h"
#include "settings.h"
#include "string_table.h"

namespace {

// How often the threads of connections that ended after the last client are
// joined; the listener joins the others as new clients arrive.
constexpr int kReapPeriodMs = 1000;

}  // namespace

CAgentLifecycle::CAgentLifecycle(CAgentWindow& window, QObject* parent) : QObject(parent), m_Window(window) {}

CAgentLifecycle::~CAgentLifecycle()
{
    // Connection threads post to this object; none may outlive it.
    StopIntake();
}

bool CAgentLifecycle::Start()
{
    OpenDiagnosticFile();
    m_Window.PrepareWindow();
    if (!AcquireLocks()) {
        m_nExitStatus = 1;
        m_Window.Report(LoadStringText(IDS_ALREADY_RUNNING));
        return false;
    }
    ReadAllSettings();
    ReadAlertSettings();
    ResetStore(kDefaultCapacity);
    const FileOutcome loaded = LoadEventFile(m_Window.ShownRecord());
    if (!loaded.message.empty())
        m_Window.Report(loaded.message);
    StartIntake();
    m_Window.StartTimers();
    m_Window.StartAlerts();
    m_bStarted = true;
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
    // No end notices: one per connection would wake the GUI thread for
    // every event sent on a connection of its own.
    m_bIntakeStarted = StartPipeServer();
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

void CAgentLifecycle::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_nReapTimer)
        ReapEndedConnections();
    else
        QObject::timerEvent(e);
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
    m_Window.StopTimers();
    // Everything a sender was answered "OK" for goes into the final save.
    g_StopPipe = 1;
    StopIntake();
    DrainQueueCompletely();
    SaveAtExit(path);
    m_Window.CloseWindow();
}

// A save that fails at exit would lose everything since the last one: the
// store goes to a rescue copy, and the report names it. Nobody may be at the
// screen on the unattended path (the session manager waits for the end), so
// there it goes to standard error instead of a box.
void CAgentLifecycle::SaveAtExit(ExitPath path)
{
    const FileOutcome saved = SaveEventFile();
    if (saved.kind == FileOutcome::Saved)
        return;
    m_nExitStatus = 1;
    const FileOutcome rescued = RescueEventFile(std::time(nullptr));
    const std::string text = saved.message + (rescued.message.empty() ? "" : "\n" + rescued.message);
    if (path == ExitPath::kConfirmed) {
        m_Window.Report(text);
        return;
    }
    const QByteArray name = QCoreApplication::applicationName().toLocal8Bit();
    for (const QByteArray& line : QByteArray::fromStdString(text).split('\n'))
        std::fprintf(stderr, "%s: %s\n", name.constData(), line.constData());
}
