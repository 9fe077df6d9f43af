// Connections closed unanswered because their user held too many, counted
// per user for the site's log: the first refusal is told at once, later ones
// are summed and told at most once a period, so a flood makes one line a
// minute per user rather than one per connection. Used by the listener
// thread alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "connection_registry.h"

class CRefusalTally {
public:
    using Clock = std::chrono::steady_clock;

    explicit CRefusalTally(Clock::duration period = std::chrono::minutes(1)) : m_period(period) {}

    void Add(int64_t uid);

    // The users with refusals to tell at now, each with the count since it
    // was last told.
    std::vector<CUserConnections> TakeDue(Clock::time_point now);

private:
    struct CCount {
        std::size_t m_nUntold = 0;
        std::optional<Clock::time_point> m_told;
    };

    Clock::duration m_period;
    std::map<int64_t, CCount> m_counts;
};
