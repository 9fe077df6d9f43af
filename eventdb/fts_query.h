// The History search field's text as a full-text query, and the "contains"
// fields as LIKE patterns. Whatever the user types is searched as words:
// nothing in it is ever read as query syntax, so no input can fail or mean
// something else.
//
// Search syntax: words are separated by white space; "a quoted phrase" is
// its words in that order. An event matches when every word and phrase
// occurs in one of its description, name, locking, locking system or
// transponder name (case and accents ignored, whole words). Characters that
// are neither letters nor digits only separate words: Door_12 is the phrase
// "door 12", and a term made only of such characters (*, -, %) is dropped. A
// quote without a partner is dropped and the rest read as words.
//
// Plain functions, safe on any thread; the ones given a connection use it
// as any other statement on it would.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// The words and phrases of the search text, quotes removed, in order.
std::vector<std::string> SplitSearchText(std::string_view text);

// term as an FTS5 string: in double quotes, a quote inside doubled. Inside
// such a string FTS5 sees only tokens, never operators, prefixes or columns.
std::string FtsString(std::string_view term);

// The MATCH expression for text: the FTS5 string of every term that has at
// least one token for the archive's tokenizer, joined by spaces (AND).
// Empty when no term has one, and then the search narrows nothing.
std::string FtsMatchExpression(sqlite3* db, std::string_view text);

// "%text%" with %, _ and the escape character \ escaped, for LIKE ... ESCAPE '\'.
std::string LikeContainsPattern(std::string_view text);
inline constexpr char kLikeEscape = '\\';
