// The stored records counted by the fields that make two transponder events
// the same (tid, ttime, lid, sid, addr), so the store's duplicate test is one
// lookup instead of a walk through the slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "simple_message.h"

class CEventKeyIndex {
public:
    void Add(const CSimpleMessage& record);
    // record must have been added; each Remove takes back one Add.
    void Remove(const CSimpleMessage& record);
    bool Contains(const CSimpleMessage& record) const;
    void Clear();
    void Reserve(std::size_t records) { m_counts.reserve(records); }

private:
    struct CKey {
        int32_t tid, ttime, lid, sid, addr;
        bool operator==(const CKey&) const = default;
    };
    struct CKeyHash {
        std::size_t operator()(const CKey& key) const;
    };
    static CKey KeyOf(const CSimpleMessage& record);

    std::unordered_map<CKey, int, CKeyHash> m_counts;
};
