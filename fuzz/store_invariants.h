// What every reader of the store relies on. A fuzz target stops with a
// crash report when it does not hold.
#pragma once

#include <cstdlib>

#include "event_store.h"

inline void RequireConsistentStore()
{
    const bool sized = static_cast<int>(g_Array.size()) >= max_messages &&
                       static_cast<int>(g_Pos.size()) >= max_messages &&
                       static_cast<int>(g_PosList.size()) >= max_messages;
    if (!sized || max_used_item < -1 || max_used_item >= max_messages || max_messages < kMinCapacity)
        std::abort();
    for (int p = 0; p <= max_used_item; ++p) {
        if (g_Pos[p] < 0 || g_Pos[p] >= static_cast<int>(g_Array.size()))
            std::abort();
    }
}
