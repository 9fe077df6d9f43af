// Puts hand-made records straight into the store, in time order.
#pragma once

#include <string>
#include <vector>

#include "event_store.h"
#include "monitor_row.h"

inline CSimpleMessage Event(const std::string& date, const std::string& time, const std::string& desc = "d")
{
    CSimpleMessage rec;
    rec.date = date;
    rec.time = time;
    rec.desc = desc;
    rec.ttime = 1;
    return rec;
}

// Slot i holds records[i]; the time order is the arrival order.
inline void StoreRecords(const std::vector<CSimpleMessage>& records)
{
    ResetStore();
    for (size_t i = 0; i < records.size(); ++i) {
        g_Array[i] = records[i];
        g_Pos[i] = static_cast<int>(i);
    }
    max_used_item = static_cast<int>(records.size()) - 1;
}

using Texts = std::vector<std::string>;

// The desc of each row, in row order.
inline Texts Descs(const CMonitorRows& rows)
{
    Texts out;
    for (const CMonitorRow& row : rows)
        out.push_back(row.rec.desc);
    return out;
}
