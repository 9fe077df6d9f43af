// The format checks of the Monitor configuration dialog.
#pragma once

#include <string>

// Empty, or ten characters that read as "%04d.%02d.%02d" with year >= 1900,
// month 1..12 and day 1..31 (the day is not checked against the month).
bool IsValidDateText(const std::string& text);

// Empty, or eight characters that read as "%02d:%02d:%02d" with hour 0..24,
// minute and second 0..59.
bool IsValidTimeText(const std::string& text);

enum class ConfigField { kNone, kDate, kTimeFrom, kTimeTo };

// The first field that fails its check, in the order date, from, to.
ConfigField FirstInvalidField(const std::string& date, const std::string& timeFrom, const std::string& timeTo);
