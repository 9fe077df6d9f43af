#include "simple_message.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <ctime>

namespace {

std::string FormatLocal(int32_t ttime, const char* format)
{
    std::time_t t = ttime;
    std::tm local{};
    if (!localtime_r(&t, &local))
        return {};
    char buf[64];
    size_t n = std::strftime(buf, sizeof buf, format, &local);
    return std::string(buf, n);
}

}  // namespace

std::string FormatLocalDate(int32_t ttime) { return FormatLocal(ttime, "%Y.%m.%d"); }
std::string FormatLocalTime(int32_t ttime) { return FormatLocal(ttime, "%H:%M:%S"); }

void CSimpleMessage::SetDateTimeFromTtime()
{
    date = FormatLocalDate(ttime);
    time = FormatLocalTime(ttime);
}

int32_t AtoiSaturating(std::string_view text)
{
    size_t i = 0;
    // isspace() in the C locale: space, \t \n \v \f \r.
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // Accumulate as a negative number: its range is one larger.
    int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 - (text[i] - '0');
        if (value < INT32_MIN) {
            return negative ? INT32_MIN : INT32_MAX;
        }
    }
    if (negative)
        return static_cast<int32_t>(value);
    return value < -int64_t{INT32_MAX} ? INT32_MAX : static_cast<int32_t>(-value);
}
