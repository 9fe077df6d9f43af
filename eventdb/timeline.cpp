#include "timeline.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "local_time.h"

namespace {

// English names, as every other text of the program; the C library's
// would follow the locale and mix languages within one line.
const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                               "July",    "August",   "September", "October", "November", "December"};

// Between the two times of a bucket, in UTF-8 as every text on screen.
constexpr const char* kEnDash = "\xE2\x80\x93";

constexpr int64_t kNominalSeconds[] = {60, 600, 3600, 86400, 7 * 86400, 2629746};

std::tm Local(int64_t t)
{
    std::tm local{};
    ToLocalTime(static_cast<std::time_t>(t), local);
    return local;
}

// Local calendar fields back to seconds; the C library settles whether
// daylight-saving time applies and normalises days beyond the month.
int64_t FromLocal(std::tm local)
{
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

bool IsSubDay(ETimelineUnit unit)
{
    return unit == ETimelineUnit::Minute || unit == ETimelineUnit::TenMinutes || unit == ETimelineUnit::Hour;
}

// Clock units are counted back from t itself rather than rebuilt through
// mktime, which could not tell the two 02:30s of an autumn night apart.
int64_t AlignDown(int64_t t, ETimelineUnit unit)
{
    std::tm local = Local(t);
    switch (unit) {
    case ETimelineUnit::Minute:
        return t - local.tm_sec;
    case ETimelineUnit::TenMinutes:
        return t - local.tm_sec - (local.tm_min % 10) * 60;
    case ETimelineUnit::Hour:
        return t - local.tm_sec - local.tm_min * 60;
    case ETimelineUnit::Day:
    case ETimelineUnit::Week:
    case ETimelineUnit::Month:
        break;
    }
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    if (unit == ETimelineUnit::Week)
        local.tm_mday -= (local.tm_wday + 6) % 7;  // back to Monday
    if (unit == ETimelineUnit::Month)
        local.tm_mday = 1;
    return FromLocal(local);
}

int64_t NextEdge(int64_t edge, ETimelineUnit unit)
{
    int64_t next = 0;
    if (IsSubDay(unit)) {
        next = AlignDown(edge + kNominalSeconds[static_cast<int>(unit)], unit);
    } else {
        std::tm local = Local(edge);
        local.tm_hour = local.tm_min = local.tm_sec = 0;
        if (unit == ETimelineUnit::Month) {
            local.tm_mday = 1;
            ++local.tm_mon;
        } else {
            local.tm_mday += unit == ETimelineUnit::Week ? 7 : 1;
        }
        next = FromLocal(local);
    }
    // Where midnight itself is skipped by a clock change the C library may
    // answer with a time before the edge; a bucket never ends before it starts.
    return next > edge ? next : edge + kNominalSeconds[static_cast<int>(unit)];
}

std::string Format(const char* format, int64_t t)
{
    const std::tm local = Local(t);
    char text[64];
    return std::string(text, std::strftime(text, sizeof text, format, &local));
}

std::string ShortMonth(const std::tm& local)
{
    return std::string(kMonths[local.tm_mon], 3);
}

void AppendCount(std::string& text, int64_t count, const char* one, const char* many)
{
    if (count == 0)
        return;
    if (!text.empty())
        text += ", ";
    text += std::to_string(count) + " " + (count == 1 ? one : many);
}

// An hour that the autumn change repeats reads the same twice on the
// clock; the zone tells them apart, so hours beside a change carry it.
bool NearClockChange(int64_t start)
{
    return Local(start).tm_isdst != Local(start - 3600).tm_isdst ||
           Local(start).tm_isdst != Local(start + 3600).tm_isdst;
}

}  // namespace

int64_t CTimelineBucket::Total() const
{
    int64_t total = 0;
    for (int64_t count : m_nCount)
        total += count;
    return total;
}

ETimelineUnit ChooseTimelineUnit(int64_t from, int64_t to)
{
    const double seconds = static_cast<double>(to) - static_cast<double>(from) + 1;
    ETimelineUnit best = ETimelineUnit::Minute;
    double bestDistance = INFINITY;
    for (int unit = 0; unit <= static_cast<int>(ETimelineUnit::Month); ++unit) {
        const double bars = std::max(seconds / static_cast<double>(kNominalSeconds[unit]), 1e-9);
        const double distance = std::fabs(std::log(bars / 60));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<ETimelineUnit>(unit);
        }
    }
    return best;
}

std::vector<int64_t> TimelineEdges(int64_t from, int64_t to, ETimelineUnit unit)
{
    std::vector<int64_t> edges;
    if (to < from)
        return edges;
    const double estimate = (static_cast<double>(to) - static_cast<double>(from)) /
                            static_cast<double>(kNominalSeconds[static_cast<int>(unit)]);
    if (estimate > kMaxTimelineBuckets)
        return edges;
    edges.push_back(AlignDown(from, unit));
    while (edges.back() <= to)
        edges.push_back(NextEdge(edges.back(), unit));
    if (edges.size() - 1 > kMaxTimelineBuckets)
        edges.clear();
    return edges;
}

std::vector<CTimelineBucket> TimelineBuckets(const std::vector<int64_t>& edges)
{
    std::vector<CTimelineBucket> buckets;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        CTimelineBucket bucket;
        bucket.m_nStart = edges[i];
        bucket.m_nEnd = edges[i + 1];
        buckets.push_back(bucket);
    }
    return buckets;
}

std::string TimelineLabel(int64_t start, ETimelineUnit unit)
{
    if (IsSubDay(unit))
        return Format("%H:%M", start);
    const std::tm local = Local(start);
    if (unit == ETimelineUnit::Month)
        return ShortMonth(local);
    return ShortMonth(local) + " " + std::to_string(local.tm_mday);
}

std::string TimelineContext(int64_t start, ETimelineUnit unit)
{
    const std::tm local = Local(start);
    if (IsSubDay(unit))
        return std::string(kWeekdays[local.tm_wday], 3) + " " + Format("%Y.%m.%d", start);
    if (unit == ETimelineUnit::Month)
        return std::to_string(local.tm_year + 1900);
    return std::string(kMonths[local.tm_mon]) + " " + std::to_string(local.tm_year + 1900);
}

std::string TimelineDescription(const CTimelineBucket& bucket, ETimelineUnit unit)
{
    const std::tm local = Local(bucket.m_nStart);
    std::string when;
    switch (unit) {
    case ETimelineUnit::Month:
        when = std::string(kMonths[local.tm_mon]) + " " + std::to_string(local.tm_year + 1900);
        break;
    case ETimelineUnit::Week:
        when = "Week from " + std::string(kWeekdays[local.tm_wday]) + " " + Format("%Y.%m.%d", bucket.m_nStart);
        break;
    default:
        when = std::string(kWeekdays[local.tm_wday]) + " " + Format("%Y.%m.%d", bucket.m_nStart);
        if (IsSubDay(unit)) {
            when += " " + Format("%H:%M", bucket.m_nStart) + kEnDash + Format("%H:%M", bucket.m_nEnd);
            if (NearClockChange(bucket.m_nStart))
                when += " " + Format("%Z", bucket.m_nStart);
        }
        break;
    }
    std::string counts;
    AppendCount(counts, bucket.m_nCount[0], "message", "messages");
    AppendCount(counts, bucket.m_nCount[1], "warning", "warnings");
    AppendCount(counts, bucket.m_nCount[2], "alarm", "alarms");
    AppendCount(counts, bucket.m_nCount[3], "event of another level", "events of other levels");
    return when + ": " + (counts.empty() ? "no events" : counts);
}
