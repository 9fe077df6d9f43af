// What the alerts react to, as plain code over the store: the unread events,
// and the events a hand-over brings. Also the sound each level makes.
#pragma once

#include <cstdint>
#include <string>

#include "simple_message.h"
#include "tones.h"

struct CUnreadSummary {
    int unread = 0;
    int alarms = 0;  // unread alarms
    int highestLevel = kNoLevel;
    // The newest unread alarm, by arrival: what a glance at the tray must
    // find without opening a window.
    std::string alarmDesc, alarmLocking;
    bool operator==(const CUnreadSummary&) const = default;
};

// Over every stored event.
CUnreadSummary SummarizeUnread();

struct CArrivals {
    // The event a notification names: the most severe of the hand-over, and
    // among those of its level the newest. A routine message arriving after
    // an alarm must not hide it.
    CSimpleMessage named;
    CSimpleMessage newest;
    int count = 0;  // events stored since the last hand-over
    int highestLevel = kNoLevel;
    // The slot of the oldest arrival still stored; they reach up to
    // max_used_item. -1 when none is stored.
    int firstSlot = -1;
};

// The events not yet handed over (new_arrived of them, the newest in the
// top slot). Some may have been evicted already: they still count, but only
// those stored decide the level.
CArrivals SummarizeArrivals();

// Message: the beep. Warning: two beeps. Alarm: three at a higher pitch.
// Without perLevel, the beep for every level.
CToneSequence LevelTones(int level, bool perLevel);
