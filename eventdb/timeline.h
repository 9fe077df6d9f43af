// The History timeline's buckets: which unit a range is cut into, where the
// buckets begin, and what each is called. Plain code over the C library's
// local time, safe on any thread (the conversions are the thread-safe ones).
//
// Bucket edges fall on whole units of LOCAL time: minutes, ten minutes and
// hours of the clock, midnights, Mondays at midnight, the first of a month.
// Across a daylight-saving change a day bucket is the calendar day (23 or
// 25 hours) and hour buckets stay real hours: the hour that is repeated in
// autumn is two buckets, and the one skipped in spring none.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum class ETimelineUnit { Minute, TenMinutes, Hour, Day, Week, Month };

// Events per level: message, warning, alarm, and any other level.
inline constexpr size_t kTimelineLevels = 4;

struct CTimelineBucket {
    int64_t m_nStart = 0;  // its first second
    int64_t m_nEnd = 0;    // the first second after it
    std::array<int64_t, kTimelineLevels> m_nCount{};
    int64_t Total() const;
};

// The unit whose bar count over [from, to] (seconds, both included) is
// nearest to 60 on a log scale: between 30 and 120 bars whenever a unit
// gives that. Where none does, the count lies between the two nearest
// units' counts; at worst 13 day bars or 293 hour bars (ranges of 5 to 30
// days), 20 ten-minute or 190 minute bars (2 to 5 hours), 25 hour or 148
// ten-minute bars (20 to 30 hours), 23 week or 159 day bars (4 to 7
// months). "Last 7 days" gives 169 hour bars, "Last 30 days" 31 day bars.
// A range shorter than 30 minutes gets fewer minute bars (10 minutes: 10
// or 11): the minute is the finest unit, since seconds say nothing at a
// glance. Beyond ten years the month bars exceed 120.
ETimelineUnit ChooseTimelineUnit(int64_t from, int64_t to);

// Bucket edges for [from, to] in unit: the first on or before from, the
// last after to, each on a whole local unit. Empty when to < from or when
// the unit would give more than kMaxTimelineBuckets buckets.
inline constexpr size_t kMaxTimelineBuckets = 50000;
std::vector<int64_t> TimelineEdges(int64_t from, int64_t to, ETimelineUnit unit);

// The empty buckets between the edges.
std::vector<CTimelineBucket> TimelineBuckets(const std::vector<int64_t>& edges);

// The short text under a bar: "14:00", "Mar 5", "Mar" for minute to hour,
// day or week, and month buckets.
std::string TimelineLabel(int64_t start, ETimelineUnit unit);

// The larger unit a bucket lies in, to write once where it changes under
// the bars: "Tue 2024.03.05" for minutes to hours, "March 2024" for days
// and weeks, "2024" for months.
std::string TimelineContext(int64_t start, ETimelineUnit unit);

// What a screen reader says for a bar, and what hovering shows:
// "Tuesday 2024.03.05 14:00–15:00: 12 messages, 3 alarms". The bucket's
// time comes first ("Tuesday 2024.03.05", "Week from Monday 2024.03.04",
// "March 2024"); an hour that a clock change repeats carries its zone.
std::string TimelineDescription(const CTimelineBucket& bucket, ETimelineUnit unit);
