#include "config_validation.h"

#include <cstdio>

namespace {

// The patterns are read with the C library on purpose: its rules (leading
// blanks skipped, field widths, trailing characters ignored) define which
// texts are accepted.
bool ReadThree(const std::string& text, size_t length, const char* pattern, int& a, int& b, int& c)
{
    return text.size() == length && std::sscanf(text.c_str(), pattern, &a, &b, &c) == 3;
}

bool InRange(int value, int low, int high) { return value >= low && value <= high; }

}  // namespace

bool IsValidDateText(const std::string& text)
{
    if (text.empty())
        return true;
    int year = 0, month = 0, day = 0;
    return ReadThree(text, 10, "%04d.%02d.%02d", year, month, day) && year >= 1900 && InRange(month, 1, 12) &&
           InRange(day, 1, 31);
}

bool IsValidTimeText(const std::string& text)
{
    if (text.empty())
        return true;
    int hour = 0, minute = 0, second = 0;
    return ReadThree(text, 8, "%02d:%02d:%02d", hour, minute, second) && InRange(hour, 0, 24) &&
           InRange(minute, 0, 59) && InRange(second, 0, 59);
}

ConfigField FirstInvalidField(const std::string& date, const std::string& timeFrom, const std::string& timeTo)
{
    if (!IsValidDateText(date))
        return ConfigField::kDate;
    if (!IsValidTimeText(timeFrom))
        return ConfigField::kTimeFrom;
    if (!IsValidTimeText(timeTo))
        return ConfigField::kTimeTo;
    return ConfigField::kNone;
}
