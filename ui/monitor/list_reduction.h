// The rows of a Monitor refill, taken from the store newest first.
#pragma once

#include "monitor_row.h"
#include "monitor_settings.h"

// Walks the store's time order from the newest event down and keeps every
// event that passes the filter; in list modes 1 to 3 an event is dropped when
// a row already listed has the same key (locking, transponder, or both), so
// each key keeps its newest passing event. Takes g_StoreMutex for the walk and
// records each row's slot in g_PosList.
CMonitorRows BuildMonitorRows(const CMonitorSettings& settings, const TodayFn& today);

