// The event archive of the running program, from the outside: a clean exit
// leaves nothing to replay, a data file that is not the one last saved
// replays nothing and says so in the journal, and a reader holding
// archive.sqlite open, as sqlite3 would, holds up neither "OK" nor the
// archive's own writing. And start-up's recovery after a crash between a
// save's rename and the commit of its marker, a moment too short to kill
// the program at from outside.
#include <csignal>
#include <thread>

#include <gtest/gtest.h>

#include "archive_open.h"
#include "archive_reads.h"
#include "archive_recovery.h"
#include "event_archive.h"
#include "endpoint_name.h"
#include "event_file.h"
#include "event_store.h"
#include "intake_test_support.h"
#include "journal_capture.h"
#include "program_run.h"
#include "sqlite_handles.h"

namespace {

std::string Text(int n) { return TaggedEvent(1300000000 + n, "Text " + std::to_string(n)); }

// Sends texts first .. first + count - 1 on one connection; how many were answered.
int SendTexts(int first, int count)
{
    std::vector<std::string> texts;
    for (int n = first; n < first + count; ++n)
        texts.push_back(Text(n));
    return SendAnswered(EndpointName(), texts);
}

// The program started with its journal captured, and the agent's lines of
// its start, up to the endpoint taken.
std::unique_ptr<CProgramRun> StartWithJournal(const CProgramHome& home, CJournalSocket& journal,
                                              const QStringList& unshare, std::vector<CEntry>& lines)
{
    auto program = RunWithJournal(home, journal, unshare);
    EXPECT_TRUE(program->WaitListening());
    lines = journal.ReceiveUntil([](const auto& got) { return HasAgentLine(got, "receiving"); });
    return program;
}

}  // namespace

TEST(ArchiveProgram, ACleanExitLeavesNothingToReplayAndAReplacedDataFileReplaysNothing)
{
    const QStringList unshare = NamespaceOptions();
    if (unshare.isEmpty())
        GTEST_SKIP() << "no private mount namespace can be made here";
    CProgramHome home;
    {
        CProgramRun program(home);
        ASSERT_TRUE(program.WaitListening());
        ASSERT_EQ(SendTexts(1, 5), 5);
        ASSERT_EQ(program.Stop(SIGTERM), 0);
    }
    std::string error;
    const auto marker = ReadSaveMarker(home.DataFolder(), &error);
    ASSERT_TRUE(marker) << error;
    EXPECT_EQ(marker->m_nLastSeq, 5);
    EXPECT_EQ(CountTextsAfter(home.DataFolder(), marker->m_nLastSeq, error), 0) << error;

    {
        CJournalSocket journal;
        std::vector<CEntry> lines;
        const auto program = StartWithJournal(home, journal, unshare, lines);
        EXPECT_FALSE(HasAgentLine(lines, "recovered"));
        EXPECT_FALSE(HasAgentLine(lines, "recovery-skipped"));
        ASSERT_EQ(SendTexts(6, 3), 3);
        ASSERT_TRUE(WaitUntil([&] { return CountTextsAfter(home.DataFolder(), 5, error) == 3; }));
        program->Stop(SIGKILL);
    }
    // A data file put in its place, as a rescue copy would be.
    ResetStore();
    ASSERT_TRUE(AddMessage(Text(100)));
    ASSERT_EQ(SaveEventFile(home.DataFolder()).kind, FileOutcome::Saved);

    CJournalSocket journal;
    std::vector<CEntry> lines;
    const auto program = StartWithJournal(home, journal, unshare, lines);
    EXPECT_TRUE(HasAgentLine(lines, "recovery-skipped"));
    EXPECT_FALSE(HasAgentLine(lines, "recovered"));
    EXPECT_EQ(program->Stop(SIGTERM), 0);
    EXPECT_EQ(SavedDescriptions(home.DataFolder()), std::vector<std::string>{"Text 100"})
        << "the three texts are not replayed";
}

TEST(ArchiveProgram, AReaderHoldingTheArchiveOpenHoldsUpNeitherDurableAnswersNorTheArchive)
{
    CProgramHome home;
    ASSERT_TRUE(home.UseSettings("gDurableOk=1\n"));
    CProgramRun program(home);
    ASSERT_TRUE(program.WaitListening());
    ASSERT_EQ(SendTexts(1, 10), 10);

    // As `sqlite3 archive.sqlite` with a query under way.
    CSqliteDb reader;
    ASSERT_EQ(OpenSqlite(ArchivePath(home.DataFolder()), true, reader), 0);
    ASSERT_EQ(Exec(reader.get(), "BEGIN"), 0);
    ASSERT_EQ(QueryInt(reader.get(), "SELECT count(*) FROM event"), 10);

    constexpr int kSenders = 4, kEach = 100;  // all kept by a store of 500
    std::vector<std::thread> senders;
    std::atomic<int> answered{0};
    for (int s = 0; s < kSenders; ++s)
        senders.emplace_back([s, &answered] { answered += SendTexts(11 + s * kEach, kEach); });
    for (std::thread& sender : senders)
        sender.join();
    EXPECT_EQ(answered, kSenders * kEach) << "each answered once on disk, the reader still reading";
    EXPECT_EQ(QueryInt(reader.get(), "SELECT count(*) FROM event"), 10) << "the reader's snapshot stands";
    CSqliteDb other;
    ASSERT_EQ(OpenSqlite(ArchivePath(home.DataFolder()), true, other), 0);
    EXPECT_EQ(QueryInt(other.get(), "SELECT count(*) FROM event"), 10 + kSenders * kEach);

    EXPECT_EQ(Exec(reader.get(), "COMMIT"), 0);
    EXPECT_EQ(program.Stop(SIGTERM), 0);
    EXPECT_EQ(SavedDescriptions(home.DataFolder()).size(), 10u + kSenders * kEach);
}

// The save under way had its marker committed and its file renamed into
// place; the crash came before the marker of the finished save. The texts
// answered after that save are replayed, not skipped as if the data file
// were someone else's.
TEST(ArchiveRecovery, ADataFileRenamedBeforeItsSaveWasMarkedIsReplayedFromTheSaveUnderWay)
{
    CProgramHome home;
    const std::string folder = home.DataFolder();
    const auto saveUpTo = [&](int last) {
        ResetStore();
        for (int n = 1; n <= last; ++n)
            EXPECT_TRUE(AddMessage(Text(n)));
        EXPECT_EQ(SaveEventFile(folder).kind, FileOutcome::Saved);
        return FingerprintFile(EventFilePath(folder)).value_or(CFileFingerprint{});
    };
    const CFileFingerprint before = saveUpTo(3), after = saveUpTo(5);
    {
        CEventArchiveOptions options;
        options.m_strFolder = folder;
        CEventArchive archive(options);
        for (int n = 1; n <= 7; ++n)
            archive.Append(n, 0, {}, Text(n));
        archive.RecordSave({3, before});
        archive.MarkSaveUnderWay({5, after}, std::chrono::seconds(10));
    }

    ResetStore();
    CSimpleMessage shown;
    ASSERT_EQ(LoadEventFile(shown, folder).kind, FileOutcome::Loaded);
    const CRecoveryOutcome outcome = RecoverUnsavedTexts(folder, after, FileOutcome::Loaded);
    EXPECT_EQ(outcome.m_kind, CRecoveryOutcome::kRecovered) << outcome.m_strReason;
    EXPECT_EQ(outcome.m_nStored, 2u);
    EXPECT_EQ(StoredDescriptions(), (std::vector<std::string>{"Text 1", "Text 2", "Text 3", "Text 4", "Text 5",
                                                              "Text 6", "Text 7"}));
}
