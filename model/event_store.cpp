#include "event_store.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <thread>

#include "event_key_index.h"

CSlotRing<CSimpleMessage> g_Array;
std::vector<int> g_Pos;
std::vector<int> g_PosList;
int max_messages = kDefaultCapacity;
int max_used_item = -1;
int cur_item = -1;
int req_item = -1;
int new_arrived = 0;
std::recursive_mutex g_StoreMutex;

using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

CStoredKeyIndex s_Keys;

// The thread that last reset the store; none before the first reset.
std::thread::id s_Owner;

// Debug builds check that the store is used from its owner's thread only.
void AssertOwner() { assert(s_Owner == std::thread::id() || s_Owner == std::this_thread::get_id()); }

// Stores record in slot, which may be a stored one.
void ReplaceRecord(int slot, const CSimpleMessage& record)
{
    s_Keys.Replace(g_Array, slot, record, max_used_item);
    g_Array[slot] = record;
}

// Two transponder events are the same when tid, ttime, lid, sid and addr
// agree; any stored record counts, whatever its type.
bool IsStoredAlready(const CSimpleMessage& msg) { return s_Keys.Keys(g_Array, max_used_item).Contains(msg); }

AddVerdict Verdict(const CSimpleMessage& msg)
{
    if (!IsAcceptableAlone(msg))
        return AddVerdict::kRefused;
    return msg.IsTransponderEvent() && IsStoredAlready(msg) ? AddVerdict::kDuplicate : AddVerdict::kStored;
}

// Drops the 50 oldest records by arrival: slot i then names the record slot
// i + 50 named. The records stay where they are, the ring of slots turns;
// the time order and the Monitor's row map follow.
//
// Precondition: the store is full (max_used_item == max_messages - 1). It
// needs max_messages >= kEvictBatch and refuses (returns false, changing
// nothing) below that; from 50 slots up it is exact, also under 100.
bool EvictOldest()
{
    const int n = max_messages;
    if (n < kEvictBatch)
        return false;
    s_Keys.DropOldest(g_Array, kEvictBatch, max_used_item);
    g_Array.RotateFront(kEvictBatch, n);
    // The top 50 slots are not cleared (a saved file shows what they held):
    // each gets back what it held before the turn, which now sits 50 slots
    // lower (round the ring when the store has fewer than 100 slots, where
    // the source lies higher and is read before it is overwritten).
    for (int i = n - kEvictBatch; i < n; ++i) {
        const int before = (i - kEvictBatch + n) % n;
        if (before != i)
            g_Array[i] = g_Array[before];
    }

    // The time order keeps the survivors in their order, the gaps closed;
    // a Monitor row of an evicted record names no slot any more. Separate
    // passes, so that the compiler can vectorize the simple ones.
    const auto first = g_Pos.begin();
    const auto kept = std::remove_if(first, first + n, [](int slot) { return slot < kEvictBatch; });
    std::for_each(first, kept, [](int& slot) { slot -= kEvictBatch; });
    std::iota(first + n - kEvictBatch, first + n, n - kEvictBatch);
    std::transform(g_PosList.begin(), g_PosList.begin() + n, g_PosList.begin(),
                   [](int slot) { return slot >= kEvictBatch ? slot - kEvictBatch : -1; });
    max_used_item = n - kEvictBatch - 1;
    return true;
}

}  // namespace

bool IsAcceptableAlone(const CSimpleMessage& msg) { return WhyNotStorable(msg) == nullptr; }

void ResetStore(int capacity)
{
    s_Owner = std::this_thread::get_id();
    Lock lock(g_StoreMutex);
    max_messages = capacity;
    g_Array.assign(capacity, CSimpleMessage());
    g_Pos.assign(capacity, 0);
    g_PosList.assign(capacity, 0);
    max_used_item = -1;
    cur_item = -1;
    req_item = -1;
    new_arrived = 0;
    s_Keys.Clear();
}

void ReindexStore()
{
    AssertOwner();
    s_Keys.Invalidate();
}

void PrepareDuplicateIndex()
{
    AssertOwner();
    Lock lock(g_StoreMutex);
    s_Keys.Keys(g_Array, max_used_item);
}

void ReleaseStoreMemory()
{
    std::vector<CSimpleMessage> records;
    g_Array.swap(records);
    std::vector<int>().swap(g_Pos);
    std::vector<int>().swap(g_PosList);
    s_Keys.Release();
}

bool AddMessage(std::string_view text) { return AddMessageVerdict(text) == AddVerdict::kStored; }

AddVerdict AddMessageVerdict(std::string_view text)
{
    AssertOwner();
    Lock lock(g_StoreMutex);
    CSimpleMessage msg;
    msg.Parse(text);
    if (const AddVerdict verdict = Verdict(msg); verdict != AddVerdict::kStored)
        return verdict;
    if (max_used_item >= max_messages - 1 && !EvictOldest())
        return AddVerdict::kRefused;
    ++max_used_item;
    g_Array[max_used_item] = std::move(msg);
    s_Keys.AddTop(g_Array, max_used_item);
    g_Pos[max_used_item] = max_used_item;
    cur_item = req_item = max_used_item;
    ++new_arrived;
    return AddVerdict::kStored;
}

namespace {

// Orders positions 0..top of g_Pos by ttime, stably, reading the records
// through slots (a plain array or the ring's reader).
template <class Slots>
void SortPositionsBy(int top, const Slots& slots)
{
    auto byTime = [&slots](int a, int b) { return slots[a].ttime < slots[b].ttime; };
    const auto first = g_Pos.begin();
    const auto last = first + top + 1;
    // New records are appended at the top, so most of the list is usually in
    // order already: sort only the tail that is not, then merge it in.
    const auto sortedEnd = std::is_sorted_until(first, last, byTime);
    if (sortedEnd == last)
        return;
    std::stable_sort(sortedEnd, last, byTime);
    std::inplace_merge(first, sortedEnd, last, byTime);
}

void SortPositionsUpTo(int top)
{
    Lock lock(g_StoreMutex);
    if (top < 1)
        return;
    // Until the first eviction turns the ring, slots are plain array
    // indexes, and the comparisons are spared the mapping.
    if (const CSimpleMessage* straight = g_Array.StraightData())
        SortPositionsBy(top, straight);
    else
        SortPositionsBy(top, g_Array.Reader());
}

}  // namespace

void SortPositions()
{
    AssertOwner();
    SortPositionsUpTo(max_used_item);
}

void SetMaxMessages(int n, const std::function<void()>& showCurrent)
{
    AssertOwner();
    if (n < max_messages && max_used_item >= n) {
        Lock lock(g_StoreMutex);
        const int drop = max_used_item - n + 1;
        s_Keys.DropOldest(g_Array, drop, max_used_item);
        for (int i = 0; i < n; ++i)
            g_Array[i] = std::move(g_Array[i + drop]);
        max_used_item = cur_item = n - 1;
        if (showCurrent)
            showCurrent();
    }
    if (n == max_messages)
        return;
    max_messages = n;
    g_Array.resize(n);
    g_Pos.resize(n);
    for (int p = 0; p < n; ++p)
        g_Pos[p] = p;
    g_PosList.resize(n, 0);
    // Records not yet handed over stay out of the time order, as AddMessage
    // leaves them: the hand-over sorts them in when it signals them.
    SortPositionsUpTo(max_used_item - new_arrived);
}

void MarkAllRead()
{
    AssertOwner();
    for (int i = 0; i <= max_used_item; ++i)
        g_Array[i].read = 1;
}

bool HandOverArrivals(CSimpleMessage& shown, const ArrivalHooks& hooks)
{
    AssertOwner();
    if (new_arrived <= 0)
        return false;
    Lock lock(g_StoreMutex);
    if (IsStoredSlot(cur_item))
        shown = g_Array[cur_item];
    if (hooks.signalArrival)
        hooks.signalArrival();
    SortPositions();
    if (hooks.refillMonitor)
        hooks.refillMonitor();
    new_arrived = 0;
    return true;
}

bool ResolveRequest(CSimpleMessage& shown)
{
    AssertOwner();
    if (req_item == cur_item)
        return false;
    if (!IsStoredSlot(req_item)) {
        req_item = cur_item;
        return false;
    }
    Lock lock(g_StoreMutex);
    cur_item = req_item;
    shown = g_Array[cur_item];
    return true;
}

int FindStoredSlot(const CSimpleMessage& rec)
{
    AssertOwner();
    for (int slot = max_used_item; slot >= 0; --slot) {
        if (SameEvent(g_Array[slot], rec))
            return slot;
    }
    return -1;
}

void SetReadFlagOf(int slot, int read)
{
    AssertOwner();
    if (!IsStoredSlot(slot))
        return;
    Lock lock(g_StoreMutex);
    g_Array[slot].read = read;
}

bool WriteBackReadFlag(CSimpleMessage& shown, bool checked)
{
    AssertOwner();
    const int value = checked ? 1 : 0;
    if (shown.read == value || cur_item < 0 || cur_item >= static_cast<int>(g_Array.size()))
        return false;
    shown.read = value;
    ReplaceRecord(cur_item, shown);
    return true;
}
