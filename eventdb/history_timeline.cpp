// The timeline's counts, from the same filter as the list.
#include <sqlite3.h>

#include <algorithm>

#include "history_query.h"

namespace {

size_t LevelSlot(int64_t level)
{
    return level >= 0 && level < 3 ? static_cast<size_t>(level) : kTimelineLevels - 1;
}

// The bucket that holds t, or buckets.size() when none does.
size_t BucketOf(const std::vector<int64_t>& edges, int64_t t)
{
    const auto edge = std::upper_bound(edges.begin(), edges.end(), t);
    if (edge == edges.begin() || edge == edges.end())
        return edges.size();
    return static_cast<size_t>(edge - edges.begin()) - 1;
}

const std::string kDistinctLevels =
    "WITH RECURSIVE v(x) AS (SELECT min(level) FROM event UNION ALL SELECT (SELECT min(level) FROM event"
    " WHERE level > x) FROM v WHERE x IS NOT NULL) SELECT x FROM v WHERE x IS NOT NULL";

}  // namespace

CHistoryStatus CHistoryQuery::CountBuckets(std::vector<CTimelineBucket>& buckets)
{
    for (CTimelineBucket& bucket : buckets)
        bucket.m_nCount = {};
    if (buckets.empty())
        return {};
    std::vector<int64_t> edges;
    for (const CTimelineBucket& bucket : buckets)
        edges.push_back(bucket.m_nStart);
    edges.push_back(buckets.back().m_nEnd);
    if (CHistoryStatus status = Prepare(); !status.IsOk())
        return status;
    if (m_strMatch.empty() && !m_Lockings.m_bActive && !m_Transponders.m_bActive)
        return CountBucketsFromIndex(buckets, edges);
    return CountBucketsByRow(buckets, edges);
}

// Time and level alone: each bucket's count of a message, warning or alarm
// level is a range of the level index, which SQLite counts without handing
// out a row; events of any other level (senders choose it, a flood may bring
// thousands of them) are read once, as are the refused texts (few) to take
// out, or those without an event time to add.
CHistoryStatus CHistoryQuery::CountBucketsFromIndex(std::vector<CTimelineBucket>& buckets,
                                                    const std::vector<int64_t>& edges)
{
    std::vector<int64_t> levels;
    const unsigned mask = m_Filter.m_nLevels & kHistoryAllLevels;
    const bool anyLevel = mask == kHistoryAllLevels;
    for (int64_t level = 0; level < 3; ++level)
        if (anyLevel || (mask & (1u << level)))
            levels.push_back(level);
    auto admits = [&](int64_t level) { return anyLevel || (level >= 0 && level < 3 && (mask & (1u << level))); };

    CSqlStatement count(m_pDb, "SELECT count(*) FROM event WHERE level = ? AND event_time >= ? AND event_time < ?");
    for (const int64_t level : levels) {
        for (size_t i = 0; i < buckets.size(); ++i) {
            if (m_bInterrupted)
                return {EHistoryResult::Interrupted, {}};
            CHistoryStatus status = count.Run({level, edges[i], edges[i + 1]}, [&](sqlite3_stmt* s) {
                buckets[i].m_nCount[LevelSlot(level)] += sqlite3_column_int64(s, 0);
                return true;
            });
            if (!status.IsOk())
                return status;
        }
    }
    auto adjust = [&](const char* text, int64_t from, int64_t to, int64_t sign) {
        CSqlText sql;
        sql << text;
        sql.Bind(from) << " AND ";
        sql.Bind(to);
        return Run(sql, [&](sqlite3_stmt* s) {
            const int64_t level = sqlite3_column_int64(s, 1);
            const size_t bucket = BucketOf(edges, sqlite3_column_int64(s, 0));
            if (bucket < buckets.size() && admits(level))
                buckets[bucket].m_nCount[LevelSlot(level)] += sign;
            return true;
        });
    };
    if (anyLevel) {
        CHistoryStatus status = adjust("SELECT event_time, level FROM event WHERE (level < 0 OR level > 2)"
                                       " AND event_time BETWEEN ",
                                       edges.front(), edges.back() - 1, +1);
        if (!status.IsOk())
            return status;
    }
    if (m_Refused)
        return adjust("SELECT event_time, level FROM event WHERE status <> 0 AND event_time BETWEEN ", edges.front(),
                      edges.back() - 1, -1);
    if (edges.front() > 0 || edges.back() <= 0)
        return adjust("SELECT arrival_ms / 1000, level FROM event WHERE event_time = 0 AND arrival_ms BETWEEN ",
                      edges.front() * 1000, edges.back() * 1000 - 1, +1);
    return {};
}

// A search or a name: the matching events one by one, from the narrowest
// index; a common word's matches are tested from the level index entries.
CHistoryStatus CHistoryQuery::CountBucketsByRow(std::vector<CTimelineBucket>& buckets, const std::vector<int64_t>& edges)
{
    if (CHistoryStatus status = FindAll(); !status.IsOk())
        return status;
    bool byLevel = !m_Lockings.m_bActive && !m_Transponders.m_bActive && m_Found && m_Found->Size() > kFoundDriveLimit;
    // Named only where it is: an index changes how fast, never whether.
    if (byLevel) {
        if (CHistoryStatus status = HasSchemaEntry("index", "event_by_level", byLevel); !status.IsOk())
            return status;
    }
    CSqlText sql;
    sql << (m_Filter.m_bIncludeRefused ? "SELECT CASE WHEN event_time = 0 THEN arrival_ms / 1000 ELSE event_time END"
                                       : "SELECT event_time");
    sql << std::string(", level FROM event") + (byLevel ? " INDEXED BY event_by_level" : "");
    if (CHistoryStatus status = AppendWhere(sql, edges.front(), edges.back() - 1); !status.IsOk())
        return status;
    if (byLevel && (m_Filter.m_nLevels & kHistoryAllLevels) == kHistoryAllLevels)
        sql << " AND level IN (" << kDistinctLevels << ")";
    return Run(sql, [&](sqlite3_stmt* s) {
        const size_t bucket = BucketOf(edges, sqlite3_column_int64(s, 0));
        if (bucket < buckets.size())
            ++buckets[bucket].m_nCount[LevelSlot(sqlite3_column_int64(s, 1))];
        return true;
    });
}

CHistoryStatus CHistoryQuery::EventTimeSpan(std::optional<std::pair<int64_t, int64_t>>& span)
{
    span.reset();
    // Each a seek in the time index; 0 (no event time) is no time.
    CSqlText sql;
    sql << "SELECT coalesce((SELECT min(event_time) FROM event WHERE event_time < 0),"
           " (SELECT min(event_time) FROM event WHERE event_time > 0)),"
           " coalesce((SELECT max(event_time) FROM event WHERE event_time > 0),"
           " (SELECT max(event_time) FROM event WHERE event_time < 0))";
    return Run(sql, [&](sqlite3_stmt* s) {
        if (sqlite3_column_type(s, 0) != SQLITE_NULL)
            span.emplace(sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1));
        return true;
    });
}
