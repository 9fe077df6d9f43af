#include "agent_lifecycle.h"

#include <QTimerEvent>
#include <QTimer>

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
    m_InstanceMutex = AcquireInstanceLock(1000);
    if (!m_InstanceMutex) {
        m_Window.Report(LoadStringText(IDS_ALREADY_RUNNING));
        return false;
    }
    ReadAllSettings();
    ResetStore(kDefaultCapacity);
    const FileOutcome loaded = LoadEventFile(m_Window.ShownRecord());
    if (!loaded.message.empty())
        m_Window.Report(loaded.message);
    StartIntake();
    m_Window.StartTimers();
    m_bStarted = true;
    // A quit that arrived during start-up (a message box runs the event
    // loop) is carried out now that there is a store to save.
    if (m_bQuitRequested)
        QTimer::singleShot(0, this, [this] { Exit(ExitPath::kUnattended); });
    return true;
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

void CAgentLifecycle::Exit(ExitPath)
{
    if (m_bEnded)
        return;
    m_bEnded = true;
    m_Window.StopTimers();
    // Everything a sender was answered "OK" for goes into the final save.
    g_StopPipe = 1;
    StopIntake();
    DrainQueueCompletely();
    const FileOutcome saved = SaveEventFile();
    if (!saved.message.empty())
        m_Window.Report(saved.message);
    m_Window.CloseWindow();
}
