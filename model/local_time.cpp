#include "local_time.h"

bool ToLocalTime(std::time_t t, std::tm& local)
{
#ifdef _WIN32
    // The Windows C library refuses times before 1970. The Gregorian calendar
    // and its weekdays repeat every 400 years, so such a time is converted 400
    // years later and moved back.
    constexpr std::time_t k400Years = 146097LL * 86400;
    const std::time_t shifted = t < 0 ? t + k400Years : t;
    if (localtime_s(&local, &shifted) != 0)
        return false;
    if (t < 0)
        local.tm_year -= 400;
    return true;
#else
    return localtime_r(&t, &local) != nullptr;
#endif
}
