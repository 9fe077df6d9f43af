// Builds one event text from tellvane-send's field options, such as
// --level alarm --desc "Door forced open". A field not given keeps the
// record's default, except that the version is 8 and the time is now.
//
// Plain code for the command line's one thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "event_text_fields.h"
#include "simple_message.h"

class CTextFromOptions {
public:
    explicit CTextFromOptions(int32_t now);

    // The field an option ("--desc") names, or null when it names none.
    static const CEventTextField* FieldOfOption(std::string_view option);

    // Takes a field's value and returns what is wrong with it, or an empty
    // text; a wrong value changes nothing.
    std::string Take(const CEventTextField& field, std::string_view value);

    bool HasFields() const { return m_bHasFields; }

    // The text; empty, with the reason in why, when Tellvane would not take
    // or not store it.
    std::string Text(std::string& why) const;

    // One line per option: its value, its meaning and a default other than
    // 0 or empty.
    static std::string OptionHelp();

private:
    CSimpleMessage m_msg;
    bool m_bHasFields = false;
};
