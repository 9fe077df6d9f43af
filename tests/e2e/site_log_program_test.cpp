// The program and the site's log, from the outside: the journal gets every
// event and the agent's own lines, a journal that takes nothing changes
// nothing for intake, a squatter on the endpoint is shown, and a sender
// outside the allowed users is refused.
//
// The journal is the test's own socket, put where the library looks for it
// by a private mount namespace; those tests skip where none can be made.
#include <unistd.h>

#include <csignal>


#include <gtest/gtest.h>

#include "intake_test_support.h"
#include "journal_capture.h"
#include "program_run.h"

namespace {

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
    EXPECT_EQ(SavedDescriptions(m_home.DataFolder()).size(), static_cast<size_t>(kEvents));
}

TEST_F(SiteLogProgram, ASenderOutsideTheAllowedUsersIsRefusedAndNothingStored)
{
    ASSERT_TRUE(m_home.UseSettings("gSenderUids=" + QByteArray::number(SenderUidSeenInside() + 1) + "\n"));

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
    EXPECT_EQ(SavedDescriptions(m_home.DataFolder()).size(), 0u);
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
    EXPECT_EQ(SavedDescriptions(home.DataFolder()).size(), 1u);
}
