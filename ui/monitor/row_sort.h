// The Monitor's column sort.
#pragma once

#include "monitor_row.h"

// Which column the rows are sorted by and in which direction. The start
// state stands for the newest-first order of a refill, so the first click on
// "Date" gives oldest first.
struct CSortState {
    int column = 3;
    int direction = -1;  // +1 ascending, -1 descending

    // A click on the sorted column reverses it; any other column starts ascending.
    void Click(int clicked);
};

// Negative, zero or positive, already multiplied by the direction. "Type"
// orders by the event type number, not by the level text shown there; the
// texts compare without regard to ASCII case.
int CompareRows(const CSimpleMessage& a, const CSimpleMessage& b, const CSortState& state);

// Sorts rows stably by CompareRows. g_PosList entries travel with their rows
// (an eviction since the refill may have changed them), so the export still
// finds each row's slot.
void SortRows(CMonitorRows& rows, const CSortState& state);
