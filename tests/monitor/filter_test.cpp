#include "monitor_filter.h"

#include <gtest/gtest.h>

#include "store_fixture.h"

namespace {

constexpr char kToday[] = "2011.03.07";

CMonitorSettings AllDays()
{
    CMonitorSettings s;
    s.today = 0;
    return s;
}

}  // namespace

TEST(MatchesFilter, DefaultsAdmitOnlyTodaysEvents)
{
    CMonitorSettings s;
    EXPECT_TRUE(MatchesFilter(Event(kToday, "10:00:00"), s, kToday));
    EXPECT_FALSE(MatchesFilter(Event("2011.03.06", "10:00:00"), s, kToday));
    EXPECT_TRUE(MatchesFilter(Event("2011.03.06", "10:00:00"), AllDays(), kToday));
}

TEST(MatchesFilter, TimeBoundsAreInclusiveAndNeedBothEnds)
{
    CMonitorSettings s = AllDays();
    s.time1 = "08:00:00";
    s.time2 = "17:00:00";
    EXPECT_FALSE(MatchesFilter(Event(kToday, "07:59:59"), s, kToday));
    EXPECT_TRUE(MatchesFilter(Event(kToday, "08:00:00"), s, kToday));
    EXPECT_TRUE(MatchesFilter(Event(kToday, "17:00:00"), s, kToday));
    EXPECT_FALSE(MatchesFilter(Event(kToday, "17:00:01"), s, kToday));

    s.time2.clear();  // every time text sorts above the empty text
    EXPECT_FALSE(MatchesFilter(Event(kToday, "08:00:00"), s, kToday));

    s.time1.clear();  // no lower bound: the upper one is not consulted
    s.time2 = "01:00:00";
    EXPECT_TRUE(MatchesFilter(Event(kToday, "23:00:00"), s, kToday));
}

TEST(MatchesFilter, DateMustMatchTheWholePaddedText)
{
    CMonitorSettings s = AllDays();
    s.date = "2011.3.05";
    EXPECT_FALSE(MatchesFilter(Event("2011.03.05", "10:00:00"), s, kToday));
    s.date = "2011.03.05";
    EXPECT_TRUE(MatchesFilter(Event("2011.03.05", "10:00:00"), s, kToday));
}

TEST(MatchesFilter, SubstringsAreCaseSensitive)
{
    CSimpleMessage rec = Event(kToday, "10:00:00", "Door opened");
    rec.lockName = "Door 1";
    rec.trnsName = "Key 4711";
    CMonitorSettings s = AllDays();
    s.lockStr = "door";
    EXPECT_FALSE(MatchesFilter(rec, s, kToday));
    s.lockStr = "oor 1";
    s.trnsStr = "4711";
    s.descStr = "opened";
    EXPECT_TRUE(MatchesFilter(rec, s, kToday));
    s.descStr = "Opened";
    EXPECT_FALSE(MatchesFilter(rec, s, kToday));
    s.descStr = "opened ";  // spaces are part of the text
    EXPECT_FALSE(MatchesFilter(rec, s, kToday));
}

TEST(MatchesFilter, WarningLevelSelectsOneLevelAndOutOfRangeAdmitsNothing)
{
    CSimpleMessage warning = Event(kToday, "10:00:00");
    warning.level = kLevelWarning;
    CMonitorSettings s = AllDays();
    for (int32_t warn : {0, 2})
        EXPECT_TRUE(MatchesFilter(warning, (s.warn = warn, s), kToday)) << warn;
    for (int32_t warn : {1, 3, 4, -1, INT32_MIN})
        EXPECT_FALSE(MatchesFilter(warning, (s.warn = warn, s), kToday)) << warn;
}

TEST(MatchesFilter, TransponderModesAdmitOnlyTransponderEvents)
{
    CSimpleMessage lockEvent = Event(kToday, "10:00:00");
    lockEvent.type = 1;
    CSimpleMessage keyEvent = lockEvent;
    keyEvent.type = 3;
    CMonitorSettings s = AllDays();
    for (int32_t list : {0, 1, 4, -1})
        EXPECT_TRUE(MatchesFilter(lockEvent, (s.list = list, s), kToday)) << list;
    for (int32_t list : {2, 3}) {
        EXPECT_FALSE(MatchesFilter(lockEvent, (s.list = list, s), kToday)) << list;
        EXPECT_TRUE(MatchesFilter(keyEvent, (s.list = list, s), kToday)) << list;
    }
}

TEST(MatchesFilter, SubstringsMatchTextsAsTheyReadInAnyCodePage)
{
    // Typed as UTF-8 in the configuration dialog; written in Windows-1252
    // by the lock software.
    CSimpleMessage rec = Event(kToday, "10:00:00", "T\xfcr ge\xf6" "ffnet");
    rec.lockName = "B\xfcro";
    rec.trnsName = "Schl\xfcssel";
    CMonitorSettings s = AllDays();
    s.descStr = "T\xc3\xbcr";
    s.lockStr = "B\xc3\xbcro";
    s.trnsStr = "Schl\xc3\xbc";
    EXPECT_TRUE(MatchesFilter(rec, s, kToday));
}
