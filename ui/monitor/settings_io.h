// The Monitor's nine values and the process-wide working copies they live in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "monitor_settings.h"

// The working copies as they are now.
CMonitorSettings CurrentMonitorSettings();

// Where confirmed values are written; the settings file unless a test
// records the calls.
struct CSettingsWriter {
    std::function<bool(const std::string&, int32_t)> writeDword;
    std::function<bool(const std::string&, const std::string&)> writeString;
};
CSettingsWriter SettingsFileWriter();

// Makes confirmed values the working copies, then writes all nine, changed
// or not. A failed write is not looked at: the values still apply to this run.
void ApplyMonitorSettings(const CMonitorSettings& settings, const CSettingsWriter& writer = SettingsFileWriter());
