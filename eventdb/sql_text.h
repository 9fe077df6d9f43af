// SQL text with the values of its parameters kept beside it, never in it:
// each Bind writes a ? into the text and keeps the value for the statement.
// Used by the History queries on their worker thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "history_status.h"
#include "seq_set.h"

struct sqlite3;
struct sqlite3_stmt;

using CSqlValue = std::variant<int64_t, std::string, const CSeqSet*>;

struct CSqlText {
    std::string m_strText;
    std::vector<CSqlValue> m_Values;

    CSqlText& operator<<(const std::string& text);
    CSqlText& Bind(CSqlValue value);
};

// One prepared statement, run as often as needed with new values.
class CSqlStatement {
public:
    CSqlStatement(sqlite3* db, const std::string& text);

    // Binds values in order and steps through the rows. onRow returning
    // false stops it: Interrupted, as sqlite3_interrupt does.
    CHistoryStatus Run(const std::vector<CSqlValue>& values, const std::function<bool(sqlite3_stmt*)>& onRow);

private:
    struct CFinalize {
        void operator()(sqlite3_stmt* statement) const;
    };
    sqlite3* m_pDb;
    std::unique_ptr<sqlite3_stmt, CFinalize> m_Statement;
    int m_nPrepared;
};

CHistoryStatus RunSql(sqlite3* db, const CSqlText& sql, const std::function<bool(sqlite3_stmt*)>& onRow);
