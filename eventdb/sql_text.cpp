#include "sql_text.h"

#include <sqlite3.h>

CSqlText& CSqlText::operator<<(const std::string& text)
{
    m_strText += text;
    return *this;
}

CSqlText& CSqlText::Bind(CSqlValue value)
{
    m_strText += '?';
    m_Values.push_back(std::move(value));
    return *this;
}

void CSqlStatement::CFinalize::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

CSqlStatement::CSqlStatement(sqlite3* db, const std::string& text) : m_pDb(db)
{
    sqlite3_stmt* statement = nullptr;
    m_nPrepared = sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size()), &statement, nullptr);
    m_Statement.reset(statement);
}

CHistoryStatus CSqlStatement::Run(const std::vector<CSqlValue>& values, const std::function<bool(sqlite3_stmt*)>& onRow)
{
    sqlite3_stmt* statement = m_Statement.get();
    int result = m_nPrepared;
    if (statement)
        sqlite3_reset(statement);
    for (size_t i = 0; result == SQLITE_OK && i < values.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        if (const auto* number = std::get_if<int64_t>(&values[i]))
            result = sqlite3_bind_int64(statement, index, *number);
        else if (const auto* text = std::get_if<std::string>(&values[i]))
            result = sqlite3_bind_text(statement, index, text->data(), static_cast<int>(text->size()), SQLITE_STATIC);
        else
            result = BindSeqSet(statement, index, *std::get<const CSeqSet*>(values[i]));
    }
    while (result == SQLITE_OK) {
        const int step = sqlite3_step(statement);
        if (step == SQLITE_DONE)
            return {};
        if (step != SQLITE_ROW) {
            result = step;
            break;
        }
        if (!onRow(statement)) {
            sqlite3_reset(statement);
            return {EHistoryResult::Interrupted, {}};
        }
    }
    if (result == SQLITE_INTERRUPT)
        return {EHistoryResult::Interrupted, {}};
    return {EHistoryResult::Failed, sqlite3_errmsg(m_pDb)};
}

CHistoryStatus RunSql(sqlite3* db, const CSqlText& sql, const std::function<bool(sqlite3_stmt*)>& onRow)
{
    return CSqlStatement(db, sql.m_strText).Run(sql.m_Values, onRow);
}
