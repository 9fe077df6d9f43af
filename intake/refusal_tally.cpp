#include "refusal_tally.h"

void CRefusalTally::Add(int64_t uid)
{
    ++m_counts[uid].m_nUntold;
}

std::vector<CUserConnections> CRefusalTally::TakeDue(Clock::time_point now)
{
    std::vector<CUserConnections> due;
    for (auto it = m_counts.begin(); it != m_counts.end();) {
        CCount& count = it->second;
        const bool periodOver = !count.m_told || now - *count.m_told >= m_period;
        if (periodOver && count.m_nUntold > 0) {
            due.push_back({it->first, count.m_nUntold});
            count = {0, now};
        } else if (periodOver) {
            // Quiet for a whole period: its next refusal is news again.
            it = m_counts.erase(it);
            continue;
        }
        ++it;
    }
    return due;
}
