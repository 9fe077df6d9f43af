// The History window's queries over the event archive: how many events
// match a filter, pages of them in the list's order, every match for an
// export, and the timeline's counts.
//
// Threads: a CHistoryQuery lives on the thread that owns its connection (the
// window's worker, with a connection from OpenHistoryReader) and is used
// there alone, but for Interrupt, which any thread may call while the query
// exists. sqlite3_interrupt on the connection stops the running statement
// too, but is lost when it falls between two statements of one call.
//
// Each call reads the archive as it is then; events that arrive later
// belong to the next query.
//
// Every value reaches SQLite as a bound parameter; the SQL text holds only
// the program's own words.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive_schema.h"
#include "history_filter.h"
#include "history_status.h"
#include "seq_set.h"
#include "sql_text.h"
#include "timeline.h"

struct sqlite3;

// One row of the History list: every column it shows, and what the details
// dialog needs to find the rest (seq).
struct CHistoryRow {
    int64_t m_nSeq = 0;
    int64_t m_nArrivalMs = 0;  // milliseconds since 1970 UTC
    int64_t m_nSenderPid = -1;
    int64_t m_nSenderUid = -1;
    int m_nStatus = 0;  // 0 stored; else refused (see archive_schema.h)
    int m_nType = 0;
    int m_nLevel = 0;
    int64_t m_nEventTime = 0;  // seconds since 1970 UTC; 0 when the text had none
    int64_t m_nTransponder = 0;
    std::string m_strDescription;
    std::string m_strLocking;
    std::string m_strLockingSystem;
    std::string m_strTransponderName;
    std::string m_strName;
};

// Where a row stands in the list's order: its sort value (event time or
// arrival) and, among equal values, its seq. A page continues after the
// key of the last row before it, so a deep page costs what the first does.
struct CHistoryKey {
    int64_t m_nSortValue = 0;
    int64_t m_nSeq = 0;
    bool operator==(const CHistoryKey&) const = default;
};

// The text of archived event seq as it was received, from which the details
// dialog parses every field of the record; empty when the archive holds no
// such event.
CHistoryStatus ReadReceivedText(sqlite3* db, int64_t seq, std::string& text);

class CHistoryQuery {
public:
    CHistoryQuery(sqlite3* db, const CHistoryFilter& filter);
    CHistoryQuery(const CHistoryQuery&) = delete;
    CHistoryQuery& operator=(const CHistoryQuery&) = delete;

    // Stops the running call and every later one: they return Interrupted.
    // For a newer query that supersedes this one.
    void Interrupt();

    // The filter as read: From and To in order.
    const CHistoryFilter& Filter() const { return m_Filter; }

    CHistoryKey KeyOf(const CHistoryRow& row) const;

    CHistoryStatus Count(int64_t& count);

    // The next up to limit rows after `after` (from the first row when it
    // has no value), in the list's order. rows is replaced.
    CHistoryStatus Page(const std::optional<CHistoryKey>& after, size_t limit, std::vector<CHistoryRow>& rows);

    // One pass over the keys of all matches: their count, and the key of
    // every pageSize-th match (the last row of each full page), with which
    // any page can be fetched directly.
    CHistoryStatus PageEnds(size_t pageSize, std::vector<CHistoryKey>& ends, int64_t& count);

    // Every match in the list's order, one row at a time; the row is reused,
    // so onRow copies what it keeps. onProgress(rows so far) comes every
    // kStreamProgressRows rows and at the end. A callback that returns
    // false stops the stream: Interrupted.
    static constexpr int64_t kStreamProgressRows = 1000;
    CHistoryStatus Stream(const std::function<bool(const CHistoryRow&)>& onRow,
                          const std::function<bool(int64_t)>& onProgress = {});

    // Matches per bucket and level for the timeline. buckets come from
    // TimelineBuckets; their counts are replaced. The filter's time range
    // gives way to the buckets'.
    CHistoryStatus CountBuckets(std::vector<CTimelineBucket>& buckets);

    // The first and last event time in the archive (0 excluded), for an
    // open range such as "Everything"; no value when it holds none.
    CHistoryStatus EventTimeSpan(std::optional<std::pair<int64_t, int64_t>>& span);

    // The full-text and refused sets this query holds, in bytes.
    size_t HeldBytes() const;

private:
    // The distinct names that contain a "contains" text, and how many
    // distinct names there are; or, in an archive without the name's list
    // or index, the LIKE pattern that each row is tested with. Keyed: the
    // names' rows are found through their tokens (an archive's version 3;
    // version 2 has them for transponder names only).
    struct CNames {
        const CKeyedColumn* m_pColumn = nullptr;
        bool m_bActive = false;
        bool m_bIndexed = true;
        bool m_bKeyed = false;
        std::optional<CSeqSet> m_Keyed;  // the matched names' seqs, when keyed
        std::string m_strKeyMatch;       // their tokens, as a full-text query
        std::vector<std::string> m_Matched;
        size_t m_nTotal = 0;
        std::string m_strPattern;
    };
    enum class EDriver { Order, Level, Locking, Transponder };
    // Up to this many, a search's matches are fetched through the
    // full-text index; beyond, tested on the index entries of another.
    static constexpr size_t kFoundDriveLimit = 10000;
    // Up to this many, the events of the matched names are
    // fetched and sorted; beyond, the list walks its order's index and tests
    // each entry, which costs a further page less than sorting them again.
    static constexpr size_t kKeyedDriveLimit = 4000;
    // Names beyond this share of all (a quarter) have their events tested
    // on the rows rather than gathered through their tokens.
    static constexpr size_t kKeyedNamesShare = 4;
    // Beyond this many matched names, rows are tested with the pattern.
    static constexpr size_t kBoundNamesLimit = 1000;

    CHistoryStatus Run(const CSqlText& sql, const std::function<bool(sqlite3_stmt*)>& onRow);
    CHistoryStatus Prepare();
    CHistoryStatus ReadSeqs(const CSqlText& sql, std::optional<CSeqSet>& set);
    CHistoryStatus ReadNames(const CKeyedColumn& column, const std::string& text, CNames& names);
    CHistoryStatus HasSchemaEntry(const char* type, const char* name, bool& has);
    CHistoryStatus FindAll();
    EDriver ChooseDriver() const;
    CHistoryStatus AppendWhere(CSqlText& sql, std::optional<int64_t> from, std::optional<int64_t> to,
                               bool search = true);
    void AppendAfter(CSqlText& sql, const std::optional<CHistoryKey>& after) const;
    CHistoryStatus PageFromWindow(const std::optional<CHistoryKey>& after, size_t limit, std::vector<CHistoryRow>& rows,
                                  bool& done);
    CHistoryStatus ReadRowsBySeq(const std::vector<int64_t>& seqs, std::vector<CHistoryRow>& rows);
    CHistoryStatus CountBucketsFromIndex(std::vector<CTimelineBucket>& buckets, const std::vector<int64_t>& edges);
    CHistoryStatus CountBucketsByRow(std::vector<CTimelineBucket>& buckets, const std::vector<int64_t>& edges);

    sqlite3* m_pDb;
    std::atomic<bool> m_bInterrupted = false;
    CHistoryFilter m_Filter;
    bool m_bPrepared = false;
    std::string m_strMatch;
    std::optional<CSeqSet> m_Refused;
    std::optional<CSeqSet> m_Found;
    CNames m_Lockings;
    CNames m_Transponders;
    bool m_bCounting = false;  // no order to keep: any set may lead
};
