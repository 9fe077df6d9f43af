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
