#include "simple_message.h"

#include <climits>

#include <gtest/gtest.h>

TEST(SimpleMessage, DefaultsAreTheDocumentedOnes)
{
    CSimpleMessage m;
    EXPECT_EQ(m.version, 7);
    EXPECT_EQ(m.tid, 65535);
    EXPECT_EQ(m.addr, -1);
    EXPECT_EQ(m.type, 0);
    EXPECT_EQ(m.ttime, 0);
    EXPECT_EQ(m.read, 0);
    EXPECT_EQ(m.level, 0);
    EXPECT_EQ(m.doorMonEvt.boltPos, 0);
    EXPECT_TRUE(m.date.empty());
    EXPECT_TRUE(m.trnsName.empty());
}

TEST(SimpleMessage, CopiesAreIndependentAndKeepTheReadFlag)
{
    CSimpleMessage a;
    a.read = 1;
    a.desc = "Door opened";
    a.doorMonEvt.manip = 3;
    CSimpleMessage b = a;
    b.desc += " twice";
    EXPECT_EQ(b.read, 1);
    EXPECT_EQ(b.doorMonEvt.manip, 3);
    EXPECT_EQ(a.desc, "Door opened");
}

TEST(SimpleMessage, DateAndTimeAreLocalTimeTexts)
{
    // The test environment runs with TZ=UTC.
    EXPECT_EQ(FormatLocalDate(1299506709), "2011.03.07");
    EXPECT_EQ(FormatLocalTime(1299506709), "14:05:09");
    EXPECT_EQ(FormatLocalDate(-1), "1969.12.31");
    EXPECT_EQ(FormatLocalTime(INT32_MAX), "03:14:07");
}

TEST(AtoiSaturating, ReadsLikeCAtoi)
{
    EXPECT_EQ(AtoiSaturating(""), 0);
    EXPECT_EQ(AtoiSaturating("-"), 0);
    EXPECT_EQ(AtoiSaturating("+7x"), 7);
    EXPECT_EQ(AtoiSaturating("12ab"), 12);
    EXPECT_EQ(AtoiSaturating(" \t-42"), -42);
    EXPECT_EQ(AtoiSaturating("x12"), 0);
    EXPECT_EQ(AtoiSaturating("--1"), 0);
    EXPECT_EQ(AtoiSaturating("007"), 7);
}

TEST(AtoiSaturating, SaturatesAtTheIntRange)
{
    EXPECT_EQ(AtoiSaturating("2147483647"), INT32_MAX);
    EXPECT_EQ(AtoiSaturating("2147483648"), INT32_MAX);
    EXPECT_EQ(AtoiSaturating("-2147483648"), INT32_MIN);
    EXPECT_EQ(AtoiSaturating("-2147483649"), INT32_MIN);
    EXPECT_EQ(AtoiSaturating("99999999999999999999999999"), INT32_MAX);
}
