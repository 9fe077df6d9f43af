#include "list_reduction.h"

#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>

#include "event_store.h"
#include "monitor_filter.h"
#include "pos_list.h"

namespace {

void AppendNumber(std::string& key, int32_t value)
{
    key += std::to_string(value);
    key += ',';
}

// Texts are length-prefixed so that no two different field tuples give the
// same key whatever bytes the texts hold.
void AppendText(std::string& key, const std::string& text)
{
    AppendNumber(key, static_cast<int32_t>(text.size()));
    key += text;
}

// A locking is its system and locking id; a locking without an id (lid 0) is
// told apart by group, member and name instead.
void AppendLockingKey(std::string& key, const CSimpleMessage& rec)
{
    AppendNumber(key, rec.sid);
    AppendNumber(key, rec.lid);
    if (rec.lid == 0) {
        AppendText(key, rec.gid);
        AppendText(key, rec.mid);
        AppendText(key, rec.lockName);
    }
}

// The key under which a list mode keeps only the newest event; empty when
// the mode keeps every event.
std::string ReductionKey(const CSimpleMessage& rec, int32_t list)
{
    std::string key;
    if (list == 1 || list == 3)
        AppendLockingKey(key, rec);
    if (list == 2 || list == 3)
        AppendNumber(key, rec.tid);
    return key;
}

bool ModeReduces(int32_t list) { return list >= 1 && list <= 3; }

class CRowCollector {
public:
    CRowCollector(const CMonitorSettings& settings, const TodayFn& today)
        : m_settings(settings), m_today(today) {}

    void Offer(const CSimpleMessage& rec, int slot)
    {
        RefreshToday();
        if (!MatchesFilter(rec, m_settings, m_strToday))
            return;
        if (ModeReduces(m_settings.list) && !m_keys.insert(ReductionKey(rec, m_settings.list)).second)
            return;
        m_rows.push_back({rec, slot});
    }

    CMonitorRows Take() { return std::move(m_rows); }

private:
    // Rows listed before midnight stop passing the today-only filter after
    // it, and then no longer hide older events of their key.
    void RefreshToday()
    {
        std::string now = m_today();
        if (now == m_strToday)
            return;
        m_strToday = std::move(now);
        if (!ModeReduces(m_settings.list) || m_rows.empty())
            return;
        m_keys.clear();
        for (const CMonitorRow& row : m_rows)
            if (MatchesFilter(row.rec, m_settings, m_strToday))
                m_keys.insert(ReductionKey(row.rec, m_settings.list));
    }

    const CMonitorSettings& m_settings;
    const TodayFn& m_today;
    std::string m_strToday;
    std::unordered_set<std::string> m_keys;
    CMonitorRows m_rows;
};

}  // namespace

CMonitorRows BuildMonitorRows(const CMonitorSettings& settings, const TodayFn& today)
{
    std::lock_guard<std::recursive_mutex> lock(g_StoreMutex);
    CRowCollector collector(settings, today);
    for (int p = max_used_item; p >= 0; --p) {
        const int slot = g_Pos[p];
        collector.Offer(g_Array[slot], slot);
    }
    CMonitorRows rows = collector.Take();
    WritePosList(rows);
    return rows;
}
