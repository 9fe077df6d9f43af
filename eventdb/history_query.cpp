#include "history_query.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>

#include "archive_schema.h"
#include "fts_query.h"

// How the statements find their rows. SQLite's planner picks an index from
// the conditions; what it cannot see is decided here:
// - Refused texts are few. Their seqs are read once (through the partial
//   index event_refused) and left out with history_in on seq, which every
//   index entry carries, so a count never reads the rows themselves.
// - "contains" picks the distinct names that contain the text, read once
//   from the name's list (an older archive's index on the name: by a skip
//   scan, one seek per name); their events come through the names' tokens
//   (older: IN over the names), so that a rare door or key costs only its
//   own events.
// - Without statistics the planner takes any index with an equality. Of
//   the level, the locking and the transponder, the one expected to select
//   the fewest events leads (ChooseDriver); a unary + keeps the others'
//   indexes out of the choice.
// - A search's first pages come from a window of the next rows in the
//   list's order (PageFromWindow). Everything else reads the search's
//   matching seqs once: up to kFoundDriveLimit of them, rows are fetched
//   through the full-text index and sorted; beyond that the list walks its
//   order's index and tests each entry with history_in.
// - A page continues after the previous page's last key.

namespace {

// No text in the archive is longer (a text is at most 2028 bytes as
// received, at most three times that in UTF-8), and SQLite refuses LIKE
// patterns beyond 50,000 bytes.
constexpr size_t kLongestContains = 8192;

constexpr const char* kRowColumns =
    "seq, arrival_ms, sender_pid, sender_uid, status, type, level, event_time, transponder,"
    " description, locking, locking_system, transponder_name, name";

void AssignText(std::string& field, sqlite3_stmt* statement, int column)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    field.assign(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(statement, column)));
}

void ReadRow(sqlite3_stmt* s, CHistoryRow& row)
{
    row.m_nSeq = sqlite3_column_int64(s, 0);
    row.m_nArrivalMs = sqlite3_column_int64(s, 1);
    row.m_nSenderPid = sqlite3_column_int64(s, 2);
    row.m_nSenderUid = sqlite3_column_int64(s, 3);
    row.m_nStatus = sqlite3_column_int(s, 4);
    row.m_nType = sqlite3_column_int(s, 5);
    row.m_nLevel = sqlite3_column_int(s, 6);
    row.m_nEventTime = sqlite3_column_int64(s, 7);
    row.m_nTransponder = sqlite3_column_int64(s, 8);
    AssignText(row.m_strDescription, s, 9);
    AssignText(row.m_strLocking, s, 10);
    AssignText(row.m_strLockingSystem, s, 11);
    AssignText(row.m_strTransponderName, s, 12);
    AssignText(row.m_strName, s, 13);
}

// The distinct values of an indexed column, one index seek each.
std::string DistinctValues(const std::string& column)
{
    return "WITH RECURSIVE v(x) AS (SELECT min(" + column + ") FROM event UNION ALL SELECT (SELECT min(" + column +
           ") FROM event WHERE " + column + " > x) FROM v WHERE x IS NOT NULL) SELECT x FROM v WHERE x IS NOT NULL";
}

const char* SortColumn(const CHistoryFilter& filter)
{
    return filter.m_eSortKey == EHistorySortKey::Arrival ? "arrival_ms" : "event_time";
}

std::string OrderBy(const CHistoryFilter& filter)
{
    const std::string direction = filter.m_bNewestFirst ? " DESC" : " ASC";
    return std::string(" ORDER BY ") + SortColumn(filter) + direction + ", seq" + direction;
}

int64_t Milliseconds(int64_t seconds, int64_t extra)
{
    if (seconds <= LLONG_MIN / 1000)
        return LLONG_MIN;
    if (seconds >= LLONG_MAX / 1000)
        return LLONG_MAX;
    return seconds * 1000 + extra;
}

}  // namespace

CHistoryQuery::CHistoryQuery(sqlite3* db, const CHistoryFilter& filter) : m_pDb(db), m_Filter(NormalizedFilter(filter))
{
}

void CHistoryQuery::Interrupt()
{
    m_bInterrupted = true;
    sqlite3_interrupt(m_pDb);
}

CHistoryStatus CHistoryQuery::Run(const CSqlText& sql, const std::function<bool(sqlite3_stmt*)>& onRow)
{
    if (m_bInterrupted)
        return {EHistoryResult::Interrupted, {}};
    return RunSql(m_pDb, sql, onRow);
}

CHistoryKey CHistoryQuery::KeyOf(const CHistoryRow& row) const
{
    return {m_Filter.m_eSortKey == EHistorySortKey::Arrival ? row.m_nArrivalMs : row.m_nEventTime, row.m_nSeq};
}

CHistoryStatus CHistoryQuery::ReadSeqs(const CSqlText& sql, std::optional<CSeqSet>& set)
{
    std::vector<int64_t> seqs;
    CHistoryStatus status = Run(sql, [&](sqlite3_stmt* s) {
        seqs.push_back(sqlite3_column_int64(s, 0));
        return true;
    });
    if (status.IsOk()) {
        std::sort(seqs.begin(), seqs.end());
        set.emplace(std::move(seqs));
    }
    return status;
}

CHistoryStatus CHistoryQuery::HasSchemaEntry(const char* type, const char* name, bool& has)
{
    CSqlText sql;
    sql << "SELECT 1 FROM sqlite_master WHERE name = ";
    sql.Bind(std::string(name)) << " AND type = ";
    sql.Bind(std::string(type));
    has = false;
    return Run(sql, [&](sqlite3_stmt*) { return has = true; });
}

// The names come from the column's list and their rows through its tokens
// where the archive has them; else from the old index on the column.
CHistoryStatus CHistoryQuery::ReadNames(const CKeyedColumn& column, const std::string& text, CNames& names)
{
    if (text.empty())
        return {};
    names.m_pColumn = &column;
    names.m_bActive = true;
    // Texts are archived up to their first zero byte, and SQLite would read
    // the pattern only up to it.
    if (text.size() > kLongestContains || text.find('\0') != std::string::npos)
        return {};
    if (CHistoryStatus status = HasSchemaEntry("table", column.m_pszTokens, names.m_bKeyed); !status.IsOk())
        return status;
    names.m_bIndexed = names.m_bKeyed;
    if (!names.m_bKeyed) {
        if (CHistoryStatus status = HasSchemaEntry("index", column.m_pszOldIndex, names.m_bIndexed); !status.IsOk())
            return status;
    }
    if (!names.m_bIndexed) {
        names.m_strPattern = LikeContainsPattern(text);
        return {};
    }
    CSqlText sql;
    sql << "SELECT x, x LIKE ";
    sql.Bind(LikeContainsPattern(text)) << " ESCAPE '\\' FROM ("
                                        << (names.m_bKeyed ? "SELECT name AS x FROM " + std::string(column.m_pszNames)
                                                           : DistinctValues(column.m_pszColumn))
                                        << ")";
    CHistoryStatus status = Run(sql, [&](sqlite3_stmt* s) {
        ++names.m_nTotal;
        if (sqlite3_column_int(s, 1))
            AssignText(names.m_Matched.emplace_back(), s, 0);
        return true;
    });
    if (!status.IsOk())
        return status;
    // Senders choose the names: thousands of them would be thousands of
    // bound values in every statement, beyond what SQLite takes. The rows
    // are then tested with the pattern that chose the names.
    if (names.m_Matched.size() > kBoundNamesLimit) {
        names.m_Matched.clear();
        names.m_bIndexed = names.m_bKeyed = false;
        names.m_strPattern = LikeContainsPattern(text);
        return status;
    }
    if (!names.m_bKeyed || names.m_Matched.empty())
        return status;
    // A word most names share (as "door" among the lockings) matches most
    // of the archive: its events are tested on the rows that the list reads
    // anyway, cheaper than gathered through hundreds of tokens. Such names
    // never lead.
    if (names.m_Matched.size() > names.m_nTotal / kKeyedNamesShare)
        return status;
    for (const std::string& name : names.m_Matched)
        names.m_strKeyMatch += (names.m_strKeyMatch.empty() ? "" : " OR ") + NameKey(name);
    CSqlText seqs;
    seqs << "SELECT rowid FROM " << column.m_pszTokens << " WHERE " << column.m_pszTokens << " MATCH ";
    seqs.Bind(names.m_strKeyMatch);
    return ReadSeqs(seqs, names.m_Keyed);
}

CHistoryStatus CHistoryQuery::Prepare()
{
    if (m_bPrepared)
        return {};
    if (!m_Filter.m_bIncludeRefused && !m_Refused) {
        CSqlText sql;
        // Unordered, so that the partial index is read rather than the table.
        sql << "SELECT seq FROM event WHERE status <> 0";
        if (CHistoryStatus status = ReadSeqs(sql, m_Refused); !status.IsOk())
            return status;
    }
    m_Lockings = {};
    m_Transponders = {};
    if (CHistoryStatus status = ReadNames(kKeyedLocking, m_Filter.m_strLockingContains, m_Lockings); !status.IsOk())
        return status;
    if (CHistoryStatus status = ReadNames(kKeyedTransponder, m_Filter.m_strTransponderContains, m_Transponders);
        !status.IsOk())
        return status;
    m_strMatch = FtsMatchExpression(m_pDb, m_Filter.m_strSearch);
    m_bPrepared = true;
    return {};
}

CHistoryStatus CHistoryQuery::FindAll()
{
    if (m_Found || m_strMatch.empty())
        return {};
    CSqlText sql;
    sql << "SELECT rowid FROM event_text WHERE event_text MATCH ";
    sql.Bind(m_strMatch);
    return ReadSeqs(sql, m_Found);
}

// Messages are the bulk of any site's events, warnings and alarms a small
// part; a name filter selects about the share of names it matches.
CHistoryQuery::EDriver CHistoryQuery::ChooseDriver() const
{
    EDriver driver = EDriver::Order;
    double share = 1.0;
    const unsigned levels = m_Filter.m_nLevels & kHistoryAllLevels;
    if (levels != kHistoryAllLevels) {
        driver = EDriver::Level;
        share = levels & kHistoryMessages ? 0.9 : 0.1;
    }
    for (auto [names, name] : {std::pair{&m_Lockings, EDriver::Locking}, {&m_Transponders, EDriver::Transponder}}) {
        if (!names->m_bActive || !names->m_bIndexed || (names->m_bKeyed && !names->m_Keyed) ||
            (!m_bCounting && names->m_Keyed && names->m_Keyed->Size() > kKeyedDriveLimit))
            continue;
        const double nameShare =
            names->m_nTotal ? static_cast<double>(names->m_Matched.size()) / static_cast<double>(names->m_nTotal) : 0;
        if (nameShare <= share) {
            driver = name;
            share = nameShare;
        }
    }
    return driver;
}

CHistoryStatus CHistoryQuery::AppendWhere(CSqlText& sql, std::optional<int64_t> from, std::optional<int64_t> to,
                                          bool search)
{
    if (CHistoryStatus status = Prepare(); !status.IsOk())
        return status;
    if (search) {
        if (CHistoryStatus status = FindAll(); !status.IsOk())
            return status;
    }
    sql << " WHERE 1";
    if (from || to) {
        const int64_t a = from.value_or(LLONG_MIN);
        const int64_t b = to.value_or(LLONG_MAX);
        if (m_Filter.m_bIncludeRefused && (a > 0 || b < 0)) {
            // A text refused for want of an event time has 0 there; it is
            // placed by its arrival. The outer bounds keep the index range.
            sql << " AND event_time BETWEEN ";
            sql.Bind(std::min<int64_t>(a, 0)) << " AND ";
            sql.Bind(std::max<int64_t>(b, 0)) << " AND (event_time BETWEEN ";
            sql.Bind(a) << " AND ";
            sql.Bind(b) << " OR (event_time = 0 AND arrival_ms BETWEEN ";
            sql.Bind(Milliseconds(a, 0)) << " AND ";
            sql.Bind(Milliseconds(b, 999)) << "))";
        } else {
            sql << " AND event_time BETWEEN ";
            sql.Bind(a) << " AND ";
            sql.Bind(b);
        }
    }
    const EDriver driver = ChooseDriver();
    const unsigned levels = m_Filter.m_nLevels & kHistoryAllLevels;
    if (levels == 0) {
        sql << " AND 0";
    } else if (levels != kHistoryAllLevels) {
        sql << (driver == EDriver::Level ? " AND level IN (" : " AND +level IN (");
        const char* separator = "";
        for (int level = 0; level < 3; ++level) {
            if (levels & (1u << level)) {
                sql << separator;
                sql.Bind(int64_t{level});
                separator = ", ";
            }
        }
        sql << ")";
    }
    if (m_Refused) {
        sql << " AND NOT history_in(seq, ";
        sql.Bind(&*m_Refused) << ")";
    }
    auto oneOf = [&](const CNames& names, bool leads) {
        if (!names.m_bActive)
            return;
        const char* const column = names.m_pColumn->m_pszColumn;
        const char* const tokens = names.m_pColumn->m_pszTokens;
        if (!names.m_strPattern.empty()) {
            sql << " AND " << column << " LIKE ";
            sql.Bind(names.m_strPattern) << " ESCAPE '\\'";
            return;
        }
        if (names.m_Matched.empty()) {
            sql << " AND 0";
            return;
        }
        if (names.m_Keyed && leads) {
            sql << " AND seq IN (SELECT rowid FROM " << tokens << " WHERE " << tokens << " MATCH ";
            sql.Bind(names.m_strKeyMatch) << ")";
            return;
        }
        if (names.m_Keyed) {
            sql << " AND history_in(seq, ";
            sql.Bind(&*names.m_Keyed) << ")";
            return;
        }
        sql << (leads ? " AND " : " AND +") << column << " IN (";
        for (size_t i = 0; i < names.m_Matched.size(); ++i) {
            sql << (i ? ", " : "");
            sql.Bind(names.m_Matched[i]);
        }
        sql << ")";
    };
    oneOf(m_Lockings, driver == EDriver::Locking);
    oneOf(m_Transponders, driver == EDriver::Transponder);
    if (search && m_Found) {
        if (m_Found->Size() == 0) {
            sql << " AND 0";
        } else if (m_Found->Size() <= kFoundDriveLimit) {
            sql << " AND seq IN (SELECT rowid FROM event_text WHERE event_text MATCH ";
            sql.Bind(m_strMatch) << ")";
        } else {
            sql << " AND history_in(seq, ";
            sql.Bind(&*m_Found) << ")";
        }
    }
    return {};
}

void CHistoryQuery::AppendAfter(CSqlText& sql, const std::optional<CHistoryKey>& after) const
{
    if (!after)
        return;
    // The first condition is the index range; the second only sorts out
    // the rows that share the anchor's sort value.
    const std::string column = SortColumn(m_Filter);
    const bool down = m_Filter.m_bNewestFirst;
    sql << " AND " << column << (down ? " <= " : " >= ");
    sql.Bind(after->m_nSortValue) << " AND (" << column << (down ? " < " : " > ");
    sql.Bind(after->m_nSortValue) << (down ? " OR seq < " : " OR seq > ");
    sql.Bind(after->m_nSeq) << ")";
}

CHistoryStatus CHistoryQuery::Count(int64_t& count)
{
    count = 0;
    CSqlText sql;
    sql << "SELECT count(*) FROM event";
    m_bCounting = true;
    CHistoryStatus where = AppendWhere(sql, m_Filter.m_nFrom, m_Filter.m_nTo);
    m_bCounting = false;
    if (!where.IsOk())
        return where;
    return Run(sql, [&](sqlite3_stmt* s) {
        count = sqlite3_column_int64(s, 0);
        return true;
    });
}

CHistoryStatus CHistoryQuery::Page(const std::optional<CHistoryKey>& after, size_t limit, std::vector<CHistoryRow>& rows)
{
    rows.clear();
    if (CHistoryStatus status = Prepare(); !status.IsOk())
        return status;
    if (!m_strMatch.empty() && !m_Found) {
        bool done = false;
        CHistoryStatus status = PageFromWindow(after, limit, rows, done);
        if (!status.IsOk() || done)
            return status;
    }
    CSqlText sql;
    sql << std::string("SELECT ") + kRowColumns + " FROM event";
    if (CHistoryStatus status = AppendWhere(sql, m_Filter.m_nFrom, m_Filter.m_nTo); !status.IsOk())
        return status;
    AppendAfter(sql, after);
    sql << OrderBy(m_Filter) << " LIMIT ";
    sql.Bind(static_cast<int64_t>(std::min<size_t>(limit, LLONG_MAX)));
    return Run(sql, [&](sqlite3_stmt* s) {
        ReadRow(s, rows.emplace_back());
        return true;
    });
}

// A page of a search from a window of the next rows in the list's order:
// their seqs span a narrow range, for which the full-text index answers at
// once however common the words. Exact, since the window holds every row
// that could come next and each one's match is looked up. Done when the
// window held a page or was all there was; otherwise (rare words) the
// whole set of matches serves better.
CHistoryStatus CHistoryQuery::PageFromWindow(const std::optional<CHistoryKey>& after, size_t limit,
                                             std::vector<CHistoryRow>& rows, bool& done)
{
    for (const int64_t pages : {4, 40}) {
        const int64_t window = pages * static_cast<int64_t>(std::max<size_t>(limit, 1));
        std::vector<int64_t> candidates;
        CSqlText scan;
        scan << "SELECT seq FROM event";
        if (CHistoryStatus status = AppendWhere(scan, m_Filter.m_nFrom, m_Filter.m_nTo, false); !status.IsOk())
            return status;
        AppendAfter(scan, after);
        scan << OrderBy(m_Filter) << " LIMIT ";
        scan.Bind(window);
        CHistoryStatus status = Run(scan, [&](sqlite3_stmt* s) {
            candidates.push_back(sqlite3_column_int64(s, 0));
            return true;
        });
        if (!status.IsOk())
            return status;
        if (candidates.empty()) {
            done = true;
            return {};
        }
        const auto [low, high] = std::minmax_element(candidates.begin(), candidates.end());
        CSqlText search;
        search << "SELECT rowid FROM event_text WHERE event_text MATCH ";
        search.Bind(m_strMatch) << " AND rowid BETWEEN ";
        search.Bind(*low) << " AND ";
        search.Bind(*high);
        std::optional<CSeqSet> found;
        if (status = ReadSeqs(search, found); !status.IsOk())
            return status;
        std::vector<int64_t> chosen;
        for (const int64_t seq : candidates) {
            if (chosen.size() < limit && found->Contains(seq))
                chosen.push_back(seq);
        }
        if (chosen.size() < limit && static_cast<int64_t>(candidates.size()) == window)
            continue;
        done = true;
        return ReadRowsBySeq(chosen, rows);
    }
    return {};
}

CHistoryStatus CHistoryQuery::ReadRowsBySeq(const std::vector<int64_t>& seqs, std::vector<CHistoryRow>& rows)
{
    rows.assign(seqs.size(), CHistoryRow());
    if (seqs.empty())
        return {};
    std::vector<std::pair<int64_t, size_t>> places;
    CSqlText sql;
    sql << std::string("SELECT ") + kRowColumns + " FROM event WHERE seq IN (";
    for (size_t i = 0; i < seqs.size(); ++i) {
        places.emplace_back(seqs[i], i);
        sql << (i ? ", " : "");
        sql.Bind(seqs[i]);
    }
    sql << ")";
    std::sort(places.begin(), places.end());
    const CHistoryStatus status = Run(sql, [&](sqlite3_stmt* s) {
        const std::pair<int64_t, size_t> seq{sqlite3_column_int64(s, 0), 0};
        ReadRow(s, rows[std::lower_bound(places.begin(), places.end(), seq)->second]);
        return true;
    });
    // A row retention removed since its seq was chosen leaves no blank (and
    // no key of 0 for the next page to start after).
    std::erase_if(rows, [](const CHistoryRow& row) { return row.m_nSeq == 0; });
    return status;
}

CHistoryStatus CHistoryQuery::PageEnds(size_t pageSize, std::vector<CHistoryKey>& ends, int64_t& count)
{
    ends.clear();
    count = 0;
    CSqlText sql;
    sql << std::string("SELECT ") + SortColumn(m_Filter) + ", seq FROM event";
    if (CHistoryStatus status = AppendWhere(sql, m_Filter.m_nFrom, m_Filter.m_nTo); !status.IsOk())
        return status;
    sql << OrderBy(m_Filter);
    const int64_t every = static_cast<int64_t>(std::max<size_t>(pageSize, 1));
    return Run(sql, [&](sqlite3_stmt* s) {
        if (++count % every == 0)
            ends.push_back({sqlite3_column_int64(s, 0), sqlite3_column_int64(s, 1)});
        return true;
    });
}

CHistoryStatus CHistoryQuery::Stream(const std::function<bool(const CHistoryRow&)>& onRow,
                                     const std::function<bool(int64_t)>& onProgress)
{
    CSqlText sql;
    sql << std::string("SELECT ") + kRowColumns + " FROM event";
    if (CHistoryStatus status = AppendWhere(sql, m_Filter.m_nFrom, m_Filter.m_nTo); !status.IsOk())
        return status;
    sql << OrderBy(m_Filter);
    CHistoryRow row;
    int64_t done = 0;
    CHistoryStatus status = Run(sql, [&](sqlite3_stmt* s) {
        ReadRow(s, row);
        if (!onRow(row))
            return false;
        return ++done % kStreamProgressRows != 0 || !onProgress || onProgress(done);
    });
    if (status.IsOk() && onProgress && !onProgress(done))
        status.m_eResult = EHistoryResult::Interrupted;
    return status;
}

size_t CHistoryQuery::HeldBytes() const
{
    size_t bytes = (m_Refused ? m_Refused->HeldBytes() : 0) + (m_Found ? m_Found->HeldBytes() : 0);
    for (const CNames* names : {&m_Lockings, &m_Transponders}) {
        bytes += (names->m_Keyed ? names->m_Keyed->HeldBytes() : 0) + names->m_strKeyMatch.capacity();
        for (const std::string& name : names->m_Matched)
            bytes += sizeof name + name.capacity();
    }
    return bytes;
}

CHistoryStatus ReadReceivedText(sqlite3* db, int64_t seq, std::string& text)
{
    text.clear();
    CSqlText sql;
    sql << "SELECT raw FROM event WHERE seq = ";
    sql.Bind(seq);
    return RunSql(db, sql, [&](sqlite3_stmt* s) {
        const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, 0));
        text.assign(bytes ? bytes : "", static_cast<size_t>(sqlite3_column_bytes(s, 0)));
        return true;
    });
}
