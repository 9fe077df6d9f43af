// The event text format: comma-separated tokens, fields chosen by the version
// in the first token. There is no escaping; a double quote becomes a space.

#include <algorithm>

#include "simple_message.h"

void NextToken(std::string& token, std::string& rest)
{
    if (rest.empty())
        return;
    const size_t comma = rest.find(',');
    token.assign(rest, 0, comma);  // npos: the whole rest
    std::replace(token.begin(), token.end(), '"', ' ');
    if (comma == std::string::npos)
        rest.clear();
    else
        rest.erase(0, comma + 1);
    if (!token.empty() && token.front() == ' ')
        token.erase(0, 1);
}

namespace {

// Reads fields in order. Numbers go through one scratch token, so a text that
// ends early repeats its last numeric token into every remaining number.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : m_rest(text) {}

    void Text(std::string& field) { NextToken(field, m_rest); }
    void Number(int32_t& field)
    {
        NextToken(m_scratch, m_rest);
        field = AtoiSaturating(m_scratch);
    }

private:
    std::string m_rest;
    std::string m_scratch;
};

}  // namespace

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
