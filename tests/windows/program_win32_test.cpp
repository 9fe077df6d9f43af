// tellvane.exe from the outside, as Windows runs it: a copy in a folder of its
// own (the data file is written beside the executable), its window on the
// display, the named pipe, the named mutex and the end of the session.

#include <memory>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include "archive.h"
#include "event_file.h"
#include "event_store.h"
#include "tellvane_send_client.h"

namespace {

// A pipe of the test's own, never the one the lock software writes to.
const char kEndpoint[] = "tellvane-e2e";
const char kWorkedExample[] = "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";

// QProcess watches its children through Qt's event dispatcher.
class CCoreApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "program_win32_tests";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QCoreApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QCoreApplication> m_app;
};
[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new CCoreApplication);

class CInstalledCopy {
public:
    CInstalledCopy() { QFile::copy(TELLVANE_PATH, Exe()); }
    QString Exe() const { return m_dir.filePath("tellvane.exe"); }
    std::string Folder() const { return QDir::toNativeSeparators(m_dir.path()).toStdString(); }
    bool HasDataFile() const { return QFile::exists(m_dir.filePath("zqtvane.dat")); }

    // headless: the offscreen platform, where a message box goes to stderr.
    void Start(bool headless = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TELLVANE_ENDPOINT", kEndpoint);
        if (headless)
            env.insert("QT_QPA_PLATFORM", "offscreen");
        m_Process.setProcessEnvironment(env);
        m_Process.start(Exe(), {});
        m_Process.waitForStarted();
    }
    bool WaitListening()
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
    // Its exit code, or -1 when it did not end in time.
    int WaitEnded(int timeoutMs = 30000)
    {
        if (!m_Process.waitForFinished(timeoutMs) || m_Process.exitStatus() != QProcess::NormalExit)
            return -1;
        return m_Process.exitCode();
    }
    ~CInstalledCopy()
    {
        if (m_Process.state() != QProcess::NotRunning) {
            m_Process.kill();
            m_Process.waitForFinished();
        }
    }

    QProcess m_Process;

private:
    QTemporaryDir m_dir;
};

std::string Send(const std::string& text)
{
    CSenderConnection connection;
    std::string reply;
    if (!connection.Connect(kEndpoint) || !connection.Send(text) || !connection.ReceiveReply(reply))
        return "(no reply)";
    return reply;
}

// Logging off: Wine asks every window whether the session may end, then
// tells it that it does.
void EndSession() { EXPECT_EQ(QProcess::execute("wineboot", {"--end-session"}), 0); }

std::string FileForm(CSimpleMessage record)
{
    CArchiveWriter writer;
    record.Serialize(writer);
    return writer.Bytes();
}

TEST(ProgramWin32Test, SessionEndSavesTheWorkedExampleBesideTheProgramWithEveryField)
{
    CInstalledCopy copy;
    copy.Start();
    ASSERT_TRUE(copy.WaitListening());
    EXPECT_EQ(Send(kWorkedExample), "OK");
    QThread::msleep(1000);  // the intake is drained into the store every half second

    EndSession();
    EXPECT_EQ(copy.WaitEnded(), 0) << "it leaves without asking";

    ResetStore();
    CSimpleMessage shown;
    ASSERT_EQ(LoadEventFile(shown, copy.Folder()).kind, FileOutcome::Loaded);
    ASSERT_EQ(max_used_item, 0);
    CSimpleMessage expected;
    expected.Parse(kWorkedExample);
    EXPECT_EQ(FileForm(g_Array[0]), FileForm(expected));
    EXPECT_EQ(g_Array[0].desc, "Door opened");
}

TEST(ProgramWin32Test, SecondInstanceIsRefusedThroughTheNamedMutex)
{
    CInstalledCopy first;
    first.Start();
    ASSERT_TRUE(first.WaitListening());

    // Another folder, so no file could tell the two apart: only the mutex.
    CInstalledCopy second;
    QElapsedTimer refusal;
    refusal.start();
    second.Start(true);
    EXPECT_EQ(second.WaitEnded(), 1) << "a refused start is a failed start";
    EXPECT_GE(refusal.elapsed(), 900) << "it waits for the mutex about a second";
    EXPECT_TRUE(QString::fromLocal8Bit(second.m_Process.readAllStandardError())
                    .contains("The program is already executing on this computer!"));
    EXPECT_FALSE(second.HasDataFile());

    EXPECT_EQ(Send(kWorkedExample), "OK") << "the first still listens";
    EndSession();
    EXPECT_EQ(first.WaitEnded(), 0);
}

}  // namespace
