// What a timeline bar says (the test runs in UTC).
#include <gtest/gtest.h>

#include "timeline.h"

namespace {

TEST(TimelineTest, ABarSaysItsTimeAndItsCountsPerLevel)
{
    CTimelineBucket bucket;
    bucket.m_nStart = 1709647200;  // Tuesday 2024.03.05 14:00 UTC
    bucket.m_nEnd = bucket.m_nStart + 3600;
    bucket.m_nCount = {12, 0, 3, 0};
    EXPECT_EQ(TimelineDescription(bucket, ETimelineUnit::Hour),
              "Tuesday 2024.03.05 14:00\xE2\x80\x93" "15:00: 12 messages, 3 alarms");
    bucket.m_nCount = {0, 1, 1, 1};
    EXPECT_EQ(TimelineDescription(bucket, ETimelineUnit::Day),
              "Tuesday 2024.03.05: 1 warning, 1 alarm, 1 event of another level");
    bucket.m_nCount = {};
    EXPECT_EQ(TimelineDescription(bucket, ETimelineUnit::Month), "March 2024: no events");
    EXPECT_EQ(TimelineLabel(bucket.m_nStart, ETimelineUnit::TenMinutes), "14:00");
    EXPECT_EQ(TimelineLabel(bucket.m_nStart, ETimelineUnit::Week), "Mar 5");
    EXPECT_EQ(TimelineContext(bucket.m_nStart, ETimelineUnit::Hour), "Tue 2024.03.05");
}

}  // namespace
