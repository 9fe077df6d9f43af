// tellvane.exe from the outside, as Windows runs it: its window on the
// display, the named pipe, the named mutex and the end of the session.

#include <windows.h>
#include <sddl.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include "account_win32.h"
#include "archive.h"
#include "event_file.h"
#include "event_store.h"
#include "installed_copy.h"

namespace {

const char kWorkedExample[] = "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";

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

// The machine's registration of the event log's source, as Event Viewer
// reads it.
const wchar_t kSourceKey[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Tellvane";

std::wstring SourceText(const wchar_t* name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kSourceKey, name, RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value, &size)
        != ERROR_SUCCESS)
        return {};
    return value;
}

DWORD SourceNumber(const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_LOCAL_MACHINE, kSourceKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

bool SourceKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSourceKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

TEST(ProgramWin32Test, RegistersItselfAsTheEventSourceAndRemovesThatAgain)
{
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSourceKey);
    CInstalledCopy copy;
    ASSERT_EQ(copy.Run({"--register-event-source"}), 0) << copy.m_Process.readAllStandardError().constData();
    EXPECT_EQ(SourceText(L"EventMessageFile"), QDir::toNativeSeparators(copy.Exe()).toStdWString());
    EXPECT_EQ(SourceNumber(L"TypesSupported"), 7u) << "errors, warnings and information";
    EXPECT_FALSE(copy.HasDataFile()) << "it answered and ended without starting the agent";

    ASSERT_EQ(copy.Run({"--unregister-event-source"}), 0);
    EXPECT_FALSE(SourceKeyExists());
}

// Without administrator rights the machine's key cannot be written: a key
// that only lets this account read stands in for them.
TEST(ProgramWin32Test, RegisteringWithoutTheRightsSaysSoPlainly)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSourceKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    PSECURITY_DESCRIPTOR readOnly = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &readOnly,
                                                                     nullptr));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly), ERROR_SUCCESS);
    LocalFree(readOnly);
    RegCloseKey(key);

    CInstalledCopy copy;
    EXPECT_EQ(copy.Run({"--register-event-source"}), 1);
    EXPECT_TRUE(copy.m_Process.readAllStandardError().contains(
        "tellvane: registering the event source needs administrator rights"));
    EXPECT_EQ(SourceText(L"EventMessageFile"), L"");
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSourceKey);
}

std::string OwnAccountName()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    const std::string sid = TokenUserSid(token);
    CloseHandle(token);
    return AccountNameOfSid(sid);
}

TEST(ProgramWin32Test, ASquatterIsNamedInTheTitleAndOnStandardErrorUntilItLetsGo)
{
    const QString held = "TellvaneSquatterHeld-" + QString::number(GetCurrentProcessId());
    const HANDLE heldEvent = CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<const wchar_t*>(held.utf16()));
    QProcess squatter;
    squatter.start(QCoreApplication::applicationDirPath() + "/pipe_squatter.exe", {kEndpoint, held});
    ASSERT_EQ(WaitForSingleObject(heldEvent, 30000), WAIT_OBJECT_0);
    CloseHandle(heldEvent);

    CInstalledCopy copy;
    copy.Start();
    const QString notice = QString("Not receiving events: the endpoint %1 is held by process %2 (user %3)")
                               .arg(kEndpoint)
                               .arg(squatter.processId())
                               .arg(QString::fromStdString(OwnAccountName()));
    QElapsedTimer waited;
    waited.start();
    while (!WindowTitle(copy.m_Process.processId()).contains(notice) && waited.elapsed() < 30000)
        QThread::msleep(100);
    EXPECT_TRUE(WindowTitle(copy.m_Process.processId()).endsWith(" - " + notice))
        << WindowTitle(copy.m_Process.processId()).toStdString();

    squatter.kill();
    squatter.waitForFinished();
    ASSERT_TRUE(copy.WaitListening()) << "it takes the name once free";
    while (WindowTitle(copy.m_Process.processId()).contains(notice) && waited.elapsed() < 60000)
        QThread::msleep(100);
    EXPECT_FALSE(WindowTitle(copy.m_Process.processId()).contains("Not receiving")) << "the notice is cleared";
    EXPECT_EQ(Send(kWorkedExample), "OK");
    EndSession();
    EXPECT_EQ(copy.WaitEnded(), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(copy.m_Process.readAllStandardError()).contains(notice));
}

// gSenderUids under the user's settings key, for one test.
class CSenderSetting {
public:
    explicit CSenderSetting(const std::string& list)
    {
        RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Zentrovo\\Tellvane\\Settings", "gSenderUids", REG_SZ,
                        list.c_str(), DWORD(list.size() + 1));
    }
    ~CSenderSetting() { RegDeleteKeyValueA(HKEY_CURRENT_USER, "Software\\Zentrovo\\Tellvane\\Settings", "gSenderUids"); }
};

// Started with the list, it answers no sender of this account; its standard
// error says what it said.
QByteArray RefusedWith(const std::string& list)
{
    const CSenderSetting setting(list);
    CInstalledCopy copy;
    copy.Start();
    EXPECT_TRUE(copy.WaitListening());
    EXPECT_EQ(Send(kWorkedExample), "(no reply)") << list;
    EndSession();
    EXPECT_EQ(copy.WaitEnded(), 0);
    return copy.m_Process.readAllStandardError();
}

TEST(ProgramWin32Test, SendersOfAnotherAccountAreRefusedAndAnUnreadableListIsReported)
{
    EXPECT_FALSE(RefusedWith("S-1-5-18").contains("Refusing every sender"));
    EXPECT_TRUE(RefusedWith("S-1-5-18, no-such-account")
                    .contains("Refusing every sender: \"no-such-account\" in gSenderUids is not an account (a SID "
                              "or DOMAIN\\name)"));
}

}  // namespace
