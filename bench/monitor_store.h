// Ten thousand stored events of a busy day: 200 lockings, 500 transponders,
// every other event a transponder event, a mix of levels, all dated today.
#pragma once

#include <string>

#include "event_store.h"
#include "monitor_settings.h"

inline void FillBenchStore(int count = 10000)
{
    ResetStore(count);
    const std::string today = LocalToday();
    for (int i = 0; i < count; ++i) {
        CSimpleMessage& rec = g_Array[i];
        rec.type = i % 2 ? 3 : 1;
        rec.ttime = 1000 + i;
        rec.date = today;
        rec.time = std::to_string(10 + i % 10) + ":" + std::to_string(10 + i % 50) + ":00";
        rec.desc = "Access granted at the door with a long text " + std::to_string(i % 37);
        rec.sid = 1;
        rec.lid = i % 200;  // lid 0 events are told apart by group, member and name
        rec.lockName = "Door " + std::to_string(rec.lid);
        rec.gid = std::to_string(i % 200);
        rec.mid = std::to_string(i % 7);
        rec.tid = i % 500;
        rec.trnsName = "Key " + std::to_string(rec.tid);
        rec.level = i % 13 == 0 ? 2 : (i % 5 == 0 ? 1 : 0);
        g_Pos[i] = i;
    }
    max_used_item = count - 1;
}
