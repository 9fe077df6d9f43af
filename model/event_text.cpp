// The event text format: comma-separated tokens, fields chosen by the version
// in the first token. There is no escaping; a double quote becomes a space.

#include <algorithm>

#include "simple_message.h"

namespace {

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

    in.Number(version);
    const int32_t v = std::min(version, 8);
    if (v >= 2)
        in.Number(type);
    if (v >= 5) {
        in.Number(ttime);
        SetDateTimeFromTtime();
    } else {
        in.Text(date);
        in.Text(time);
    }
    in.Text(name);
    in.Text(desc);
    in.Text(sysName);
    in.Text(lockName);
    if (v >= 2) {
        in.Number(sid);
        in.Number(lid);
    }
    in.Text(gid);
    in.Text(mid);
    if (v >= 3) {
        in.Number(level);
        in.Number(tid);
        in.Number(extra1);
    }
    if (v >= 4)
        in.Text(trnsName);
    if (v >= 5)
        in.Number(addr);
    if (v >= 7)
        in.Number(extra2);
    if (v >= 8) {
        in.Number(doorMonEvt.boltPos);
        in.Number(doorMonEvt.doorOpen);
        in.Number(doorMonEvt.err);
        in.Number(doorMonEvt.manip);
        in.Number(analogInput);
    }
    read = 0;
}
