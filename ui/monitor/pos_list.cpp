#include "pos_list.h"

#include <algorithm>

#include "event_store.h"

void WritePosList(const CMonitorRows& rows)
{
    const size_t count = std::min(rows.size(), g_PosList.size());
    for (size_t r = 0; r < count; ++r)
        g_PosList[r] = rows[r].slot;
}

void ReadPosList(CMonitorRows& rows)
{
    const size_t count = std::min(rows.size(), g_PosList.size());
    for (size_t r = 0; r < count; ++r)
        rows[r].slot = g_PosList[r];
}

int PosListEntry(size_t r) { return r < g_PosList.size() ? g_PosList[r] : -1; }
