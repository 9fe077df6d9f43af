// The event text format: comma-separated tokens, fields chosen by the version
// in the first token. There is no escaping; a double quote becomes a space.

#include <algorithm>
#include <climits>

#include "event_text_fields.h"
#include "simple_message.h"

namespace {

template <auto Member>
int32_t& Number(CSimpleMessage& m) { return m.*Member; }
template <auto Member>
int32_t& Door(CSimpleMessage& m) { return m.doorMonEvt.*Member; }
template <auto Member>
std::string& Text(CSimpleMessage& m) { return m.*Member; }

using F = CEventTextField;
using M = CSimpleMessage;
constexpr int32_t kAlways = INT32_MIN;
constexpr int32_t kStill = INT32_MAX;

// Texts below version 5 carry a date and a time of day as texts instead of
// the event time; those two are the only fields that later versions dropped.
constexpr CEventTextField kFields[] = {
    {"version", "text-version", "text version; 5 to 7 carry fewer fields", F::kNumber, kAlways, kStill,
     &Number<&M::version>, nullptr},
    {"type", "type", "event type: 3 is a transponder event", F::kNumber, 2, kStill, &Number<&M::type>, nullptr},
    {"ttime", "time", "event time", F::kTime, 5, kStill, &Number<&M::ttime>, nullptr},
    {"date", nullptr, "date, YYYY.MM.DD", F::kText, kAlways, 5, nullptr, &Text<&M::date>},
    {"time", nullptr, "time of day, HH:MM:SS", F::kText, kAlways, 5, nullptr, &Text<&M::time>},
    {"name", "name", "a name, e.g. the person's", F::kText, kAlways, kStill, nullptr, &Text<&M::name>},
    {"desc", "desc", "the message (Description)", F::kText, kAlways, kStill, nullptr, &Text<&M::desc>},
    {"sysName", "system", "the locking system's name", F::kText, kAlways, kStill, nullptr, &Text<&M::sysName>},
    {"lockName", "locking", "the locking's name (lock or door)", F::kText, kAlways, kStill, nullptr,
     &Text<&M::lockName>},
    {"sid", "system-id", "locking system ID", F::kNumber, 2, kStill, &Number<&M::sid>, nullptr},
    {"lid", "locking-id", "locking ID", F::kNumber, 2, kStill, &Number<&M::lid>, nullptr},
    {"gid", "group-id", "lock node group ID", F::kText, kAlways, kStill, nullptr, &Text<&M::gid>},
    {"mid", "member-id", "lock node member ID", F::kText, kAlways, kStill, nullptr, &Text<&M::mid>},
    {"level", "level", "message (0), warning (1) or alarm (2)", F::kLevel, 3, kStill, &Number<&M::level>, nullptr},
    {"tid", "transponder-id", "transponder ID; 65535 is none", F::kNumber, 3, kStill, &Number<&M::tid>, nullptr},
    {"extra1", "extra1", "carried, not interpreted", F::kNumber, 3, kStill, &Number<&M::extra1>, nullptr},
    {"trnsName", "transponder", "the transponder's name", F::kText, 4, kStill, nullptr, &Text<&M::trnsName>},
    {"addr", "address", "address; 0..2048 in a transponder event", F::kNumber, 5, kStill, &Number<&M::addr>,
     nullptr},
    {"extra2", "extra2", "carried, not interpreted", F::kNumber, 7, kStill, &Number<&M::extra2>, nullptr},
    {"boltPos", "bolt", "bolt position", F::kNumber, 8, kStill, &Door<&CDoorMonEvt::boltPos>, nullptr},
    {"doorOpen", "door-open", "door open", F::kNumber, 8, kStill, &Door<&CDoorMonEvt::doorOpen>, nullptr},
    {"err", "error", "error", F::kNumber, 8, kStill, &Door<&CDoorMonEvt::err>, nullptr},
    {"manip", "manipulation", "manipulation", F::kNumber, 8, kStill, &Door<&CDoorMonEvt::manip>, nullptr},
    {"analogInput", "analog", "analogue input value", F::kNumber, 8, kStill, &Number<&M::analogInput>, nullptr},
};

// The token rule on a view, so the parser walks its text without moving it.
void CutToken(std::string& token, std::string_view& rest)
{
    if (rest.empty())
        return;
    const size_t comma = rest.find(',');
    const std::string_view field = rest.substr(0, comma);  // npos: the whole rest
    rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    token.assign(field);
    std::replace(token.begin(), token.end(), '"', ' ');
    if (!token.empty() && token.front() == ' ')  // after the quotes: '"x' gives "x"
        token.erase(0, 1);
}

// Reads fields in order. Numbers go through one scratch token, so a text that
// ends early repeats its last numeric token into every remaining number.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : m_rest(text) {}

    void Text(std::string& field) { CutToken(field, m_rest); }
    void Number(int32_t& field)
    {
        CutToken(m_scratch, m_rest);
        field = AtoiSaturating(m_scratch);
    }

private:
    std::string_view m_rest;
    std::string m_scratch;
};

}  // namespace

std::span<const CEventTextField> EventTextFields() { return kFields; }

void NextToken(std::string& token, std::string& rest)
{
    std::string_view view(rest);
    CutToken(token, view);
    rest.erase(0, rest.size() - view.size());
}

void CSimpleMessage::Parse(std::string_view text)
{
    *this = CSimpleMessage();
    FieldReader in(text);

    // The version comes first and decides which of the others follow.
    in.Number(version);
    for (const CEventTextField& field : std::span(kFields).subspan(1)) {
        if (!field.IsIn(version))
            continue;
        if (field.IsText()) {
            in.Text(field.m_text(*this));
        } else {
            in.Number(field.m_number(*this));
            if (field.m_kind == CEventTextField::kTime)
                SetDateTimeFromTtime();
        }
    }
    read = 0;
}

std::string FormatEventText(const CSimpleMessage& msg)
{
    CSimpleMessage fields = msg;  // the accessors hand out writable fields; this copy is only read
    std::string text;
    for (const CEventTextField& field : kFields) {
        if (field.IsIn(msg.version))
            text.append(field.IsText() ? field.m_text(fields) : std::to_string(field.m_number(fields))).append(1, ',');
    }
    text.pop_back();  // every version carries the version
    return text;
}
