#include "event_key_index.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::size_t kMinEntries = 16;

// One round of a 64-bit mix; the fields are small, close integers (times a
// second apart, lock numbers), which the identity hash would crowd together.
uint64_t Mix(uint64_t h, uint32_t field)
{
    h = (h ^ field) * 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

}  // namespace

CEventKeyIndex::CKey CEventKeyIndex::KeyOf(const CSimpleMessage& record)
{
    return {record.tid, record.ttime, record.lid, record.sid, record.addr};
}

std::size_t CEventKeyIndex::Home(const CKey& key) const
{
    uint64_t h = 0;
    for (const int32_t field : {key.tid, key.ttime, key.lid, key.sid, key.addr})
        h = Mix(h, static_cast<uint32_t>(field));
    return static_cast<std::size_t>(h) & (m_entries.size() - 1);
}

std::size_t CEventKeyIndex::Find(const CKey& key) const
{
    std::size_t i = Home(key);
    while (m_entries[i].count != 0 && !(m_entries[i].key == key))
        i = Next(i);
    return i;
}

void CEventKeyIndex::Rehash(std::size_t entries)
{
    std::vector<CEntry> old(entries);
    old.swap(m_entries);
    for (const CEntry& entry : old) {
        if (entry.count != 0)
            m_entries[Find(entry.key)] = entry;
    }
}

void CEventKeyIndex::Reserve(std::size_t records)
{
    const std::size_t wanted = std::bit_ceil(std::max(kMinEntries, 2 * records));
    if (wanted > m_entries.size())
        Rehash(wanted);
}

void CEventKeyIndex::Add(const CSimpleMessage& record)
{
    Reserve(m_nUsed + 1);
    CEntry& entry = m_entries[Find(KeyOf(record))];
    if (entry.count == 0) {
        entry.key = KeyOf(record);
        ++m_nUsed;
    }
    ++entry.count;
}

void CEventKeyIndex::Remove(const CSimpleMessage& record)
{
    if (m_entries.empty())
        return;
    const std::size_t i = Find(KeyOf(record));
    if (m_entries[i].count != 0 && --m_entries[i].count == 0)
        Vacate(i);
}

// Frees entry i. Entries further along the probe run that could have been
// placed at or before it move back, so that no lookup stops at the gap.
void CEventKeyIndex::Vacate(std::size_t i)
{
    const std::size_t mask = m_entries.size() - 1;
    std::size_t hole = i;
    for (std::size_t j = Next(hole); m_entries[j].count != 0; j = Next(j)) {
        const std::size_t home = Home(m_entries[j].key);
        if (((j - home) & mask) >= ((j - hole) & mask)) {
            m_entries[hole] = m_entries[j];
            hole = j;
        }
    }
    m_entries[hole].count = 0;
    --m_nUsed;
}

bool CEventKeyIndex::Contains(const CSimpleMessage& record) const
{
    return !m_entries.empty() && m_entries[Find(KeyOf(record))].count != 0;
}

void CEventKeyIndex::Clear()
{
    std::vector<CEntry>().swap(m_entries);
    m_nUsed = 0;
}

const CEventKeyIndex& CStoredKeyIndex::Keys(const Slots& slots, int top)
{
    if (!IsCurrent(top)) {
        m_Keys.Clear();
        m_Keys.Reserve(static_cast<std::size_t>(top + 1));
        for (int slot = 0; slot <= top; ++slot)
            m_Keys.Add(slots[slot]);
        m_nIndexedTop = top;
        m_bValid = true;
    }
    return m_Keys;
}

void CStoredKeyIndex::Clear()
{
    m_Keys.Clear();
    m_nIndexedTop = -1;
    m_bValid = true;
}

void CStoredKeyIndex::Release()
{
    m_Keys.Clear();
    m_bValid = false;
}

void CStoredKeyIndex::DropOldest(const Slots& slots, int count, int top)
{
    if (!IsCurrent(top)) {
        m_bValid = false;
        return;
    }
    for (int slot = 0; slot < count; ++slot)
        m_Keys.Remove(slots[slot]);
    m_nIndexedTop -= count;
}

void CStoredKeyIndex::AddTop(const Slots& slots, int top)
{
    if (m_bValid && m_nIndexedTop == top - 1) {
        m_Keys.Add(slots[top]);
        m_nIndexedTop = top;
    } else {
        m_bValid = false;
    }
}

void CStoredKeyIndex::Replace(const Slots& slots, int slot, const CSimpleMessage& after, int top)
{
    if (slot > top || !IsCurrent(top))
        return;
    m_Keys.Remove(slots[slot]);
    m_Keys.Add(after);
}
