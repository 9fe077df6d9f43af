// The event time as a person gives it on the command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// Seconds since 1970 ("1299506709"), or an ISO date and time
// ("2011-03-07T14:05:09", "T" or a space between, seconds optional) in local
// time unless it ends in Z or an offset ("+01:00", "+0100", "-05"). Empty
// when it is neither, names no real date or time, or lies beyond the 32 bits
// an event time has.
std::optional<int32_t> ParseTimeArgument(std::string_view text);
