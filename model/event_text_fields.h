// The fields of an event text, in the order the text carries them, with the
// versions that carry each one. The parser reads a text by this table and
// tellvane-send writes one by it, so the two cannot disagree on the order.
//
// Plain constant data; any thread may read it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "simple_message.h"

// The newest version: every field below is in it, and the parser reads any
// higher version as this one.
inline constexpr int32_t kTextVersion = 8;

struct CEventTextField {
    enum Kind { kText, kNumber, kLevel, kTime };  // level and time are numbers in the text

    const char* m_szField;    // the record's field, as the code names it
    const char* m_szLabel;    // the field's name for people (tellvane-send's option); null: not in a version-8 text
    const char* m_szMeaning;  // one line for a help text
    Kind m_kind;
    int32_t m_nFromVersion;   // carried from this version on ...
    int32_t m_nBelowVersion;  // ... and below this one
    int32_t& (*m_number)(CSimpleMessage&);  // for every kind but kText
    std::string& (*m_text)(CSimpleMessage&);  // for kText

    bool IsText() const { return m_kind == kText; }
    // Whether a text of this version carries the field (9 and more read as 8).
    bool IsIn(int32_t version) const
    {
        const int32_t v = version < kTextVersion ? version : kTextVersion;
        return v >= m_nFromVersion && v < m_nBelowVersion;
    }
};

// Every field any version carries, version first.
std::span<const CEventTextField> EventTextFields();

// The text of a record's fields that its version carries, in their order:
// what Parse reads back into the same fields, as long as no text field holds
// a comma or a double quote or starts with a space.
std::string FormatEventText(const CSimpleMessage& msg);
