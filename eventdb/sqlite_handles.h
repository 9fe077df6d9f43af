// Owning handles for an SQLite connection and its prepared statements, and
// the text of a failure. A connection and its statements are used by one
// thread at a time (they are opened without SQLite's own mutex).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

struct CSqliteClose {
    void operator()(sqlite3* db) const;
};
using CSqliteDb = std::unique_ptr<sqlite3, CSqliteClose>;

// Opens path (a file name in the platform's own 8-bit encoding) read-write,
// creating it when missing, or read-only when readOnly. SQLite's result
// code; db holds the connection even on failure, so that its message can be
// read.
int OpenSqlite(const std::string& path, bool readOnly, CSqliteDb& db);

// One prepared statement. Texts and blobs are bound without a copy: they
// must stay alive until the statement has been stepped and reset.
class CStatement {
public:
    CStatement() = default;
    // False when the SQL does not compile; ErrorText(db) says why.
    bool Prepare(sqlite3* db, std::string_view sql);

    CStatement& Bind(int index, int64_t value);
    CStatement& BindText(int index, std::string_view text);
    CStatement& BindBlob(int index, std::string_view bytes);

    // One step: SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    // Steps to the end and resets: SQLITE_OK or an error code.
    int Run();

    int64_t Int(int column) const;
    bool IsNull(int column) const;
    std::string_view Blob(int column) const;

private:
    struct CFinalize {
        void operator()(sqlite3_stmt* statement) const;
    };
    std::unique_ptr<sqlite3_stmt, CFinalize> m_pStatement;
};

// Runs SQL that returns no rows, one statement or several. SQLite's result.
int Exec(sqlite3* db, const char* sql);

// The single integer a query returns (PRAGMA page_count ...); fallback when
// it returns no row or fails.
int64_t QueryInt(sqlite3* db, const char* sql, int64_t fallback = 0);

// Whether rc (primary or extended) says the file is not a sound database:
// corrupt, or no database at all.
bool IsDamage(int rc);

// SQLite's message for the last failure on db, with the system's reason
// when the operating system refused something (a full disk, no permission).
std::string ErrorText(sqlite3* db);
