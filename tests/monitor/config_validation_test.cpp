#include "config_validation.h"

#include <gtest/gtest.h>

TEST(ConfigValidation, Dates)
{
    for (const char* ok : {"", "2011.03.07", "2011.02.30", "1900.01.01", "2011.1.05x", " 2011.1.05"})
        EXPECT_TRUE(IsValidDateText(ok)) << ok;
    for (const char* bad : {"1899.12.31", "2011.13.01", "2011.00.10", "2011.03.32", "2011.03.00", "2011-01-05",
                            "2011.03.075", "2011.3.5", "20110.3.05", "abcd.ef.gh", " 2011.03.0"})
        EXPECT_FALSE(IsValidDateText(bad)) << bad;
}

TEST(ConfigValidation, Times)
{
    for (const char* ok : {"", "00:00:00", "24:00:00", "24:59:59", "7:0:0abc", "23:59:59"})
        EXPECT_TRUE(IsValidTimeText(ok)) << ok;
    for (const char* bad : {"23:60:00", "23:00:60", "25:00:00", "7:00:00", "07:00:000", "07.00.00", "-1:00:00"})
        EXPECT_FALSE(IsValidTimeText(bad)) << bad;
}

TEST(ConfigValidation, FirstBadFieldWins)
{
    EXPECT_EQ(FirstInvalidField("", "08:00:00", ""), ConfigField::kNone);
    EXPECT_EQ(FirstInvalidField("bad", "bad", "bad"), ConfigField::kDate);
    EXPECT_EQ(FirstInvalidField("2011.03.07", "bad", "bad"), ConfigField::kTimeFrom);
    EXPECT_EQ(FirstInvalidField("", "", "bad"), ConfigField::kTimeTo);
}
