#include "fts_query.h"

#include <sqlite3.h>

#include <algorithm>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// FTS5's API object, through which its own tokenizer can be asked.
fts5_api* Fts5Api(sqlite3* db)
{
    fts5_api* api = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT fts5(?1)", -1, &statement, nullptr) == SQLITE_OK) {
        sqlite3_bind_pointer(statement, 1, &api, "fts5_api_ptr", nullptr);
        sqlite3_step(statement);
    }
    sqlite3_finalize(statement);
    return api;
}

// The archive's full-text table uses FTS5's default tokenizer, so a term
// has tokens exactly when this one finds some.
class CTokenCounter {
public:
    explicit CTokenCounter(sqlite3* db)
    {
        fts5_api* api = Fts5Api(db);
        void* context = nullptr;
        if (api && api->xFindTokenizer(api, "unicode61", &context, &m_Tokenizer) == SQLITE_OK &&
            m_Tokenizer.xCreate(context, nullptr, 0, &m_pInstance) != SQLITE_OK)
            m_pInstance = nullptr;
    }
    ~CTokenCounter()
    {
        if (m_pInstance)
            m_Tokenizer.xDelete(m_pInstance);
    }
    CTokenCounter(const CTokenCounter&) = delete;
    CTokenCounter& operator=(const CTokenCounter&) = delete;

    // Without the tokenizer every term is kept; FTS5 then passes over one
    // without tokens itself, unless it is the only one.
    bool HasTokens(const std::string& term)
    {
        if (!m_pInstance)
            return true;
        int count = 0;
        m_Tokenizer.xTokenize(m_pInstance, &count, FTS5_TOKENIZE_QUERY, term.data(), static_cast<int>(term.size()),
                              [](void* counted, int, const char*, int, int, int) {
                                  ++*static_cast<int*>(counted);
                                  return SQLITE_OK;
                              });
        return count > 0;
    }

private:
    fts5_tokenizer m_Tokenizer{};
    Fts5Tokenizer* m_pInstance = nullptr;
};

}  // namespace

std::vector<std::string> SplitSearchText(std::string_view text)
{
    // Quotes pair from the left; an odd last one pairs with nothing.
    size_t quotes = static_cast<size_t>(std::count(text.begin(), text.end(), '"'));
    std::vector<std::string> terms;
    std::string word;
    auto endWord = [&] {
        if (!word.empty())
            terms.push_back(std::move(word));
        word.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            endWord();
            if (quotes < 2)
                continue;
            const size_t close = text.find('"', i + 1);
            std::string phrase(text.substr(i + 1, close - i - 1));
            std::replace(phrase.begin(), phrase.end(), '\0', ' ');
            if (!phrase.empty())
                terms.push_back(std::move(phrase));
            quotes -= 2;
            i = close;
        } else if (IsSpace(c)) {
            endWord();
        } else {
            // SQLite reads a bound text only up to a zero byte; a space
            // separates the same words.
            word += c == '\0' ? ' ' : c;
        }
    }
    endWord();
    return terms;
}

std::string FtsString(std::string_view term)
{
    std::string quoted = "\"";
    for (char c : term) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string FtsMatchExpression(sqlite3* db, std::string_view text)
{
    const std::vector<std::string> terms = SplitSearchText(text);
    if (terms.empty())
        return {};
    CTokenCounter tokens(db);
    std::string expression;
    for (const std::string& term : terms) {
        if (!tokens.HasTokens(term))
            continue;
        if (!expression.empty())
            expression += ' ';
        expression += FtsString(term);
    }
    return expression;
}

std::string LikeContainsPattern(std::string_view text)
{
    std::string pattern = "%";
    for (char c : text) {
        if (c == '%' || c == '_' || c == kLikeEscape)
            pattern += kLikeEscape;
        pattern += c;
    }
    pattern += '%';
    return pattern;
}
