// The archive as its readers see it: what a row holds, the order and the
// grouping of commits, numbering across restarts, the durable wait, readers
// beside the writer, and retention.
#include <sqlite3.h>

#include <mutex>

#include "archive_fixture.h"
#include "archive_schema.h"
#include "archive_reads.h"
#include "archive_rows.h"

using namespace std::chrono_literals;

TEST_F(ArchiveTest, RowsHoldTheBytesTheFieldsAndTheVerdictInNumberOrder)
{
    // In the 8-bit code page: shown, and searched, as "Tür".
    const std::string latin = "8,1,1299506709,Anna,T\xFC" "r offen,Site 1,T\xFC" "r 12,1,12,7,3,2,65535,0,,5,0,0,0,0,0,0";
    const std::vector<std::string> texts = {
        EventText(1),
        latin,
        "",                                                          // empty: refused
        "4,3,2011.03.07,14:05:09,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key",  // no event time
        "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key,2049,0,1,0,0,0,235",  // bad address
        EventText(1),                                                // the drain finds it a duplicate
    };
    int64_t synchronous = -1;
    {
        CEventArchiveOptions options = Options();
        options.m_onOpened = [&](sqlite3* db) { synchronous = QueryInt(db, "PRAGMA synchronous"); };
        CEventArchive archive(options);
        ASSERT_TRUE(archive.Opened().m_bOpen) << archive.Opened().m_strReason;
        for (size_t i = 0; i < texts.size(); ++i)
            ASSERT_NE(archive.Append(static_cast<int64_t>(i + 1), 1000 + static_cast<int64_t>(i), kSender, texts[i]), 0u);
        archive.MarkRefused(6, kTextDuplicate);
        archive.RecordSave({5, {35510, 0xFEDCBA9876543210ULL}});
        // Stopping commits what waits.
    }
    EXPECT_EQ(synchronous, 1) << "NORMAL unless asked for more";

    CSqliteDb db = Look();
    EXPECT_EQ(QueryInt(db.get(), "PRAGMA auto_vacuum"), 2) << "incremental: set before the first table";
    CStatement mode;
    ASSERT_TRUE(mode.Prepare(db.get(), "PRAGMA journal_mode"));
    ASSERT_EQ(mode.Step(), SQLITE_ROW);
    EXPECT_EQ(mode.Blob(0), "wal");

    CStatement rows;
    ASSERT_TRUE(rows.Prepare(db.get(), "SELECT seq, arrival_ms, sender_pid, sender_uid, raw, status FROM event ORDER BY seq"));
    const int expectedStatus[] = {kTextStored, kTextStored, kTextRefused, kTextRefused, kTextRefused, kTextDuplicate};
    for (size_t i = 0; i < texts.size(); ++i) {
        ASSERT_EQ(rows.Step(), SQLITE_ROW) << "row " << i + 1;
        EXPECT_EQ(rows.Int(0), static_cast<int64_t>(i + 1));
        EXPECT_EQ(rows.Int(1), 1000 + static_cast<int64_t>(i));
        EXPECT_EQ(CPeer({rows.Int(2), rows.Int(3)}), kSender);
        EXPECT_EQ(rows.Blob(4), texts[i]) << "the bytes as received";
        EXPECT_EQ(rows.Int(5), expectedStatus[i]) << "row " << i + 1;
    }
    EXPECT_EQ(rows.Step(), SQLITE_DONE);

    CStatement fields;
    ASSERT_TRUE(fields.Prepare(db.get(), "SELECT version, type, event_time, level, locking_id, transponder,"
                                         " locking, locking_system, transponder_name, description, name"
                                         " FROM event WHERE seq IN (1, 2) ORDER BY seq"));
    ASSERT_EQ(fields.Step(), SQLITE_ROW);
    const int64_t first[] = {8, 3, 1299506710, 0, 12, 4001};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(fields.Int(c), first[c]) << "column " << c;
    const char* firstTexts[] = {"Door 12", "Site 1", "Key 1", "Door opened", "Anna"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(fields.Blob(6 + c), firstTexts[c]);
    ASSERT_EQ(fields.Step(), SQLITE_ROW);
    EXPECT_EQ(fields.Int(3), 2) << "level";
    EXPECT_EQ(fields.Blob(6), "T\xC3\xBCr 12") << "texts as shown, in UTF-8";
    EXPECT_EQ(fields.Blob(9), "T\xC3\xBCr offen");

    EXPECT_EQ(Column(db.get(), "SELECT rowid FROM event_text WHERE event_text MATCH 't\xC3\xBCr'"),
              std::vector<int64_t>{2});
    EXPECT_EQ(Column(db.get(), "SELECT rowid FROM event_text WHERE event_text MATCH 'transponder_name:key'"),
              (std::vector<int64_t>{1, 4, 5, 6}));

    std::string error;
    EXPECT_EQ(ReadSaveMarker(m_folder.Path(), &error), (CSaveMarker{5, {35510, 0xFEDCBA9876543210ULL}})) << error;
    std::vector<CArchivedText> after;
    ASSERT_TRUE(ReadTextsAfter(m_folder.Path(), 4, [&](CArchivedText&& text) { after.push_back(std::move(text)); },
                               error))
        << error;
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].m_nSeq, 5);
    EXPECT_EQ(after[1].m_strRaw, texts[5]);
    EXPECT_EQ(after[1].m_Sender, kSender);
    EXPECT_EQ(after[1].m_nStatus, kTextDuplicate);
}

TEST_F(ArchiveTest, ALoneTextIsCommittedWithoutWaitingForABatch)
{
    CEventArchive archive(Options());
    ASSERT_NE(archive.Append(1, ArchiveNowMs(), kSender, EventText(1)), 0u);
    EXPECT_TRUE(WaitUntil([&] { return archive.Stats().m_nCommittedTexts == 1; }));
}

TEST_F(ArchiveTest, NumbersGoOnAfterTheHighestEverUsed)
{
    {
        CEventArchive archive(Options());
        EXPECT_EQ(archive.Opened().m_nHighestSeq, 0);
        for (int64_t seq = 1; seq <= 7; ++seq)
            archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq)));
        archive.RecordSave({7, {}});
    }
    const auto highestAtOpen = [this] { return CEventArchive(Options()).Opened().m_nHighestSeq; };
    EXPECT_EQ(highestAtOpen(), 7);
    // Rows removed (by retention), the save marker still remembers 7.
    EXPECT_EQ(Exec(Look().get(), "DELETE FROM event WHERE seq > 5"), SQLITE_OK);
    EXPECT_EQ(highestAtOpen(), 7);
    EXPECT_EQ(Exec(Look().get(), "DELETE FROM saved"), SQLITE_OK);
    EXPECT_EQ(highestAtOpen(), 5);
}

// An archive of version 1 has its transponder names and lockings in indexes
// (the first ones had no index of refused texts); opened, it is upgraded in
// place through version 2, and its old texts are found by either name as
// new ones are.
TEST_F(ArchiveTest, AVersionOneArchiveIsUpgradedAndFindsOldAndNewTextsByName)
{
    const auto door = [](int64_t seq) { return "Door " + std::to_string(seq % 2); };
    {
        CEventArchive archive(Options());
        for (int64_t seq = 1; seq <= 6; ++seq)
            archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq % 3), door(seq)));
    }
    // What version 1 made.
    ASSERT_EQ(Exec(Look().get(), "DROP TABLE event_transponder; DROP TABLE transponder_names; DROP TABLE saving;"
                                 " DROP TABLE event_locking; DROP TABLE locking_names; DROP INDEX event_refused;"
                                 " CREATE INDEX event_by_transponder ON event(transponder_name, event_time);"
                                 " CREATE INDEX event_by_locking ON event(locking, event_time);"
                                 " PRAGMA user_version = 1"),
              SQLITE_OK);
    {
        CEventArchive archive(Options());
        ASSERT_TRUE(archive.Opened().m_bOpen) << archive.Opened().m_strReason;
        EXPECT_EQ(archive.Opened().m_nHighestSeq, 6);
        archive.Append(7, ArchiveNowMs(), kSender, EventText(1, door(7)));
        archive.Append(8, ArchiveNowMs(), kSender, EventText(9, "Gate"));
    }
    CSqliteDb db = Look();
    EXPECT_EQ(QueryInt(db.get(), "PRAGMA user_version"), 3);
    EXPECT_EQ(QueryInt(db.get(), "SELECT count(*) FROM sqlite_master WHERE name LIKE 'event_by_%ing'"), 0);
    EXPECT_EQ(QueryInt(db.get(), "SELECT count(*) FROM sqlite_master WHERE name = 'event_refused'"), 1);
    const auto byKey = [&](const char* tokens, const std::string& name) {
        const std::string sql = std::string("SELECT rowid FROM ") + tokens + " WHERE " + tokens + " MATCH '" +
                                NameKey(name) + "' ORDER BY rowid";
        return Column(db.get(), sql.c_str());
    };
    EXPECT_EQ(byKey("event_transponder", "Key 1"), (std::vector<int64_t>{1, 4, 7}));
    EXPECT_EQ(byKey("event_locking", "Door 1"), (std::vector<int64_t>{1, 3, 5, 7}));
    EXPECT_EQ(Column(db.get(), "SELECT count(*) FROM transponder_names"), (std::vector<int64_t>{4}));
    EXPECT_EQ(Column(db.get(), "SELECT count(*) FROM locking_names"), (std::vector<int64_t>{3}));
    for (const char* tokens : {"event_transponder", "event_locking"}) {
        const std::string check = std::string("INSERT INTO ") + tokens + "(" + tokens + ") VALUES('integrity-check')";
        EXPECT_EQ(Exec(db.get(), check.c_str()), SQLITE_OK) << tokens;
    }
}

// A save's marker goes ahead of a backlog of texts: the save waits one
// commit for it, not for every text queued before it.
TEST_F(ArchiveTest, TheMarkerOfASaveUnderWayIsCommittedAheadOfTheQueuedTexts)
{
    CEventArchive archive(Options());
    constexpr int kQueued = 90000;
    for (int seq = 1; seq <= kQueued; ++seq)
        archive.Append(seq, ArchiveNowMs(), kSender, EventText(seq));
    ASSERT_TRUE(archive.MarkSaveUnderWay({kQueued, {35510, 42}}, 60s));
    EXPECT_LT(archive.Stats().m_nCommittedTexts, static_cast<uint64_t>(kQueued));
    std::string error;
    const std::optional<CSaveMarker> marker = ReadSaveMarker(m_folder.Path(), &error, SaveStage::kUnderWay);
    ASSERT_TRUE(marker) << error;
    EXPECT_EQ(marker->m_nLastSeq, kQueued);
}

TEST_F(ArchiveTest, ADurableWaitReturnsOnceTheTextIsOnDisk)
{
    CEventArchiveOptions options = Options();
    options.m_bFullSync = true;
    int64_t synchronous = -1;
    options.m_onOpened = [&](sqlite3* db) { synchronous = QueryInt(db, "PRAGMA synchronous"); };
    CEventArchive archive(options);
    EXPECT_EQ(synchronous, 2) << "FULL";
    CSqliteDb db = Look();
    // Numbers need not come in order: the wait is for the text itself.
    for (const int64_t seq : {3, 1, 2}) {
        const uint64_t ticket = archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq)));
        ASSERT_TRUE(archive.WaitCommitted(ticket, 10s));
        const std::string row = "SELECT count(*) FROM event WHERE seq = " + std::to_string(seq);
        EXPECT_EQ(QueryInt(db.get(), row.c_str()), 1) << "committed when the wait returns";
    }
}

TEST_F(ArchiveTest, AReaderHoldingItsSnapshotDoesNotStallTheWriter)
{
    CEventArchive archive(Options());
    for (int64_t seq = 1; seq <= 10; ++seq)
        archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq)));
    ASSERT_TRUE(archive.Flush(10s));

    CSqliteDb reader = Look();
    ASSERT_EQ(Exec(reader.get(), "BEGIN"), SQLITE_OK);
    EXPECT_EQ(QueryInt(reader.get(), "SELECT count(*) FROM event"), 10);
    for (int64_t seq = 11; seq <= 3010; ++seq)
        archive.Append(seq, ArchiveNowMs(), kSender, EventText(static_cast<int>(seq)));
    EXPECT_TRUE(archive.Flush(10s)) << "the writer must not wait for the reader";
    EXPECT_FALSE(archive.Stats().m_bFailing);
    EXPECT_EQ(QueryInt(reader.get(), "SELECT count(*) FROM event"), 10) << "the reader keeps its snapshot";
    ASSERT_EQ(Exec(reader.get(), "COMMIT"), SQLITE_OK);
    EXPECT_EQ(QueryInt(reader.get(), "SELECT count(*) FROM event"), 3010);
}

TEST_F(ArchiveTest, RetentionRemovesExactlyTheTextsThatArrivedBeforeTheKeptDays)
{
    constexpr int64_t kDay = 86400000;
    const int64_t now = ArchiveNowMs();
    // More old rows than one batch removes, then the edges of one day.
    std::vector<int64_t> arrivals;
    for (int i = 0; i < 1200; ++i)
        arrivals.push_back(now - 400 * kDay + i);
    for (const int64_t arrival : {now - kDay - 60000, now - kDay + 60000, now})
        arrivals.push_back(arrival);
    {
        CEventArchive archive(Options());
        for (size_t i = 0; i < arrivals.size(); ++i)
            archive.Append(static_cast<int64_t>(i + 1), arrivals[i], kSender, EventText(static_cast<int>(i)));
    }
    CEventArchiveOptions options = Options();
    options.m_nKeepDays = 1;
    CEventArchive archive(options);
    ASSERT_TRUE(WaitUntil([&] { return archive.Stats().m_nRetentionPasses >= 1; }));
    EXPECT_EQ(archive.Stats().m_nDeletedOld, 1201u);

    CSqliteDb db = Look();
    EXPECT_EQ(Column(db.get(), "SELECT seq FROM event ORDER BY seq"), (std::vector<int64_t>{1202, 1203}));
    EXPECT_EQ(Column(db.get(), "SELECT rowid FROM event_text WHERE event_text MATCH 'door' ORDER BY rowid"),
              (std::vector<int64_t>{1202, 1203}));
    EXPECT_EQ(Exec(db.get(), "INSERT INTO event_text(event_text) VALUES('integrity-check')"), SQLITE_OK)
        << sqlite3_errmsg(db.get());
    for (const char* tokens : {"event_transponder", "event_locking"}) {
        const std::string all = std::string("SELECT rowid FROM ") + tokens + " WHERE " + tokens + " MATCH 'x*' ORDER BY rowid";
        EXPECT_EQ(Column(db.get(), all.c_str()), (std::vector<int64_t>{1202, 1203})) << tokens;
    }
}

// Texts after the last save are replayed from the archive at the next start,
// which retention, running from the writer's start, must not forestall.
TEST_F(ArchiveTest, RetentionKeepsOldTextsTheLastSaveDidNotCover)
{
    const int64_t old = ArchiveNowMs() - int64_t{400} * 86400000;
    {
        CEventArchive archive(Options());
        for (int seq = 1; seq <= 4; ++seq)
            archive.Append(seq, old + seq, kSender, EventText(seq));
        archive.RecordSave({2, {}});
    }
    CEventArchiveOptions options = Options();
    options.m_nKeepDays = 1;
    CEventArchive archive(options);
    ASSERT_TRUE(WaitUntil([&] { return archive.Stats().m_nRetentionPasses >= 1; }));
    EXPECT_EQ(Column(Look().get(), "SELECT seq FROM event ORDER BY seq"), (std::vector<int64_t>{3, 4}));
}
