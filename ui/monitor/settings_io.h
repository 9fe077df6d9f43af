// The Monitor's nine values and the process-wide working copies they live in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "monitor_settings.h"

// The working copies as they are now.
CMonitorSettings CurrentMonitorSettings();

// Makes confirmed values the working copies, then writes all nine, changed
// or not, through the shell's settings writer. A failed write is not looked
// at: the values still apply to this run.
void ApplyMonitorSettings(const CMonitorSettings& settings);

// The navigator's Options: the beep, the window to the front, the store's size.
struct CNavigatorOptions {
    int beep = 0;
    int pop = 0;
    int maxMessages = 0;
    bool operator==(const CNavigatorOptions&) const = default;
};
CNavigatorOptions CurrentNavigatorOptions();

// Makes confirmed Options the working copies and writes the two switches
// through the shell's settings writer. A changed size resizes the store,
// which calls showCurrent as SetMaxMessages does. Returns false, changing
// nothing, when nothing differs.
bool ApplyNavigatorOptions(const CNavigatorOptions& options, const std::function<void()>& showCurrent);
