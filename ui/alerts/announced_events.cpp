#include "announced_events.h"

#include <algorithm>

#include "event_store.h"

namespace {

// Notifications followed at once: a "Show" further back only brings the
// window forward.
constexpr size_t kMaxNotices = 256;

}  // namespace

void CAnnouncedEvents::Announce(std::uint64_t key, const CSimpleMessage& named, int firstSlot)
{
    CNotice notice{key, named, {}};
    if (firstSlot >= 0) {
        notice.pending.reserve(static_cast<size_t>(max_used_item - firstSlot + 1));
        for (int slot = firstSlot; slot <= max_used_item; ++slot)
            notice.pending.push_back({g_Array[slot], slot});
    }
    m_notices.push_back(std::move(notice));
    if (m_notices.size() > kMaxNotices)
        m_notices.pop_front();
}

const CSimpleMessage* CAnnouncedEvents::Named(std::uint64_t key) const
{
    const auto notice = std::find_if(m_notices.begin(), m_notices.end(), [key](const CNotice& n) { return n.key == key; });
    return notice == m_notices.end() ? nullptr : &notice->named;
}

// Records only ever move towards slot 0 (the oldest dropped, a smaller
// capacity), so the search starts where the record was last found: after
// such a move it costs one step per slot moved, otherwise one comparison.
int CAnnouncedEvents::Locate(CPending& pending)
{
    for (int slot = std::min(pending.slot, max_used_item); slot >= 0; --slot) {
        if (SameEvent(g_Array[slot], pending.rec))
            return pending.slot = slot;
    }
    return -1;
}

void CAnnouncedEvents::Seen(int slot)
{
    for (CNotice& notice : m_notices)
        std::erase_if(notice.pending, [slot](CPending& p) { return Locate(p) == slot; });
}

std::vector<std::uint64_t> CAnnouncedEvents::TakeSettled()
{
    std::vector<std::uint64_t> settled;
    std::erase_if(m_notices, [&settled](CNotice& notice) {
        std::erase_if(notice.pending, [](CPending& p) {
            const int slot = Locate(p);
            return slot < 0 || g_Array[slot].read != 0;
        });
        if (!notice.pending.empty())
            return false;
        settled.push_back(notice.key);
        return true;
    });
    return settled;
}
