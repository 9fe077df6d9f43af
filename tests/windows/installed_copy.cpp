#include "installed_copy.h"

#include <windows.h>

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include "tellvane_send_client.h"

namespace {

// QProcess watches its children through Qt's event dispatcher.
class CCoreApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "tellvane_win32_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QCoreApplication> m_app;
};
[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CCoreApplication);

}  // namespace

// Every run, also one that should only answer its options, gets the private
// endpoint: one that started the agent by mistake must not take the real one.
CInstalledCopy::CInstalledCopy()
{
    QFile::copy(TELLVANE_PATH, Exe());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TELLVANE_ENDPOINT", kEndpoint);
    m_Process.setProcessEnvironment(env);
}

CInstalledCopy::~CInstalledCopy()
{
    if (m_Process.state() != QProcess::NotRunning) {
        m_Process.kill();
        m_Process.waitForFinished();
    }
}

std::string CInstalledCopy::Folder() const { return QDir::toNativeSeparators(m_dir.path()).toStdString(); }

bool CInstalledCopy::HasDataFile() const { return QFile::exists(DataFile()); }

int CInstalledCopy::Run(const QStringList& arguments)
{
    m_Process.start(Exe(), arguments);
    return WaitEnded();
}

void CInstalledCopy::Start(bool headless)
{
    if (headless) {
        QProcessEnvironment env = m_Process.processEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        m_Process.setProcessEnvironment(env);
    }
    m_Process.start(Exe(), {});
    m_Process.waitForStarted();
}

bool CInstalledCopy::WaitListening()
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000 && m_Process.state() == QProcess::Running) {
        CSenderConnection probe;
        if (probe.Connect(kEndpoint))
            return true;
        QThread::msleep(50);
    }
    return false;
}

int CInstalledCopy::WaitEnded(int timeoutMs)
{
    if (!m_Process.waitForFinished(timeoutMs) || m_Process.exitStatus() != QProcess::NormalExit)
        return -1;
    return m_Process.exitCode();
}

bool CInstalledCopy::Terminate()
{
    const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(m_Process.processId()));
    if (!process)
        return false;
    const bool terminated = TerminateProcess(process, 1);
    CloseHandle(process);
    return terminated && m_Process.waitForFinished(30000);
}

std::string Send(const std::string& text)
{
    CSenderConnection connection;
    std::string reply;
    if (!connection.Connect(kEndpoint) || !connection.Send(text) || !connection.ReceiveReply(reply))
        return "(no reply)";
    return reply;
}

void EndSession() { EXPECT_EQ(QProcess::execute("wineboot", {"--end-session"}), 0); }

QString WindowTitle(qint64 pid)
{
    struct CSearch {
        DWORD m_nPid;
        QString m_strTitle;
    } search{DWORD(pid), {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* found = reinterpret_cast<CSearch*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            wchar_t title[512];
            if (owner != found->m_nPid || !IsWindowVisible(window) || !GetWindowTextW(window, title, 512))
                return TRUE;
            found->m_strTitle = QString::fromWCharArray(title);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.m_strTitle;
}
