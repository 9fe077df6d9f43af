// The program and the site's log, from the outside: the journal gets every
// event and the agent's own lines, a journal that takes nothing changes
// nothing for intake, a squatter on the endpoint is shown, and a sender
// outside the allowed users is refused.
//
// The journal is the test's own socket, put where the library looks for it
// by a private mount namespace; those tests skip where none can be made.
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <map>

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

#include "event_file.h"
#include "event_store.h"
#include "intake_test_support.h"
#include "program_run.h"

namespace {

using CEntry = std::map<std::string, std::string>;

// One datagram of the journal's native protocol: NAME=value lines, or NAME,
// a newline, a 64-bit little-endian length and the value's bytes.
CEntry ParseEntry(const std::string& bytes)
{
    CEntry entry;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t end = bytes.find_first_of("=\n", at);
        if (end == std::string::npos)
            break;
        const std::string name = bytes.substr(at, end - at);
        if (bytes[end] == '=') {
            const std::size_t line = bytes.find('\n', end);
            entry[name] = bytes.substr(end + 1, line - end - 1);
            at = line + 1;
            continue;
        }
        uint64_t length = 0;
        for (int i = 7; i >= 0; --i)
            length = length << 8 | static_cast<unsigned char>(bytes[end + 1 + i]);
        entry[name] = bytes.substr(end + 9, length);
        at = end + 9 + length + 1;
    }
    return entry;
}

// A journal socket the test owns, in a folder of its own.
class CJournalSocket {
public:
    CJournalSocket()
    {
        m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = (m_dir.path() + "/socket").toStdString();
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        m_bBound = bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~CJournalSocket() { close(m_fd); }

    bool Bound() const { return m_bBound; }
    QString Folder() const { return m_dir.path(); }

    // Collects entries until done says so or time is up; every entry
    // received so far.
    std::vector<CEntry> ReceiveUntil(const std::function<bool(const std::vector<CEntry>&)>& done, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        pollfd waiting{m_fd, POLLIN, 0};
        while (!done(m_entries) && poll(&waiting, 1, static_cast<int>(deadline.remainingTime())) > 0) {
            char buffer[65536];
            const ssize_t size = recv(m_fd, buffer, sizeof buffer, 0);
            if (size > 0)
                m_entries.push_back(ParseEntry(std::string(buffer, static_cast<std::size_t>(size))));
        }
        return m_entries;
    }

private:
    QTemporaryDir m_dir;
    int m_fd = -1;
    bool m_bBound = false;
    std::vector<CEntry> m_entries;
};

bool HasAgentLine(const std::vector<CEntry>& entries, const std::string& agent)
{
    for (const CEntry& entry : entries) {
        const auto it = entry.find("TELLVANE_AGENT");
        if (it != entry.end() && it->second == agent)
            return true;
    }
    return false;
}

std::vector<CEntry> Events(const std::vector<CEntry>& entries)
{
    std::vector<CEntry> events;
    for (const CEntry& entry : entries) {
        if (entry.count("TELLVANE_LEVEL"))
            events.push_back(entry);
    }
    return events;
}

// The program inside a private mount namespace, where the test's journal
// socket is the one the library writes to. unshare and sh each execute the
// next in place, so the process is the program.
std::unique_ptr<CProgramRun> RunWithJournal(const CProgramHome& home, const CJournalSocket& journal,
                                            const QStringList& namespaceOptions)
{
    const QString script = "mount -t tmpfs tmpfs /run && mkdir -p /run/systemd/journal"
                           " && mount --bind \"$0\" /run/systemd/journal && exec \"$1\"";
    return std::make_unique<CProgramRun>(
        home.Environment(), namespaceOptions + QStringList{"--", "sh", "-c", script, journal.Folder(), TELLVANE_PATH},
        "unshare");
}

void ExpectAnswered(CSenderConnection& sender, const std::string& text)
{
    std::string reply;
    ASSERT_TRUE(sender.Send(text));
    ASSERT_TRUE(sender.ReceiveReply(reply));
    EXPECT_EQ(reply, "OK");
}

std::string Event(int32_t ttime, int32_t level, const std::string& desc, const std::string& transponder = "Key 4711")
{
    return "8,3," + std::to_string(ttime) + ",Anna," + desc + ",Site 1,Door 14 Archive,1,12,7,3," + std::to_string(level)
           + ",4711,0," + transponder + ",5,0,1,0,0,0,235";
}

int StoredCount(const CProgramHome& home)
{
    ResetStore();
    CSimpleMessage shown;
    LoadEventFile(shown, home.DataFolder());
    return max_used_item + 1;
}

class SiteLogProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_namespace = NamespaceOptions();
        if (m_namespace.isEmpty())
            GTEST_SKIP() << "no private mount namespace can be made here";
        ASSERT_TRUE(m_journal.Bound());
    }
    // Inside a user namespace the test's own user is root.
    int64_t SenderUidSeenInside() const { return m_namespace.contains("--user") ? 0 : CurrentUserId(); }

    QStringList m_namespace;
    CJournalSocket m_journal;
    CProgramHome m_home;
};

}  // namespace

TEST_F(SiteLogProgram, EveryEventAndTheAgentsOwnLinesReachTheJournalByteForByte)
{
    const auto program = RunWithJournal(m_home, m_journal, m_namespace);
    ASSERT_TRUE(program->WaitListening());
    const std::string oddBytes = "Manipulation \xff\xfe\xe4 detected\nat the hinge";
    CSenderConnection sender;
    ASSERT_TRUE(sender.Connect(EndpointName()));
    ExpectAnswered(sender, Event(1299506709, kLevelAlarm, oddBytes, "Key \x80"));
    ExpectAnswered(sender, Event(1299506710, kLevelWarning, "Battery low"));
    ExpectAnswered(sender, Event(1299506711, kLevelMessage, "Door opened"));
    sender.Close();
    EXPECT_EQ(RunWithJournal(m_home, m_journal, m_namespace)->WaitEnded(), 1) << "a second start is refused";
    // Stopped at once, so the events are mostly stored by the exit's drain.
    EXPECT_EQ(program->Stop(SIGTERM), 0);

    const auto entries = m_journal.ReceiveUntil([](const auto& got) { return HasAgentLine(got, "exit"); });
    for (const char* agent : {"start", "receiving", "second-instance", "exit"})
        EXPECT_TRUE(HasAgentLine(entries, agent)) << agent;
    const std::vector<CEntry> events = Events(entries);
    ASSERT_EQ(events.size(), 3u) << "each event once";
    const CEntry& alarm = events[0];
    EXPECT_EQ(alarm.at("MESSAGE"), "Alarm: " + oddBytes + " (Door 14 Archive)");
    EXPECT_EQ(alarm.at("TELLVANE_DESCRIPTION"), oddBytes);
    EXPECT_EQ(alarm.at("TELLVANE_TRANSPONDER"), "Key \x80");
    EXPECT_EQ(alarm.at("PRIORITY"), "2");
    EXPECT_EQ(alarm.at("SYSLOG_IDENTIFIER"), "tellvane");
    EXPECT_EQ(alarm.at("TELLVANE_TIME"), "2011-03-07T14:05:09Z");
    EXPECT_EQ(alarm.at("TELLVANE_SENDER_PID"), std::to_string(getpid()));
    EXPECT_EQ(alarm.at("TELLVANE_SENDER_UID"), std::to_string(SenderUidSeenInside()));
    EXPECT_EQ(events[1].at("PRIORITY"), "4");
    EXPECT_EQ(events[1].at("MESSAGE"), "Warning: Battery low (Door 14 Archive)");
    EXPECT_EQ(events[2].at("PRIORITY"), "6");
}

TEST_F(SiteLogProgram, AJournalThatTakesNothingChangesNothingForIntake)
{
    // The socket is never read: after a few lines every write would block.
    const auto program = RunWithJournal(m_home, m_journal, m_namespace);
    ASSERT_TRUE(program->WaitListening());
    constexpr int kEvents = 300;
    CSenderConnection sender;
    ASSERT_TRUE(sender.Connect(EndpointName()));
    for (int i = 0; i < kEvents; ++i)
        ExpectAnswered(sender, Event(1299506709 + i, kLevelAlarm, "Alarm " + std::to_string(i)));
    sender.Close();
    EXPECT_EQ(program->Stop(SIGTERM), 0) << "the end does not wait for the stuck journal";
    EXPECT_EQ(StoredCount(m_home), kEvents);
}

TEST_F(SiteLogProgram, ASenderOutsideTheAllowedUsersIsRefusedAndNothingStored)
{
    QDir().mkpath(m_home.Path() + "/config/Zentrovo");
    QFile settings(m_home.Path() + "/config/Zentrovo/Tellvane.conf");
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(QByteArray("[Settings]\ngSenderUids=") + QByteArray::number(SenderUidSeenInside() + 1) + "\n");
    settings.close();

    const auto program = RunWithJournal(m_home, m_journal, m_namespace);
    ASSERT_TRUE(program->WaitListening());
    CSenderConnection sender;
    ASSERT_TRUE(sender.Connect(EndpointName()));
    std::string reply;
    sender.Send(Event(1299506709, kLevelAlarm, "Injected"));
    EXPECT_FALSE(sender.ReceiveReply(reply)) << "answered " << reply;

    const auto entries = m_journal.ReceiveUntil([](const auto& got) { return HasAgentLine(got, "sender-refused"); });
    ASSERT_TRUE(HasAgentLine(entries, "sender-refused"));
    for (const CEntry& entry : entries) {
        if (entry.count("TELLVANE_AGENT") && entry.at("TELLVANE_AGENT") == "sender-refused") {
            EXPECT_EQ(entry.at("TELLVANE_SENDER_PID"), std::to_string(getpid()));
        }
    }
    EXPECT_EQ(program->Stop(SIGTERM), 0);
    EXPECT_EQ(StoredCount(m_home), 0);
}

TEST(SquattedProgram, ShowsWhoHoldsTheEndpointAndTakesItWhenFreed)
{
    CProgramHome home;
    const std::string endpoint = EndpointName();
    CSquatter squatter(endpoint);
    ASSERT_TRUE(squatter.Holds());
    CProgramRun program(home);
    const QString notice = QString("Not receiving events: the endpoint %1 is held by process %2 (user ")
                               .arg(QString::fromStdString(endpoint))
                               .arg(getpid());
    QString stderrText;
    ASSERT_TRUE(WaitUntil([&] {
        program.m_Process.waitForReadyRead(10);
        stderrText += program.Stderr();
        return stderrText.contains(notice);
    })) << stderrText.toStdString();

    squatter.Leave();
    ASSERT_TRUE(program.WaitListening());
    CSenderConnection sender;
    ASSERT_TRUE(sender.Connect(endpoint));
    ExpectAnswered(sender, Event(1299506709, kLevelAlarm, "After all"));
    sender.Close();
    EXPECT_EQ(program.Stop(SIGTERM), 0);
    stderrText += program.Stderr();
    EXPECT_TRUE(stderrText.contains("Receiving events on the endpoint " + QString::fromStdString(endpoint)));
    EXPECT_EQ(StoredCount(home), 1);
}
