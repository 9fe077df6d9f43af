#include "event_key_index.h"

namespace {

// One round of a 64-bit mix; the fields are small, close integers (times a
// second apart, lock numbers), which the identity hash would crowd together.
uint64_t Mix(uint64_t h, uint32_t field)
{
    h = (h ^ field) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

}  // namespace

std::size_t CEventKeyIndex::CKeyHash::operator()(const CKey& key) const
{
    uint64_t h = 0;
    for (const int32_t field : {key.tid, key.ttime, key.lid, key.sid, key.addr})
        h = Mix(h, static_cast<uint32_t>(field));
    return static_cast<std::size_t>(h);
}

CEventKeyIndex::CKey CEventKeyIndex::KeyOf(const CSimpleMessage& record)
{
    return {record.tid, record.ttime, record.lid, record.sid, record.addr};
}

void CEventKeyIndex::Add(const CSimpleMessage& record) { ++m_counts[KeyOf(record)]; }

void CEventKeyIndex::Remove(const CSimpleMessage& record)
{
    const auto it = m_counts.find(KeyOf(record));
    if (it != m_counts.end() && --it->second == 0)
        m_counts.erase(it);
}

bool CEventKeyIndex::Contains(const CSimpleMessage& record) const { return m_counts.count(KeyOf(record)) != 0; }

void CEventKeyIndex::Clear() { std::unordered_map<CKey, int, CKeyHash>().swap(m_counts); }
