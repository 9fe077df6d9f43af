// Timeline buckets in time zones with a daylight-saving change and with a
// half-hour offset. The zone is set for this process and restored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "timeline.h"

namespace {

class CZone {
public:
    explicit CZone(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            m_strOld = old;
        setenv("TZ", tz, 1);
        tzset();
    }
    ~CZone()
    {
        if (m_strOld)
            setenv("TZ", m_strOld->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    std::optional<std::string> m_strOld;
};

// Central Europe by its rule, so that no time zone database is needed.
constexpr const char* kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char* kKolkata = "IST-5:30";

std::tm Local(int64_t t)
{
    const std::time_t time = static_cast<std::time_t>(t);
    std::tm local{};
    localtime_r(&time, &local);
    return local;
}

bool OnWholeUnit(int64_t edge, ETimelineUnit unit)
{
    const std::tm t = Local(edge);
    switch (unit) {
    case ETimelineUnit::Minute:
        return t.tm_sec == 0;
    case ETimelineUnit::TenMinutes:
        return t.tm_sec == 0 && t.tm_min % 10 == 0;
    case ETimelineUnit::Hour:
        return t.tm_sec == 0 && t.tm_min == 0;
    case ETimelineUnit::Day:
        return t.tm_sec == 0 && t.tm_min == 0 && t.tm_hour == 0;
    case ETimelineUnit::Week:
        return t.tm_sec == 0 && t.tm_min == 0 && t.tm_hour == 0 && t.tm_wday == 1;
    case ETimelineUnit::Month:
        return t.tm_sec == 0 && t.tm_min == 0 && t.tm_hour == 0 && t.tm_mday == 1;
    }
    return false;
}

TEST(TimelineZonesTest, FromTenMinutesToThreeYearsBarsStayInBoundsOnWholeLocalUnits)
{
    for (const char* zone : {kBerlin, kKolkata}) {
        const CZone local(zone);
        // Starts in winter and in summer time, one in the night of a change.
        for (const int64_t from : {int64_t{1709645831}, int64_t{1719836111}, int64_t{1729985400}}) {
            for (double length = 600; length <= 3 * 365 * 86400.0; length *= 1.07) {
                const int64_t to = from + static_cast<int64_t>(length) - 1;
                const ETimelineUnit unit = ChooseTimelineUnit(from, to);
                const std::vector<int64_t> edges = TimelineEdges(from, to, unit);
                SCOPED_TRACE(std::string(zone) + " from " + std::to_string(from) + " to " + std::to_string(to));
                ASSERT_GE(edges.size(), 2u);
                const size_t bars = edges.size() - 1;
                if (length < 1800) {
                    EXPECT_GE(bars, 10u);
                    EXPECT_LE(bars, 31u);
                } else {
                    EXPECT_GE(bars, 12u);
                    EXPECT_LE(bars, 300u);
                }
                EXPECT_LE(edges.front(), from);
                EXPECT_GT(edges.back(), to);
                for (size_t i = 0; i < edges.size(); ++i) {
                    EXPECT_TRUE(OnWholeUnit(edges[i], unit)) << "edge " << edges[i];
                    if (i > 0) {
                        EXPECT_LT(edges[i - 1], edges[i]);
                    }
                }
            }
        }
    }
}

std::vector<std::string> HourLabels(int64_t from, int64_t to)
{
    std::vector<std::string> labels;
    for (const CTimelineBucket& bucket : TimelineBuckets(TimelineEdges(from, to, ETimelineUnit::Hour))) {
        EXPECT_EQ(bucket.m_nEnd - bucket.m_nStart, 3600);
        labels.push_back(TimelineLabel(bucket.m_nStart, ETimelineUnit::Hour));
    }
    return labels;
}

TEST(TimelineZonesTest, ADaylightSavingChangeMakesADayOf23Or25HoursAndKeepsHoursReal)
{
    const CZone berlin(kBerlin);
    // 2024.03.31 and 2024.10.27, local midnight to 04:59.
    const int64_t spring = 1711839600;
    const int64_t autumn = 1729980000;
    EXPECT_EQ(HourLabels(spring, spring + 4 * 3600 - 1),
              (std::vector<std::string>{"00:00", "01:00", "03:00", "04:00"}));
    EXPECT_EQ(HourLabels(autumn, autumn + 6 * 3600 - 1),
              (std::vector<std::string>{"00:00", "01:00", "02:00", "02:00", "03:00", "04:00"}));
    CTimelineBucket first{autumn + 2 * 3600, autumn + 3 * 3600, {}};
    CTimelineBucket second{autumn + 3 * 3600, autumn + 4 * 3600, {}};
    EXPECT_EQ(TimelineDescription(first, ETimelineUnit::Hour),
              "Sunday 2024.10.27 02:00\xE2\x80\x93" "02:00 CEST: no events");
    EXPECT_EQ(TimelineDescription(second, ETimelineUnit::Hour),
              "Sunday 2024.10.27 02:00\xE2\x80\x93" "03:00 CET: no events");

    const std::vector<CTimelineBucket> days =
        TimelineBuckets(TimelineEdges(spring - 86400, autumn + 86400, ETimelineUnit::Day));
    for (const CTimelineBucket& day : days) {
        const int64_t hours = (day.m_nEnd - day.m_nStart) / 3600;
        EXPECT_EQ(hours, day.m_nStart == spring ? 23 : day.m_nStart == autumn ? 25 : 24)
            << TimelineDescription(day, ETimelineUnit::Day);
    }
}

}  // namespace
