#include "sqlite_handles.h"

#include <sqlite3.h>

#include "sqlite_platform.h"
#include "system_error.h"

void CSqliteClose::operator()(sqlite3* db) const { sqlite3_close_v2(db); }

int OpenSqlite(const std::string& path, bool readOnly, CSqliteDb& db)
{
    // SQLite counts its memory under a process-wide lock, on every allocation
    // of every batch; nothing here reads the count. Only possible before
    // SQLite's first use, which this is in a program that uses it here alone.
    static const int unused = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    (void)unused;
    // NOMUTEX: each connection lives on one thread at a time, so SQLite's
    // own locking of it would only cost.
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) |
                      SQLITE_OPEN_NOMUTEX;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(SqliteFileName(path).c_str(), &raw, flags, nullptr);
    db.reset(raw);
    if (raw)
        sqlite3_extended_result_codes(raw, 1);
    return rc;
}

void CStatement::CFinalize::operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }

bool CStatement::Prepare(sqlite3* db, std::string_view sql)
{
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &raw,
                                      nullptr);
    m_pStatement.reset(raw);
    return rc == SQLITE_OK && raw;
}

CStatement& CStatement::Bind(int index, int64_t value)
{
    sqlite3_bind_int64(m_pStatement.get(), index, value);
    return *this;
}

CStatement& CStatement::BindText(int index, std::string_view text)
{
    // A null pointer would bind NULL; an empty text is still a text.
    const char* bytes = text.data() ? text.data() : "";
    sqlite3_bind_text(m_pStatement.get(), index, bytes, static_cast<int>(text.size()), SQLITE_STATIC);
    return *this;
}

CStatement& CStatement::BindBlob(int index, std::string_view bytes)
{
    // A zero-length blob, not NULL: raw is NOT NULL and an empty text is one.
    if (bytes.empty())
        sqlite3_bind_zeroblob(m_pStatement.get(), index, 0);
    else
        sqlite3_bind_blob(m_pStatement.get(), index, bytes.data(), static_cast<int>(bytes.size()), SQLITE_STATIC);
    return *this;
}

int CStatement::Step() { return sqlite3_step(m_pStatement.get()); }

int CStatement::Run()
{
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW)
        rc = Step();
    // reset repeats the step's error; the step's code is the one that counts.
    sqlite3_reset(m_pStatement.get());
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int64_t CStatement::Int(int column) const { return sqlite3_column_int64(m_pStatement.get(), column); }

bool CStatement::IsNull(int column) const { return sqlite3_column_type(m_pStatement.get(), column) == SQLITE_NULL; }

std::string_view CStatement::Blob(int column) const
{
    const void* bytes = sqlite3_column_blob(m_pStatement.get(), column);
    const int size = sqlite3_column_bytes(m_pStatement.get(), column);
    return bytes ? std::string_view(static_cast<const char*>(bytes), static_cast<size_t>(size)) : std::string_view();
}

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

int64_t QueryInt(sqlite3* db, const char* sql, int64_t fallback)
{
    CStatement query;
    if (!query.Prepare(db, sql) || query.Step() != SQLITE_ROW || query.IsNull(0))
        return fallback;
    return query.Int(0);
}

bool IsDamage(int rc)
{
    const int primary = rc & 0xff;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

std::string ErrorText(sqlite3* db)
{
    if (!db)
        return "out of memory";
    std::string text = sqlite3_errmsg(db);
    // The system's word says more than "disk I/O error" or "unable to open".
    if (const int error = sqlite3_system_errno(db); error != 0) {
        const std::string reason = SystemErrorText(error);
        if (!reason.empty() && text.find(reason) == std::string::npos)
            text += " (" + reason + ")";
    }
    return text;
}
