#include "archive_reads.h"

#include <sqlite3.h>

#include "archive_open.h"
#include "archive_rows.h"
#include "sqlite_handles.h"

namespace {

// The read-only connection and its one query. A writer holding the file
// for a moment (a checkpoint) is waited for.
bool OpenQuery(const std::string& folder, const char* sql, CSqliteDb& db, CStatement& query, std::string& error)
{
    const int rc = OpenSqlite(ArchivePath(folder), true, db);
    if (rc == SQLITE_OK) {
        sqlite3_busy_timeout(db.get(), 2000);
        if (query.Prepare(db.get(), sql))
            return true;
    }
    error = ArchivePath(folder) + ": " + ErrorText(db.get());
    return false;
}

}  // namespace

std::optional<CSaveMarker> ReadSaveMarker(const std::string& folder, std::string* error, SaveStage stage)
{
    CSqliteDb db;
    CStatement query;
    std::string why;
    const char* const sql = stage == SaveStage::kDone ? "SELECT last_seq, file_size, file_hash FROM saved WHERE id = 1"
                                                      : "SELECT last_seq, file_size, file_hash FROM saving WHERE id = 1";
    if (OpenQuery(folder, sql, db, query, why)) {
        const int rc = query.Step();
        if (rc == SQLITE_ROW)
            return CSaveMarker{query.Int(0), {query.Int(1), static_cast<uint64_t>(query.Int(2))}};
        if (rc == SQLITE_DONE)
            return std::nullopt;
        why = ArchivePath(folder) + ": " + ErrorText(db.get());
    }
    if (error)
        *error = why;
    return std::nullopt;
}

std::optional<int64_t> CountTextsAfter(const std::string& folder, int64_t seq, std::string& error)
{
    CSqliteDb db;
    CStatement query;
    if (!OpenQuery(folder, "SELECT count(*) FROM event WHERE seq > ?1 AND status <> ?2", db, query, error))
        return std::nullopt;
    query.Bind(1, seq).Bind(2, kTextUnanswered);
    if (query.Step() == SQLITE_ROW)
        return query.Int(0);
    error = ArchivePath(folder) + ": " + ErrorText(db.get());
    return std::nullopt;
}

bool ReadTextsAfter(const std::string& folder, int64_t seq, const std::function<void(CArchivedText&&)>& visit,
                    std::string& error)
{
    CSqliteDb db;
    CStatement query;
    if (!OpenQuery(folder,
                   "SELECT seq, arrival_ms, sender_pid, sender_uid, raw, status FROM event WHERE seq > ?1 ORDER BY seq",
                   db, query, error))
        return false;
    query.Bind(1, seq);
    int rc;
    while ((rc = query.Step()) == SQLITE_ROW) {
        CArchivedText text;
        text.m_nSeq = query.Int(0);
        text.m_nArrivalMs = query.Int(1);
        text.m_Sender = {query.Int(2), query.Int(3)};
        text.m_strRaw = query.Blob(4);
        text.m_nStatus = static_cast<int>(query.Int(5));
        visit(std::move(text));
    }
    if (rc == SQLITE_DONE)
        return true;
    error = ArchivePath(folder) + ": " + ErrorText(db.get());
    return false;
}
