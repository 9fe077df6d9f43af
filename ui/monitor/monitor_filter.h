// Whether one event passes the Monitor's filters.
#pragma once

#include <string_view>

#include "monitor_settings.h"
#include "simple_message.h"

// The conditions are checked cheapest-first in a fixed order. The substring
// filters compare the texts as they read on screen (shown_text.h); dates and
// times compare as plain bytes, which works because both sides are
// zero-padded. today is the current local date text.
bool MatchesFilter(const CSimpleMessage& rec, const CMonitorSettings& settings, std::string_view today);
