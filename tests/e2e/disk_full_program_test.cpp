// The event archive on a disk that fills up while the program runs: intake
// goes on, the window's notice says why nothing is archived, the archive
// takes up what waited once there is room again, and what did not fit in
// its queue is counted in one journal line. The data folder is a small
// tmpfs of the test's own mount namespace (root only), which the program
// inherits.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <thread>

#include <QDir>

#include <gtest/gtest.h>

#include "archive_reads.h"
#include "endpoint_name.h"
#include "event_archive.h"
#include "event_file.h"
#include "event_store.h"
#include "intake_test_support.h"
#include "journal_capture.h"
#include "program_run.h"
#include "wait_until.h"

namespace {

constexpr int kSenders = 16;
// What the program does under a flood on a small disk may take long on a busy machine.
constexpr std::chrono::seconds kPatience(30);

std::string Text(int n) { return TaggedEvent(1300000000 + n, "Text " + std::to_string(n)); }

// Writes path until the disk takes no more.
void FillUp(const std::string& path)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    const std::string block(1 << 16, 'f');
    for (std::size_t size = block.size(); size > 0; size /= 2) {
        while (write(fd, block.data(), size) == static_cast<ssize_t>(size)) {
        }
    }
    close(fd);
}

class DiskFullProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (geteuid() != 0)
            GTEST_SKIP() << "a small disk of the test's own needs root";
        m_namespace = NamespaceOptions();
        ASSERT_FALSE(m_namespace.isEmpty());
        // Private to this process, so nothing of it outlives the test.
        ASSERT_EQ(unshare(CLONE_NEWNS), 0);
        ASSERT_EQ(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(m_home.DataFolder())));
        ASSERT_EQ(mount("tmpfs", m_home.DataFolder().c_str(), "tmpfs", 0, "size=64m,mode=0700"), 0);
        m_bMounted = true;
    }
    void TearDown() override
    {
        if (m_bMounted)
            umount2(m_home.DataFolder().c_str(), MNT_DETACH);
    }

    QStringList m_namespace;
    CProgramHome m_home;
    bool m_bMounted = false;
};

}  // namespace

TEST_F(DiskFullProgram, IntakeGoesOnTheArchiveCatchesUpAndWhatDidNotFitIsCounted)
{
    CJournalSocket journal;
    const auto program = RunWithJournal(m_home, journal, m_namespace);
    ASSERT_TRUE(program->WaitListening());
    std::string error;
    int answered = SendAnswered(EndpointName(), {Text(1), Text(2)});
    ASSERT_EQ(answered, 2);
    ASSERT_TRUE(WaitUntil([&] { return CountTextsAfter(m_home.DataFolder(), 0, error) == 2; }, kPatience)) << error;

    const std::string filler = m_home.DataFolder() + "/filler";
    FillUp(filler);
    // More than the archive's queue holds: short texts, which the store
    // refuses, and among them events it keeps.
    constexpr int kShort = static_cast<int>(kArchiveQueueLimit) + 500;
    std::vector<std::vector<std::string>> texts(kSenders);
    for (int i = 0; i < kShort; ++i)
        texts[i % kSenders].push_back("x");
    for (int n = 3; n <= 10; ++n)
        texts[n % kSenders].push_back(Text(n));
    std::atomic<int> floodAnswered{0};
    std::vector<std::thread> senders;
    for (const auto& own : texts)
        senders.emplace_back([&own, &floodAnswered] { floodAnswered += SendAnswered(EndpointName(), own); });
    for (std::thread& sender : senders)
        sender.join();
    ASSERT_EQ(floodAnswered, kShort + 8) << "intake goes on";
    answered += floodAnswered;

    QString stderrText;
    EXPECT_TRUE(WaitUntil(
        [&] {
            program->m_Process.waitForReadyRead(10);
            stderrText += program->Stderr();
            return stderrText.contains("Not archiving events: ");
        },
        kPatience))
        << stderrText.toStdString();
    EXPECT_TRUE(HasAgentLine(journal.ReceiveUntil([](const auto& got) { return HasAgentLine(got, "archive-failed"); }),
                             "archive-failed"));

    ASSERT_EQ(unlink(filler.c_str()), 0);
    const auto entries = journal.ReceiveUntil(
        [](const auto& got) { return HasAgentLine(got, "archive-resumed") && HasAgentLine(got, "archive-dropped"); },
        60000);
    ASSERT_TRUE(HasAgentLine(entries, "archive-resumed"));
    const CEntry* dropped = AgentLine(entries, "archive-dropped");
    ASSERT_NE(dropped, nullptr);
    const int64_t droppedCount = std::stoll(dropped->at("TELLVANE_DROPPED"));
    EXPECT_GT(droppedCount, 0);

    ASSERT_EQ(SendAnswered(EndpointName(), {Text(11), Text(12)}), 2);
    answered += 2;
    EXPECT_EQ(program->Stop(SIGTERM), 0);

    ResetStore();
    CSimpleMessage shown;
    EXPECT_EQ(LoadEventFile(shown, m_home.DataFolder()).kind, FileOutcome::Loaded);
    std::vector<std::string> stored = StoredDescriptions();
    std::vector<std::string> expected;
    for (int n = 1; n <= 12; ++n)
        expected.push_back("Text " + std::to_string(n));
    std::sort(stored.begin(), stored.end(), [](const std::string& a, const std::string& b) {
        return std::stoi(a.substr(5)) < std::stoi(b.substr(5));
    });
    EXPECT_EQ(stored, expected) << "the store is whole";
    const auto archived = CountTextsAfter(m_home.DataFolder(), 0, error);
    ASSERT_TRUE(archived) << error;
    EXPECT_EQ(*archived + droppedCount, answered) << "every text archived or counted as dropped";
}
