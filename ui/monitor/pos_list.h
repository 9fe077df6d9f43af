// The row-to-slot map g_PosList as the Monitor keeps it in step with its rows.
#pragma once

#include "monitor_row.h"

// g_PosList entry r := rows[r].slot, for the rows the map has room for.
void WritePosList(const CMonitorRows& rows);

// rows[r].slot := g_PosList entry r, picking up what an eviction changed.
void ReadPosList(CMonitorRows& rows);

// g_PosList entry r, or -1 when the map has no such entry.
int PosListEntry(size_t r);
