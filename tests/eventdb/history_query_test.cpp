// The History queries over a generated archive of 100,000 events, checked
// against matches counted here in C++ from the generated events themselves.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>

#include "generated_archive.h"
#include "history_pages.h"
#include "history_query.h"
#include "history_reader.h"

namespace {

constexpr int64_t kDay = 86400;

// ---- The rules as the History window states them, written out anew.

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool Contains(const std::string& field, const std::string& part)
{
    return Lower(field).find(Lower(part)) != std::string::npos;
}

// Runs of letters and digits, lower case: the words a search sees.
std::vector<std::string> Words(const std::string& text)
{
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// Each term: a quoted phrase, or a word between spaces; an unpaired quote
// is dropped; terms without letters or digits narrow nothing.
std::vector<std::vector<std::string>> SearchTerms(const std::string& text)
{
    std::vector<std::vector<std::string>> terms;
    const size_t quotes = static_cast<size_t>(std::count(text.begin(), text.end(), '"'));
    size_t used = 0;
    std::string plain;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '"') {
            plain += text[i];
        } else if (used + 2 <= quotes) {
            const size_t close = text.find('"', i + 1);
            terms.push_back(Words(text.substr(i + 1, close - i - 1)));
            used += 2;
            i = close;
            plain += ' ';
        } else {
            plain += ' ';
        }
    }
    std::string piece;
    for (char c : plain + " ") {
        if (!std::isspace(static_cast<unsigned char>(c)))
            piece += c;
        else if (!piece.empty())
            terms.push_back(Words(std::exchange(piece, {})));
    }
    std::erase_if(terms, [](const auto& term) { return term.empty(); });
    return terms;
}

// An event's five searched fields, as words.
using CEventWords = std::array<std::vector<std::string>, 5>;

CEventWords EventWords(const CGeneratedEvent& e)
{
    return {Words(e.description), Words(e.name), Words(e.locking), Words(e.locking_system), Words(e.transponder_name)};
}

// The time a filter's range is held against.
int64_t FilterTime(const CGeneratedEvent& e, const CHistoryFilter& f)
{
    const int64_t from = std::min(f.m_nFrom.value_or(INT64_MIN), f.m_nTo.value_or(INT64_MAX));
    const int64_t to = std::max(f.m_nFrom.value_or(INT64_MIN), f.m_nTo.value_or(INT64_MAX));
    const bool byArrival = f.m_bIncludeRefused && e.event_time == 0 && !(from <= 0 && 0 <= to);
    return byArrival ? e.arrival_ms / 1000 : e.event_time;
}

class CMatcher {
public:
    explicit CMatcher(const CHistoryFilter& f) : m_Filter(f), m_Terms(SearchTerms(f.m_strSearch)) {}

    bool operator()(const CGeneratedEvent& e, const CEventWords& words) const
    {
        const CHistoryFilter& f = m_Filter;
        if (!f.m_bIncludeRefused && e.status != 0)
            return false;
        if (f.m_nFrom || f.m_nTo) {
            const int64_t t = FilterTime(e, f);
            if (t < std::min(f.m_nFrom.value_or(INT64_MIN), f.m_nTo.value_or(INT64_MAX)) ||
                t > std::max(f.m_nFrom.value_or(INT64_MIN), f.m_nTo.value_or(INT64_MAX)))
                return false;
        }
        if ((f.m_nLevels & kHistoryAllLevels) != kHistoryAllLevels &&
            !(e.level >= 0 && e.level < 3 && (f.m_nLevels & (1u << e.level))))
            return false;
        if (!f.m_strLockingContains.empty() && !Contains(e.locking, f.m_strLockingContains))
            return false;
        if (!f.m_strTransponderContains.empty() && !Contains(e.transponder_name, f.m_strTransponderContains))
            return false;
        for (const std::vector<std::string>& phrase : m_Terms) {
            if (std::none_of(words.begin(), words.end(), [&](const std::vector<std::string>& field) {
                    return std::search(field.begin(), field.end(), phrase.begin(), phrase.end()) != field.end();
                }))
                return false;
        }
        return true;
    }

private:
    CHistoryFilter m_Filter;
    std::vector<std::vector<std::string>> m_Terms;
};

// ---- The archive, built once for all tests.

class HistoryQueryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_Events = new std::vector<CGeneratedEvent>(GenerateEvents(100000));
        s_Words = new std::vector<CEventWords>();
        for (const CGeneratedEvent& e : *s_Events)
            s_Words->push_back(EventWords(e));
        // CTest runs each test in a process of its own, several at once.
        s_Path = new std::string((std::filesystem::temp_directory_path() /
                                  ("tellvane-history-test-" + std::to_string(std::random_device()()) + ".sqlite"))
                                     .string());
        ASSERT_EQ(WriteGeneratedArchive(*s_Path, *s_Events), "");
        s_Reader = new CHistoryReader(OpenHistoryReader(*s_Path));
        ASSERT_EQ(s_Reader->m_eResult, EHistoryOpen::Ok) << s_Reader->m_strError;
    }
    static void TearDownTestSuite()
    {
        delete s_Reader;
        RemoveGeneratedArchive(*s_Path);
        delete s_Path;
        delete s_Events;
        delete s_Words;
    }
    static sqlite3* Db() { return s_Reader->m_Db.get(); }

    // The seqs the filter admits, in the list's order.
    static std::vector<int64_t> Expected(const CHistoryFilter& f)
    {
        const CMatcher matches(f);
        std::vector<const CGeneratedEvent*> hits;
        for (size_t i = 0; i < s_Events->size(); ++i)
            if (matches((*s_Events)[i], (*s_Words)[i]))
                hits.push_back(&(*s_Events)[i]);
        auto key = [&](const CGeneratedEvent* e) {
            return std::pair(f.m_eSortKey == EHistorySortKey::Arrival ? e->arrival_ms : e->event_time, e->seq);
        };
        std::sort(hits.begin(), hits.end(), [&](auto* a, auto* b) {
            return f.m_bNewestFirst ? key(a) > key(b) : key(a) < key(b);
        });
        std::vector<int64_t> seqs;
        for (const CGeneratedEvent* e : hits)
            seqs.push_back(e->seq);
        return seqs;
    }

    static std::vector<int64_t> Seqs(const std::vector<CHistoryRow>& rows)
    {
        std::vector<int64_t> seqs;
        for (const CHistoryRow& row : rows)
            seqs.push_back(row.m_nSeq);
        return seqs;
    }

    // The count and the first page agree with the events themselves.
    static void ExpectAgrees(const CHistoryFilter& filter, const std::string& what, sqlite3* db = Db())
    {
        SCOPED_TRACE(what);
        const std::vector<int64_t> expected = Expected(filter);
        CHistoryQuery query(db, filter);
        int64_t count = -1;
        ASSERT_TRUE(query.Count(count).IsOk());
        EXPECT_EQ(count, static_cast<int64_t>(expected.size()));
        std::vector<CHistoryRow> rows;
        const CHistoryStatus status = query.Page(std::nullopt, 500, rows);
        ASSERT_TRUE(status.IsOk()) << status.m_strError;
        EXPECT_EQ(Seqs(rows), std::vector<int64_t>(expected.begin(), expected.begin() + std::min<size_t>(500, expected.size())));
    }

    static inline std::vector<CGeneratedEvent>* s_Events = nullptr;
    static inline std::vector<CEventWords>* s_Words = nullptr;
    static inline std::string* s_Path = nullptr;
    static inline CHistoryReader* s_Reader = nullptr;
};

CHistoryFilter Range(int64_t fromDay, int64_t days)
{
    CHistoryFilter f;
    f.m_nFrom = kGeneratedFirstTime + fromDay * kDay;
    f.m_nTo = *f.m_nFrom + days * kDay - 1;
    return f;
}

TEST_F(HistoryQueryTest, EachFilterAloneAndCombinedAgreesWithTheEvents)
{
    struct {
        const char* what;
        CHistoryFilter filter;
    } cases[] = {{"everything", {}}, {"a month", Range(400, 30)}, {"refused shown", {}}, {"alarms", {}},
                 {"messages and warnings", {}}, {"no level", {}}, {"locking", {}}, {"transponder", {}},
                 {"by arrival, oldest first", {}}, {"From after To", {}},
                 {"a week, alarms, a locking, a key holder", Range(300, 7)},
                 {"refused with a range, by arrival", Range(500, 90)}, {"search with a locking and levels", {}},
                 {"a day of a busy door", Range(600, 1)}, {"years of a busy door", Range(0, 1000)}};
    cases[2].filter.m_bIncludeRefused = true;
    cases[3].filter.m_nLevels = kHistoryAlarms;
    cases[4].filter.m_nLevels = kHistoryMessages | kHistoryWarnings;
    cases[5].filter.m_nLevels = 0;
    cases[6].filter.m_strLockingContains = "door 1";
    cases[7].filter.m_strTransponderContains = "MEIER";
    cases[8].filter.m_eSortKey = EHistorySortKey::Arrival;
    cases[8].filter.m_bNewestFirst = false;
    cases[9].filter.m_nFrom = kGeneratedFirstTime + 90 * kDay;
    cases[9].filter.m_nTo = kGeneratedFirstTime + 60 * kDay;
    cases[10].filter.m_nLevels = kHistoryAlarms | kHistoryWarnings;
    cases[10].filter.m_strLockingContains = "Door";
    cases[10].filter.m_strTransponderContains = "a";
    cases[11].filter.m_bIncludeRefused = true;
    cases[11].filter.m_eSortKey = EHistorySortKey::Arrival;
    cases[12].filter.m_strSearch = "door";
    cases[12].filter.m_strLockingContains = "gate";
    cases[12].filter.m_nLevels = kHistoryWarnings;
    // Door 12 and the ten after it hold some 5,000 events: beyond a few
    // thousand, they lead a count only over a range that holds more.
    cases[13].filter.m_strLockingContains = cases[14].filter.m_strLockingContains = "door 12";
    for (const auto& c : cases)
        ExpectAgrees(c.filter, c.what);

    // The details dialog reads the text itself.
    std::string text;
    ASSERT_TRUE(ReadReceivedText(Db(), 5, text).IsOk());
    EXPECT_THAT(text, ::testing::HasSubstr("," + (*s_Events)[4].description + ","));
    ASSERT_TRUE(ReadReceivedText(Db(), 0, text).IsOk());
    EXPECT_EQ(text, "");
}

TEST_F(HistoryQueryTest, SearchWordsPhrasesAndHostileTextAgreeWithTheEvents)
{
    const char* const searches[] = {
        // Words and phrases, common and rare, in any case.
        "door", "SABOTAGE", "door opened", "\"forced open\"", "\"open forced\"", "clara huber", "key 1005",
        // Full-text syntax, searched as words.
        "\"unpaired door", "door\"", "*", "door*", "-door", "NEAR(door opened)", "door AND opened", "door OR alarm",
        "NOT door", "description:door", "^door", "a\"b\"c", "\"\" \"\"",
        // LIKE and SQL characters, and SQL itself.
        "%", "_", "100%", "Code_42", "C:\\locks\\log", "\\", "(night)", "Mode: manual",
        "Robert'); DROP TABLE event;--", "\"SELECT * FROM event\"", "'", "NEAR hall"};
    for (const std::string search : searches) {
        CHistoryFilter filter;
        filter.m_strSearch = search;
        ExpectAgrees(filter, "search " + search);
    }
    CHistoryFilter zero;
    zero.m_strSearch = std::string("door\0opened", 11);
    ExpectAgrees(zero, "search with a zero byte");
    zero.m_strLockingContains = std::string("Door\0", 5);
    ExpectAgrees(zero, "contains with a zero byte");
    const char* const parts[] = {"%", "_", "50%", "Store_room", "\\", "Back\\door", "'", "\"A\"", "'A'", "Door 1", "*",
                                 "'); DROP", "o'brien \"ben\""};
    for (const char* part : parts) {
        CHistoryFilter filter;
        filter.m_strLockingContains = part;
        ExpectAgrees(filter, std::string("locking contains ") + part);
        filter = {};
        filter.m_strTransponderContains = part;
        ExpectAgrees(filter, std::string("transponder contains ") + part);
    }
}

// An archive made before the name tokens and the refused index were added:
// its lockings have the index that came before their tokens, its
// transponder names neither.
TEST_F(HistoryQueryTest, AnArchiveWithoutTheNewerIndexesGivesTheSameAnswers)
{
    const std::string older = *s_Path + "-older";
    std::filesystem::copy_file(*s_Path, older, std::filesystem::copy_options::overwrite_existing);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(older.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db,
                           "DROP TABLE event_transponder; DROP TABLE transponder_names; DROP INDEX event_refused;"
                           " DROP TABLE event_locking; DROP TABLE locking_names;"
                           " CREATE INDEX event_by_locking ON event(locking, event_time);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    {
        const CHistoryReader reader = OpenHistoryReader(older);
        ASSERT_EQ(reader.m_eResult, EHistoryOpen::Ok);
        CHistoryFilter filter;
        filter.m_strTransponderContains = "key 10";
        filter.m_strLockingContains = "door";
        ExpectAgrees(filter, "older archive", reader.m_Db.get());
    }
    RemoveGeneratedArchive(older);
}

TEST_F(HistoryQueryTest, PagesReturnEveryMatchOnceInOrderWhetherScrolledOrJumpedTo)
{
    CHistoryFilter filters[5];
    filters[1].m_eSortKey = EHistorySortKey::Arrival;
    filters[2].m_bNewestFirst = false;
    filters[2].m_bIncludeRefused = true;
    filters[3].m_strSearch = "door";  // pages from windows of the list, then from the whole set
    filters[4].m_strSearch = "opened";
    filters[4].m_nLevels = kHistoryMessages;
    for (const CHistoryFilter& filter : filters) {
        const std::vector<int64_t> expected = Expected(filter);
        constexpr size_t kPage = 997;  // pages end inside runs of equal times, too
        CHistoryQuery scrolled(Db(), filter);
        std::vector<int64_t> seen;
        std::optional<CHistoryKey> after;
        std::vector<CHistoryRow> rows;
        do {
            ASSERT_TRUE(scrolled.Page(after, kPage, rows).IsOk());
            for (const CHistoryRow& row : rows)
                seen.push_back(row.m_nSeq);
            if (!rows.empty())
                after = scrolled.KeyOf(rows.back());
        } while (rows.size() == kPage);
        EXPECT_EQ(seen, expected);

        CHistoryQuery jumped(Db(), filter);
        CHistoryPages pages(kPage, 2);
        std::vector<CHistoryKey> ends;
        int64_t count = 0;
        ASSERT_TRUE(jumped.PageEnds(kPage, ends, count).IsOk());
        EXPECT_EQ(count, static_cast<int64_t>(expected.size()));
        pages.SetPageEnds(ends);
        for (size_t page : {ends.size(), ends.size() / 2, size_t{0}}) {
            ASSERT_TRUE(pages.StartOf(page, after));
            ASSERT_TRUE(jumped.Page(after, kPage, rows).IsOk());
            const size_t first = page * kPage;
            const size_t last = std::min(first + kPage, expected.size());
            EXPECT_EQ(Seqs(rows), std::vector<int64_t>(expected.begin() + first, expected.begin() + last));
            if (!rows.empty())
                pages.Store(page, rows, jumped.KeyOf(rows.back()));
        }
        // Two pages held: the first and the middle one; the last let go.
        EXPECT_EQ(pages.HeldPages(), 2u);
        EXPECT_EQ(pages.Row(0)->m_nSeq, expected.front());
        EXPECT_EQ(pages.Row(static_cast<int64_t>(ends.size() * kPage)), nullptr);
    }
}

TEST_F(HistoryQueryTest, TimelineCountsAgreeWithTheEvents)
{
    CHistoryFilter filters[4];
    filters[1].m_nLevels = kHistoryAlarms | kHistoryMessages;
    filters[2].m_strSearch = "door";
    filters[2].m_strLockingContains = "1";
    filters[3].m_bIncludeRefused = true;
    filters[3].m_nFrom = kGeneratedFirstTime + 100 * kDay;
    for (CHistoryFilter& filter : filters) {
        CHistoryQuery query(Db(), filter);
        std::optional<std::pair<int64_t, int64_t>> span;
        ASSERT_TRUE(query.EventTimeSpan(span).IsOk());
        ASSERT_TRUE(span);
        const int64_t from = filter.m_nFrom.value_or(span->first);
        std::vector<CTimelineBucket> buckets =
            TimelineBuckets(TimelineEdges(from, span->second, ChooseTimelineUnit(from, span->second)));
        ASSERT_TRUE(query.CountBuckets(buckets).IsOk());
        // Counted over the buckets' whole range, which the timeline uses.
        CHistoryFilter whole = filter;
        whole.m_nFrom = buckets.front().m_nStart;
        whole.m_nTo = buckets.back().m_nEnd - 1;
        const CMatcher matches(whole);
        std::vector<CTimelineBucket> expected = buckets;
        for (CTimelineBucket& bucket : expected)
            bucket.m_nCount = {};
        for (size_t i = 0; i < s_Events->size(); ++i) {
            const CGeneratedEvent& e = (*s_Events)[i];
            if (!matches(e, (*s_Words)[i]))
                continue;
            const int64_t t = FilterTime(e, whole);
            const auto bucket = std::find_if(expected.begin(), expected.end(),
                                             [&](const CTimelineBucket& b) { return b.m_nStart <= t && t < b.m_nEnd; });
            ASSERT_NE(bucket, expected.end()) << e.seq;
            ++bucket->m_nCount[e.level >= 0 && e.level < 3 ? static_cast<size_t>(e.level) : 3];
        }
        for (size_t i = 0; i < buckets.size(); ++i)
            ASSERT_EQ(buckets[i].m_nCount, expected[i].m_nCount) << "bucket " << i;
    }
}

TEST_F(HistoryQueryTest, AnInterruptedQuerySaysSoAndTheConnectionGoesOn)
{
    CHistoryQuery query(Db(), CHistoryFilter{});
    int64_t rows = 0;
    // As the window's thread would, while the stream runs.
    CHistoryStatus status = query.Stream([&](const CHistoryRow&) {
        if (++rows == 100)
            sqlite3_interrupt(Db());
        return true;
    });
    EXPECT_EQ(status.m_eResult, EHistoryResult::Interrupted);
    EXPECT_LT(rows, 1000);

    status = query.Stream([](const CHistoryRow&) { return true; }, [](int64_t done) { return done < 3000; });
    EXPECT_EQ(status.m_eResult, EHistoryResult::Interrupted);

    int64_t count = 0;
    EXPECT_TRUE(query.Count(count).IsOk());
    EXPECT_EQ(count, static_cast<int64_t>(Expected({}).size()));

    // Superseded between two calls: no statement runs, yet the next call stops.
    query.Interrupt();
    std::vector<CHistoryRow> page;
    EXPECT_EQ(query.Page(std::nullopt, 10, page).m_eResult, EHistoryResult::Interrupted);
    CHistoryQuery next(Db(), CHistoryFilter{});
    EXPECT_TRUE(next.Page(std::nullopt, 10, page).IsOk());
    EXPECT_EQ(page.size(), 10u);
}

TEST(HistoryReaderTest, TellsAMissingArchiveFromAnUnreadableOne)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path();
    const std::string unique = std::to_string(std::random_device()());
    const std::string missing = (folder / ("tellvane-history-none-" + unique + ".sqlite")).string();
    std::filesystem::remove(missing);
    EXPECT_EQ(OpenHistoryReader(missing).m_eResult, EHistoryOpen::Missing);
    EXPECT_FALSE(std::filesystem::exists(missing));

    const std::string garbage = (folder / ("tellvane-history-garbage-" + unique + ".sqlite")).string();
    std::ofstream(garbage) << "not a database at all, but long enough to look like a header or two";
    const CHistoryReader reader = OpenHistoryReader(garbage);
    EXPECT_EQ(reader.m_eResult, EHistoryOpen::Unreadable);
    EXPECT_FALSE(reader.m_strError.empty());
    EXPECT_FALSE(reader.m_Db);
    std::filesystem::remove(garbage);
}

}  // namespace
