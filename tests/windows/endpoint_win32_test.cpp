// The named pipe among other processes and accounts: a process that took
// the name first is named with its account, and senders are let in or
// refused by their account's SID or name.
#include <windows.h>

#include <mutex>

#include "account_win32.h"
#include "event_store.h"
#include "intake_test_support.h"
#include "journal_entries.h"
#include "site_settings.h"

namespace {

const std::string kEvent = "8,0,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,,5,0,1,0,0,0,0";

std::string OwnSid()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    const std::string sid = TokenUserSid(token);
    CloseHandle(token);
    return sid;
}

// DOMAIN\name of this process's account, as the system looks it up.
std::string OwnAccountName()
{
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256];
    DWORD size = sizeof buffer;
    GetTokenInformation(token, TokenUser, buffer, size, &size);
    CloseHandle(token);
    char name[256], domain[256];
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (!LookupAccountSidA(nullptr, reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, name, &nameSize, domain,
                           &domainSize, &use))
        return {};
    return std::string(domain) + "\\" + name;
}

std::string OwnDirectory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string full(path, length);
    return full.substr(0, full.rfind('\\'));
}

// pipe_squatter.exe, beside this test, holding a name until it is killed.
class CSquatterProcess {
public:
    explicit CSquatterProcess(const std::string& name)
    {
        const std::string event = "TellvaneSquatterHeld-" + std::to_string(GetCurrentProcessId());
        const HANDLE held = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        std::string command = "\"" + OwnDirectory() + "\\pipe_squatter.exe\" " + name + " " + event;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (held && CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &m_process)) {
            HANDLE either[] = {held, m_process.hProcess};
            m_bHolds = WaitForMultipleObjects(2, either, FALSE, 30000) == WAIT_OBJECT_0;
        }
        if (held)
            CloseHandle(held);
    }
    ~CSquatterProcess() { Leave(); }

    bool Holds() const { return m_bHolds; }
    int64_t Pid() const { return m_process.dwProcessId; }
    void Leave()
    {
        if (!m_process.hProcess)
            return;
        TerminateProcess(m_process.hProcess, 0);
        WaitForSingleObject(m_process.hProcess, 30000);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        m_process = {};
    }

private:
    PROCESS_INFORMATION m_process{};
    bool m_bHolds = false;
};

std::string Value(const CJournalEntry& entry, std::string_view name) { return std::string(JournalFieldValue(entry, name)); }

}  // namespace

// Taking the name back once it is free is the portable tests' part.
TEST(EndpointHolder, AnotherProcessIsNamedWithItsAccount)
{
    const std::string name = UniqueEndpointName();
    CSquatterProcess squatter(name);
    ASSERT_TRUE(squatter.Holds());
    CEndpointLog log;
    ASSERT_TRUE(StartWatchedServer(name, log));
    ASSERT_TRUE(WaitUntil([&] { return !log.States().empty(); }, std::chrono::seconds(5)));
    StopPipeServer();

    const CEndpointState held = log.States()[0];
    EXPECT_EQ(EndpointNotice(name, held), "Not receiving events: the endpoint " + name + " is held by process "
                                              + std::to_string(squatter.Pid()) + " (user " + OwnAccountName() + ")");
    const CJournalEntry entry = EndpointEntry(name, held, false);
    EXPECT_EQ(Value(entry, "TELLVANE_HOLDER_SID"), OwnSid());
    EXPECT_EQ(Value(entry, "TELLVANE_HOLDER_ACCOUNT"), OwnAccountName());
}

// Run as this account, a sender is let in by its SID (as written by hand or
// by Windows) or by DOMAIN\name, and refused by a list of other accounts.
TEST(SenderAccount, IsLetInByItsSidOrNameAndRefusedOtherwise)
{
    const std::string sid = OwnSid();
    ASSERT_FALSE(sid.empty());
    std::string lowerSid = sid;
    lowerSid[0] = 's';
    struct CCase {
        std::string m_strList;
        bool m_bAnswered;
    };
    for (const CCase& test : {CCase{"S-1-5-18, " + lowerSid, true}, CCase{"S-1-5-18," + OwnAccountName(), true},
                              CCase{"S-1-5-18 S-1-5-19", false}}) {
        ResetQueue();
        const CSenderList senders = ParseSenderList(test.m_strList);
        ASSERT_FALSE(senders.m_bEveryone);
        std::mutex mutex;
        std::vector<CPeer> refused;
        CPipeServerConfig config;
        config.m_strName = UniqueEndpointName();
        config.m_acceptSender = [&](const CPeer& peer) { return senders.Allows(PeerAccountId(peer)); };
        config.m_onSenderRefused = [&](const CPeer& peer) {
            std::lock_guard<std::mutex> lock(mutex);
            refused.push_back(peer);
        };
        ASSERT_TRUE(StartPipeServer(config));
        CSenderConnection sender;
        ASSERT_TRUE(WaitUntil([&] { return sender.Connect(config.m_strName); }));
        std::string reply;
        ASSERT_TRUE(sender.Send(kEvent));
        EXPECT_EQ(sender.ReceiveReply(reply), test.m_bAnswered) << test.m_strList;
        StopPipeServer();

        std::vector<CPeer> stored;
        g_OnEventStored = [&](const CSimpleMessage&, const CPeer& peer) { stored.push_back(peer); };
        ResetStore();
        DrainQueue();
        g_OnEventStored = nullptr;
        if (test.m_bAnswered) {
            ASSERT_EQ(stored.size(), 1u) << test.m_strList;
            EXPECT_EQ(stored[0].m_strSid, sid);
            const CJournalEntry entry = EventEntry(g_Array[0], stored[0]);
            EXPECT_EQ(Value(entry, "TELLVANE_SENDER_SID"), sid);
            EXPECT_EQ(Value(entry, "TELLVANE_SENDER_ACCOUNT"), OwnAccountName());
            EXPECT_TRUE(refused.empty());
        } else {
            EXPECT_TRUE(stored.empty()) << "nothing of a refused sender is stored";
            ASSERT_EQ(refused.size(), 1u);
            EXPECT_EQ(refused[0].m_strSid, sid);
            EXPECT_EQ(Value(SenderRefusedEntry(refused[0]), "MESSAGE"),
                      "Refused the texts of process " + std::to_string(GetCurrentProcessId()) + " (user "
                          + OwnAccountName() + "): not an allowed sender");
        }
    }
    ResetQueue();
}
