#include "event_level.h"

#include <array>

#include "string_table.h"

namespace {

constexpr std::array<int, 3> kTypeTextIds = {IDS_MESSAGE, IDS_WARNING, IDS_ALARM};

}  // namespace

bool HasLevelImage(int32_t level) { return level >= 0 && level < static_cast<int32_t>(kTypeTextIds.size()); }

std::string TypeText(int32_t level)
{
    if (!HasLevelImage(level))
        return {};
    return std::string(LoadStringText(kTypeTextIds[level]));
}

std::string LevelAccessibleText(int32_t level)
{
    return HasLevelImage(level) ? TypeText(level) : "level " + std::to_string(level);
}

int AlertLevel(int32_t level) { return level == kLevelWarning || level == kLevelAlarm ? level : kLevelMessage; }

int EventPriority(int32_t level)
{
    switch (level) {
    case kLevelAlarm: return 2;
    case kLevelWarning: return 4;
    default: return 6;
    }
}
