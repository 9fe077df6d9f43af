#include "time_argument.h"

#include <charconv>
#include <chrono>
#include <ctime>
#include <limits>

namespace {

// Exactly width digits at the front of text, taken off it.
bool TakeDigits(std::string_view& text, std::size_t width, int& value)
{
    if (text.size() < width)
        return false;
    for (std::size_t i = 0; i < width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    std::from_chars(text.data(), text.data() + width, value);
    text.remove_prefix(width);
    return true;
}

bool TakeChar(std::string_view& text, std::string_view accepted)
{
    if (text.empty() || accepted.find(text.front()) == std::string_view::npos)
        return false;
    text.remove_prefix(1);
    return true;
}

// The zone suffix in seconds east of UTC; empty for none (local time).
// False when the suffix is malformed.
bool TakeZone(std::string_view& text, std::optional<int>& offset)
{
    if (text.empty())
        return true;
    if (TakeChar(text, "Zz")) {
        offset = 0;
        return text.empty();
    }
    const bool west = text.front() == '-';
    int hours = 0;
    int minutes = 0;
    if (!TakeChar(text, "+-") || !TakeDigits(text, 2, hours))
        return false;
    if (!text.empty()) {
        TakeChar(text, ":");
        if (!TakeDigits(text, 2, minutes) || !text.empty())
            return false;
    }
    if (hours > 23 || minutes > 59)
        return false;
    offset = (west ? -1 : 1) * (hours * 3600 + minutes * 60);
    return true;
}

std::optional<int64_t> ParseIsoTime(std::string_view text)
{
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!TakeDigits(text, 4, y) || !TakeChar(text, "-") || !TakeDigits(text, 2, mo) || !TakeChar(text, "-") ||
        !TakeDigits(text, 2, d) || !TakeChar(text, "Tt ") || !TakeDigits(text, 2, h) || !TakeChar(text, ":") ||
        !TakeDigits(text, 2, mi))
        return std::nullopt;
    if (TakeChar(text, ":") && !TakeDigits(text, 2, s))
        return std::nullopt;
    std::optional<int> offset;
    if (!TakeZone(text, offset))
        return std::nullopt;
    using namespace std::chrono;
    const year_month_day date{year{y}, month(static_cast<unsigned>(mo)), day(static_cast<unsigned>(d))};
    if (!date.ok() || h > 23 || mi > 59 || s > 59)
        return std::nullopt;
    if (offset) {
        const int64_t days = sys_days(date).time_since_epoch().count();
        return days * 86400 + h * 3600 + mi * 60 + s - *offset;
    }
    // The C library knows the local zone and its summer time; -1 lets it
    // decide which applies.
    std::tm local{};
    local.tm_year = y - 1900;
    local.tm_mon = mo - 1;
    local.tm_mday = d;
    local.tm_hour = h;
    local.tm_min = mi;
    local.tm_sec = s;
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    return static_cast<int64_t>(t);
}

}  // namespace

std::optional<int32_t> ParseTimeArgument(std::string_view text)
{
    int64_t seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    std::optional<int64_t> t;
    if (error == std::errc() && end == text.data() + text.size() && !text.empty())
        t = seconds;
    else
        t = ParseIsoTime(text);
    if (!t || *t < std::numeric_limits<int32_t>::min() || *t > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int32_t>(*t);
}
