#include "monitor_filter.h"

#include <ctime>

#include "shown_text.h"

std::string LocalToday()
{
    return FormatLocalDate(static_cast<int32_t>(std::time(nullptr)));
}

namespace {

// The user types a filter as they read the texts on screen, so both sides
// are compared as read, whichever code page each was written in.
bool Contains(const std::string& text, const std::string& part) { return ShownTextContains(text, part); }

bool IsTransponderMode(int32_t list) { return list == 2 || list == 3; }

}  // namespace

bool MatchesFilter(const CSimpleMessage& rec, const CMonitorSettings& s, std::string_view today)
{
    if (s.warn != 0 && int64_t{rec.level} != int64_t{s.warn} - 1)
        return false;
    if (!Contains(rec.lockName, s.lockStr) || !Contains(rec.trnsName, s.trnsStr))
        return false;
    if (IsTransponderMode(s.list) && !rec.IsTransponderEvent())
        return false;
    if (!Contains(rec.desc, s.descStr))
        return false;
    if (!s.date.empty() && rec.date != s.date)
        return false;
    // An empty upper bound admits nothing: every time text sorts above it.
    if (!s.time1.empty() && (rec.time < s.time1 || rec.time > s.time2))
        return false;
    return s.today == 0 || rec.date == today;
}
