// What each open notification announced, until the user has dealt with all
// of it: an event is dealt with once it is read (Read, All read), once the
// navigator has stepped onto it, or once the store no longer holds it. A
// notification with nothing left to deal with is withdrawn, so that a red
// alarm note does not outlive the alarm. Plain code over the store; GUI
// thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "simple_message.h"

class CAnnouncedEvents {
public:
    // Notification key named rec and announced the events in slots
    // firstSlot..max_used_item. The oldest notifications are forgotten
    // beyond a few hundred: they stay until their service or the user
    // closes them.
    void Announce(std::uint64_t key, const CSimpleMessage& named, int firstSlot);
    // The event notification key named; null once it is forgotten.
    const CSimpleMessage* Named(std::uint64_t key) const;
    // The navigator stepped onto the event in slot.
    void Seen(int slot);
    // The notifications left with nothing to deal with, oldest first; they
    // are forgotten.
    std::vector<std::uint64_t> TakeSettled();

private:
    struct CPending {
        CSimpleMessage rec;
        int slot;  // where it was last found
    };
    struct CNotice {
        std::uint64_t key;
        CSimpleMessage named;
        std::vector<CPending> pending;
    };

    static int Locate(CPending& pending);

    std::deque<CNotice> m_notices;  // oldest first
};
