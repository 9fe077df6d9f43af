// What the alerts react to, as plain code over the store: the unread events,
// and the events a hand-over brings. Also the sound each level makes.
#pragma once

#include <cstdint>

#include "simple_message.h"
#include "tones.h"

struct CUnreadSummary {
    int unread = 0;
    int alarms = 0;  // unread alarms
    int highestLevel = kNoLevel;
    bool operator==(const CUnreadSummary&) const = default;
};

// Over every stored event.
CUnreadSummary SummarizeUnread();

struct CArrivals {
    CSimpleMessage newest;
    int count = 0;  // events stored since the last hand-over
    int highestLevel = kNoLevel;
};

// The events not yet handed over (new_arrived of them, the newest in the
// top slot). Some may have been evicted already: they still count, but only
// those stored decide the level.
CArrivals SummarizeArrivals();

// Message: the beep. Warning: two beeps. Alarm: three at a higher pitch.
// Without perLevel, the beep for every level.
CToneSequence LevelTones(int level, bool perLevel);
