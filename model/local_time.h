// Seconds since 1970 as the machine's local calendar time.
#pragma once

#include <ctime>

// The thread-safe conversion each C library offers; false when the time
// cannot be converted.
bool ToLocalTime(std::time_t t, std::tm& local);
