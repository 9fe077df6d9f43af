#include "text_from_options.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "pipe_server.h"
#include "time_argument.h"

namespace {

constexpr std::string_view kOptionPrefix = "--";

struct CLevelName {
    std::string_view m_name;
    int32_t m_nLevel;
};
constexpr CLevelName kLevelNames[] = {
    {"message", kLevelMessage}, {"warning", kLevelWarning}, {"alarm", kLevelAlarm},
    {"0", kLevelMessage},       {"1", kLevelWarning},       {"2", kLevelAlarm},
};

bool SameIgnoringCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [&](char x, char y) { return lower(x) == lower(y); });
}

std::optional<int32_t> WholeNumber(std::string_view text)
{
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<int32_t> Level(std::string_view text)
{
    for (const CLevelName& level : kLevelNames) {
        if (SameIgnoringCase(text, level.m_name))
            return level.m_nLevel;
    }
    return std::nullopt;
}

const char* Placeholder(const CEventTextField& field)
{
    switch (field.m_kind) {
    case CEventTextField::kText: return "TEXT";
    case CEventTextField::kLevel: return "LEVEL";
    case CEventTextField::kTime: return "TIME";
    case CEventTextField::kNumber: break;
    }
    return "N";
}

const CEventTextField& TimeField()
{
    const auto fields = EventTextFields();
    return *std::find_if(fields.begin(), fields.end(),
                         [](const CEventTextField& f) { return f.m_kind == CEventTextField::kTime; });
}

}  // namespace

CTextFromOptions::CTextFromOptions(int32_t now)
{
    m_msg.version = kTextVersion;
    m_msg.ttime = now;
}

const CEventTextField* CTextFromOptions::FieldOfOption(std::string_view option)
{
    if (!option.starts_with(kOptionPrefix))
        return nullptr;
    option.remove_prefix(kOptionPrefix.size());
    for (const CEventTextField& field : EventTextFields()) {
        if (field.m_szLabel && field.IsIn(kTextVersion) && option == field.m_szLabel)
            return &field;
    }
    return nullptr;
}

std::string CTextFromOptions::Take(const CEventTextField& field, std::string_view value)
{
    const std::string what = std::string(kOptionPrefix) + field.m_szLabel + " \"" + std::string(value) + "\": ";
    std::optional<int32_t> number;
    switch (field.m_kind) {
    case CEventTextField::kText:
        if (value.find(',') != std::string_view::npos)
            return what + "a comma always ends a field of an event text and cannot be escaped";
        field.m_text(m_msg) = value;
        m_bHasFields = true;
        return {};
    case CEventTextField::kLevel:
        number = Level(value);
        if (!number)
            return what + "the level is message, warning or alarm (or 0, 1, 2)";
        break;
    case CEventTextField::kTime:
        number = ParseTimeArgument(value);
        if (!number)
            return what + "not an event time: seconds since 1970 or an ISO date and time such as "
                          "2026-03-01T10:15:00, up to 2038-01-19T03:14:07Z";
        break;
    case CEventTextField::kNumber:
        number = WholeNumber(value);
        if (!number)
            return what + "not a whole number of 32 bits";
        if (&field.m_number(m_msg) == &m_msg.version && !TimeField().IsIn(*number))
            return what + "a text of this version carries no event time, and Tellvane stores no event without one";
        break;
    }
    field.m_number(m_msg) = *number;
    m_bHasFields = true;
    return {};
}

std::string CTextFromOptions::Text(std::string& why) const
{
    const std::string text = FormatEventText(m_msg);
    // Asked of the text as Tellvane will read it, not of the fields given.
    CSimpleMessage received;
    received.Parse(text);
    if (const char* reason = WhyNotStorable(received)) {
        why = std::string("Tellvane would not store this event: ") + reason;
        return {};
    }
    if (text.size() > kRequestSize) {
        why = "the text is " + std::to_string(text.size()) + " bytes long; Tellvane takes at most " +
              std::to_string(kRequestSize);
        return {};
    }
    return text;
}

std::string CTextFromOptions::OptionHelp()
{
    CTextFromOptions defaults(0);
    CSimpleMessage& msg = defaults.m_msg;
    std::string help;
    for (const CEventTextField& field : EventTextFields()) {
        if (!field.m_szLabel || !field.IsIn(kTextVersion))
            continue;
        std::string byDefault;
        if (field.m_kind == CEventTextField::kTime)
            byDefault = "now";
        else if (!field.IsText() && field.m_number(msg) != 0)
            byDefault = std::to_string(field.m_number(msg));
        std::string option = std::string(kOptionPrefix) + field.m_szLabel + " " + Placeholder(field);
        option.resize(std::max<std::size_t>(option.size(), 22), ' ');
        help += "  " + option + " " + field.m_szMeaning;
        help += byDefault.empty() ? "\n" : " (default: " + byDefault + ")\n";
    }
    return help;
}
