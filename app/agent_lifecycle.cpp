#include "agent_lifecycle.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "alert_settings.h"
#include "diagnostic_file.h"
#include "event_file.h"
#include "event_store.h"
#include "intake_queue.h"
#include "pipe_server.h"
#include "settings.h"
#include "string_table.h"

namespace {

// The connection-ended notice a connection thread posts to the GUI thread.
constexpr QEvent::Type kConnectionEndedEvent = static_cast<QEvent::Type>(QEvent::User + 6);

class CConnectionEnded : public QEvent {
public:
    explicit CConnectionEnded(ConnectionId id) : QEvent(kConnectionEndedEvent), m_Id(id) {}
    ConnectionId m_Id;
};

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

void CAgentLifecycle::StartIntake()
{
    CPipeServerConfig config;
    // Runs on a connection thread: hand the id to the GUI thread to join.
    config.m_onConnectionEnded = [this](ConnectionId id) {
        QCoreApplication::postEvent(this, new CConnectionEnded(id));
    };
    m_bIntakeStarted = StartPipeServer(std::move(config));
}

void CAgentLifecycle::StopIntake()
{
    if (m_bIntakeStarted)
        StopPipeServer();
    m_bIntakeStarted = false;
}

bool CAgentLifecycle::event(QEvent* e)
{
    if (e->type() == kConnectionEndedEvent) {
        JoinConnectionThread(static_cast<CConnectionEnded*>(e)->m_Id);
        return true;
    }
    return QObject::event(e);
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
