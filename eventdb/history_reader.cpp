#include "history_reader.h"

#include <sqlite3.h>

#include "seq_set.h"

namespace {

// The operating system's "no such file" and, on Windows, "no such folder".
bool IsNoSuchFile(int systemError)
{
    return systemError == 2 || systemError == 3;
}

// The archive's version and its event table, read once so that a file
// that is no archive says so now rather than in the first query.
std::string ArchiveProblem(sqlite3* db)
{
    sqlite3_stmt* statement = nullptr;
    int version = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        version = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    if (version < 1)
        return "not an event archive (user_version " + std::to_string(version) + ")";
    const int checked = sqlite3_prepare_v2(db, "SELECT seq FROM event JOIN event_text ON event_text.rowid = seq LIMIT 0",
                                           -1, &statement, nullptr);
    sqlite3_finalize(statement);
    return checked == SQLITE_OK ? std::string() : sqlite3_errmsg(db);
}

}  // namespace

CHistoryReader OpenHistoryReader(const std::string& path)
{
    CHistoryReader reader;
    const int opened = OpenSqlite(path, true, reader.m_Db);
    sqlite3* const db = reader.m_Db.get();
    if (opened != SQLITE_OK) {
        reader.m_eResult = IsNoSuchFile(sqlite3_system_errno(db)) ? EHistoryOpen::Missing : EHistoryOpen::Unreadable;
        reader.m_strError = db ? sqlite3_errmsg(db) : sqlite3_errstr(opened);
        reader.m_Db.reset();
        return reader;
    }
    // A writer may be checkpointing; a reader waits a moment rather than fail.
    sqlite3_busy_timeout(db, 2000);
    reader.m_strError = ArchiveProblem(db);
    if (reader.m_strError.empty() && RegisterSeqSetFunction(db) != SQLITE_OK)
        reader.m_strError = sqlite3_errmsg(db);
    if (!reader.m_strError.empty()) {
        reader.m_Db.reset();
        return reader;
    }
    reader.m_eResult = EHistoryOpen::Ok;
    return reader;
}
