// A broken archive costs the archive, never intake: damaged files are set
// aside and kept, failed commits keep their texts and are tried again, an
// archive that cannot be made is tried again later, and what does not fit
// meanwhile is counted and told.
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <numeric>

#include "archive_fixture.h"

using namespace std::chrono_literals;

namespace {

// The reports of the writer's thread, for the test's.
class CReports {
public:
    std::function<void(const CArchiveReport&)> Sink()
    {
        return [this](const CArchiveReport& report) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_reports.push_back(report);
        };
    }
    std::vector<CArchiveReport::Kind> Kinds() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<CArchiveReport::Kind> kinds;
        for (const CArchiveReport& report : m_reports)
            kinds.push_back(report.m_kind);
        return kinds;
    }
    CArchiveReport Last() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_reports.empty() ? CArchiveReport() : m_reports.back();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<CArchiveReport> m_reports;
};

const std::string kJunk(8192, 'x');

}  // namespace

TEST_F(ArchiveTest, ADamagedArchiveIsSetAsideAndKeptAndANewOneMade)
{
    WriteFile(ArchiveFile(), kJunk);
    WriteFile(ArchiveFile() + "-wal", "its log");
    {
        CEventArchive archive(Options());
        ASSERT_TRUE(archive.Opened().m_bOpen) << archive.Opened().m_strReason;
        EXPECT_EQ(archive.Opened().m_strSetAside, ArchiveFile() + ".damaged");
        ASSERT_TRUE(archive.WaitCommitted(archive.Append(1, ArchiveNowMs(), kSender, EventText(1)), 10s));
    }
    EXPECT_EQ(ReadFile(ArchiveFile() + ".damaged"), kJunk);
    EXPECT_EQ(ReadFile(ArchiveFile() + ".damaged-wal"), "its log") << "the log goes with its archive";
    EXPECT_EQ(QueryInt(Look().get(), "SELECT count(*) FROM event"), 1);

    WriteFile(ArchiveFile(), kJunk + "again");
    std::filesystem::remove(ArchiveFile() + "-wal");
    CEventArchive again(Options());
    EXPECT_EQ(again.Opened().m_strSetAside, ArchiveFile() + ".damaged.1");
    EXPECT_EQ(ReadFile(ArchiveFile() + ".damaged"), kJunk) << "an earlier one is never replaced";
    EXPECT_EQ(ReadFile(ArchiveFile() + ".damaged.1"), kJunk + "again");
    EXPECT_TRUE(again.Opened().m_bOpen);
}

// SQLite's own size limit on the writer's connection stands in for a full
// disk; room comes back when another connection drops a filler table.
TEST_F(ArchiveTest, AFailedCommitKeepsItsTextsAndIsTriedAgainUntilThereIsRoom)
{
    { CEventArchive make(Options()); }
    CSqliteDb filler = Look();
    ASSERT_EQ(Exec(filler.get(), "CREATE TABLE filler(b); INSERT INTO filler VALUES(zeroblob(1000000))"), SQLITE_OK);

    CReports reports;
    CEventArchiveOptions options = Options();
    options.m_onReport = reports.Sink();
    options.m_RetryWaitMax = 100ms;
    options.m_onOpened = [](sqlite3* db) {
        const std::string full = "PRAGMA max_page_count = " + std::to_string(QueryInt(db, "PRAGMA page_count"));
        Exec(db, full.c_str());
    };
    CEventArchive archive(options);
    uint64_t first = 0;
    for (int64_t seq = 1; seq <= 300; ++seq) {
        const uint64_t ticket = archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq)));
        ASSERT_NE(ticket, 0u);
        first = first ? first : ticket;
    }
    ASSERT_TRUE(WaitUntil([&] { return archive.Stats().m_bFailing; }));
    EXPECT_EQ(reports.Last().m_kind, CArchiveReport::kFailing);
    EXPECT_NE(reports.Last().m_strText.find("full"), std::string::npos) << reports.Last().m_strText;
    EXPECT_FALSE(archive.WaitCommitted(first, 10s)) << "no waiting on a failing archive";

    ASSERT_EQ(Exec(filler.get(), "DROP TABLE filler; PRAGMA incremental_vacuum"), SQLITE_OK)
        << sqlite3_errmsg(filler.get());
    ASSERT_TRUE(archive.Flush(10s));
    // Reports come after the commit, from the writer's thread.
    EXPECT_TRUE(WaitUntil([&] { return reports.Kinds().size() >= 2; }));
    EXPECT_EQ(reports.Kinds(), (std::vector{CArchiveReport::kFailing, CArchiveReport::kWorking}));
    std::vector<int64_t> expected(300);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(Column(Look().get(), "SELECT seq FROM event ORDER BY seq"), expected) << "nothing lost, in order";
}

TEST_F(ArchiveTest, AnArchiveThatCannotBeMadeIsTriedAgainAndWhatDidNotFitIsTold)
{
    const std::string blocker = m_folder / "Tellvane";
    WriteFile(blocker, "a file where the folder should be");
    CReports reports;
    CEventArchiveOptions options = Options();
    options.m_strFolder = blocker;
    options.m_onReport = reports.Sink();
    options.m_ReopenWait = 50ms;
    options.m_nQueueLimit = 2500;
    CEventArchive archive(options);
    EXPECT_FALSE(archive.Opened().m_bOpen);
    EXPECT_NE(archive.Opened().m_strReason.find(blocker), std::string::npos) << archive.Opened().m_strReason;

    std::vector<uint64_t> tickets;
    for (int64_t seq = 1; seq <= 2600; ++seq)
        tickets.push_back(archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq))));
    EXPECT_EQ(std::count(tickets.begin(), tickets.end(), 0u), 100) << "the last 100 find no room";
    EXPECT_EQ(tickets[2499], 2500u);
    EXPECT_EQ(archive.Stats().m_nDropped, 100u);
    EXPECT_FALSE(archive.WaitCommitted(tickets[0], 10s));

    std::filesystem::remove(blocker);
    ASSERT_TRUE(WaitUntil([&] { return archive.Stats().m_nCommittedTexts == 2500; }));
    const CEventArchiveStats stats = archive.Stats();
    EXPECT_LE(stats.m_nLargestCommit, kArchiveBatchLimit) << "what waited goes in batches";
    EXPECT_GE(stats.m_nCommits, 3u);
    // The failure at the start is told by Opened(), what changed since here.
    ASSERT_TRUE(WaitUntil([&] { return reports.Kinds().size() >= 2; }));
    EXPECT_EQ(reports.Kinds(), (std::vector{CArchiveReport::kWorking, CArchiveReport::kDropped}));
    EXPECT_EQ(reports.Last().m_nDropped, 100u) << "told once, as one count";
}

// A first opening that fails, not for damage (a folder where the file should
// be, as it could fail for a full disk or a held lock), has the run count
// from 1; the earlier archive that turns up later must not be taken over, or
// its old rows would stand in for the new texts of the same numbers, silently.
TEST_F(ArchiveTest, AnArchiveFoundOnlyAfterAFailedStartIsSetAsideNotTakenOver)
{
    CEventArchiveOptions earlier = Options();
    earlier.m_strFolder = m_folder / "earlier";
    {
        CEventArchive archive(earlier);
        for (int seq = 1; seq <= 5; ++seq)
            archive.Append(seq, ArchiveNowMs(), kSender, EventText(seq));
    }
    std::filesystem::create_directory(ArchiveFile());
    CReports reports;
    CEventArchiveOptions options = Options();
    options.m_onReport = reports.Sink();
    options.m_ReopenWait = 1s;
    CEventArchive archive(options);
    ASSERT_FALSE(archive.Opened().m_bOpen);
    std::filesystem::remove(ArchiveFile());
    std::filesystem::rename(ArchivePath(earlier.m_strFolder), ArchiveFile());
    ASSERT_TRUE(WaitUntil([&] { return !reports.Kinds().empty(); }));

    ASSERT_TRUE(archive.WaitCommitted(archive.Append(1, ArchiveNowMs(), kSender, EventText(100)), 10s));
    EXPECT_EQ(reports.Kinds().front(), CArchiveReport::kSetAside);
    EXPECT_EQ(Column(Look().get(), "SELECT event_time FROM event"), std::vector<int64_t>{1299506709 + 100});
}

// A verdict on a text that waits must not be lost to a full queue: the text
// would be kept as stored, and replayed into the data file after a crash.
TEST_F(ArchiveTest, AVerdictIsKeptWhenTheQueueIsFull)
{
    std::filesystem::create_directory(ArchiveFile());
    CEventArchiveOptions options = Options();
    options.m_ReopenWait = 1s;
    options.m_nQueueLimit = 3;
    CEventArchive archive(options);
    ASSERT_FALSE(archive.Opened().m_bOpen);
    for (int seq = 1; seq <= 3; ++seq)
        ASSERT_NE(archive.Append(seq, ArchiveNowMs(), kSender, EventText(seq)), 0u);
    archive.MarkRefused(3, kTextUnanswered);
    std::filesystem::remove(ArchiveFile());
    ASSERT_TRUE(archive.Flush(10s));
    EXPECT_EQ(Column(Look().get(), "SELECT status FROM event ORDER BY seq"),
              (std::vector<int64_t>{kTextStored, kTextStored, kTextUnanswered}));
}
