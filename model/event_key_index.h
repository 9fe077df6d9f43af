// The stored records counted by the fields that make two transponder events
// the same (tid, ttime, lid, sid, addr), so the store's duplicate test is one
// lookup instead of a walk through the slots.
//
// An open-addressed table in one array: the index is rebuilt from thousands
// of records after every load, and a node per key made that rebuild and each
// eviction a round of allocations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "simple_message.h"

class CEventKeyIndex {
public:
    void Add(const CSimpleMessage& record);
    // record must have been added; each Remove takes back one Add.
    void Remove(const CSimpleMessage& record);
    bool Contains(const CSimpleMessage& record) const;
    // Forgets every key and gives back the memory.
    void Clear();
    // Makes room for records keys without growing on the way.
    void Reserve(std::size_t records);

private:
    struct CKey {
        int32_t tid, ttime, lid, sid, addr;
        bool operator==(const CKey&) const = default;
    };
    struct CEntry {
        CKey key{};
        int32_t count = 0;  // 0: a free entry
    };
    static CKey KeyOf(const CSimpleMessage& record);
    std::size_t Home(const CKey& key) const;
    std::size_t Next(std::size_t i) const { return (i + 1) & (m_entries.size() - 1); }
    // The entry holding key, or the free entry where it would go.
    std::size_t Find(const CKey& key) const;
    void Rehash(std::size_t entries);
    void Vacate(std::size_t i);

    std::vector<CEntry> m_entries;  // a power of two long, at most half used
    std::size_t m_nUsed = 0;
};
