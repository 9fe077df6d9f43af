#include "simple_message.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <ctime>
#include <tuple>

#include "local_time.h"

namespace {

constexpr const char* kDateFormat = "%Y.%m.%d";
constexpr const char* kTimeFormat = "%H:%M:%S";

std::string Format(const std::tm& local, const char* format)
{
    char buf[64];
    size_t n = std::strftime(buf, sizeof buf, format, &local);
    return std::string(buf, n);
}

std::string FormatLocal(int32_t ttime, const char* format)
{
    std::tm local{};
    return ToLocalTime(ttime, local) ? Format(local, format) : std::string();
}

}  // namespace

std::string FormatLocalDate(int32_t ttime) { return FormatLocal(ttime, kDateFormat); }
std::string FormatLocalTime(int32_t ttime) { return FormatLocal(ttime, kTimeFormat); }
std::string FormatLocalDateTime(int32_t ttime) { return FormatLocal(ttime, "%Y.%m.%d %H:%M:%S"); }

std::string TimeDateText(const CSimpleMessage& rec) { return rec.time + " " + rec.date; }

// One conversion for both: each takes the C library's time zone lock.
void CSimpleMessage::SetDateTimeFromTtime()
{
    std::tm local{};
    const bool known = ToLocalTime(ttime, local);
    date = known ? Format(local, kDateFormat) : std::string();
    time = known ? Format(local, kTimeFormat) : std::string();
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

const char* WhyNotStorable(const CSimpleMessage& msg)
{
    if (msg.ttime == 0)
        return "it has no event time";
    if (msg.IsTransponderEvent() && (msg.addr < 0 || msg.addr > 2048))
        return "a transponder event needs an address in 0..2048";
    return nullptr;
}

bool SameEvent(const CSimpleMessage& a, const CSimpleMessage& b)
{
    auto fields = [](const CSimpleMessage& m) {
        return std::tie(m.version, m.type, m.date, m.time, m.name, m.desc, m.sysName, m.lockName, m.gid, m.mid,
                        m.sid, m.lid, m.tid, m.level, m.extra1, m.trnsName, m.ttime, m.addr, m.extra2,
                        m.doorMonEvt.doorOpen, m.doorMonEvt.boltPos, m.doorMonEvt.manip, m.doorMonEvt.err,
                        m.analogInput);
    };
    return fields(a) == fields(b);
}
