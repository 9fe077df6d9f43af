// One row of the Monitor list: its own copy of the event, so that sorting,
// drawing and export never touch the store or its lock, and the store slot it
// was taken from.
#pragma once

#include <vector>

#include "simple_message.h"

struct CMonitorRow {
    CSimpleMessage rec;
    int slot = -1;  // g_Array index when the row was filled
};

using CMonitorRows = std::vector<CMonitorRow>;
