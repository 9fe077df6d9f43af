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
#include "slot_ring.h"

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

// The duplicate index of the store's records in slots 0..top, with the one
// invariant it keeps: while current, it holds exactly the keys of those
// slots. Every store operation that changes which records are stored tells
// it; the loader and test fixtures put records in place directly, so after
// a load (Invalidate), or when top has moved behind its back, it is rebuilt
// on its next use rather than in the load, which stays as fast as it was.
// The store's thread only, like the store.

class CStoredKeyIndex {
public:
    using Slots = CSlotRing<CSimpleMessage>;

    // The keys of slots 0..top, rebuilt first when they are not current.
    const CEventKeyIndex& Keys(const Slots& slots, int top);
    // The store was emptied.
    void Clear();
    // The records were replaced wholesale: rebuilt when next needed.
    void Invalidate() { m_bValid = false; }
    // Gives the memory back; rebuilt when next needed.
    void Release();
    // Before slots 0..count-1 of 0..top leave and the slots above move down.
    void DropOldest(const Slots& slots, int count, int top);
    // After a record was stored in the new top slot.
    void AddTop(const Slots& slots, int top);
    // Before the record in slot (of 0..top) is replaced by after.
    void Replace(const Slots& slots, int slot, const CSimpleMessage& after, int top);

private:
    bool IsCurrent(int top) const { return m_bValid && m_nIndexedTop == top; }

    CEventKeyIndex m_Keys;
    int m_nIndexedTop = -1;
    bool m_bValid = true;
};
