#include "event_store.h"

#include <algorithm>

std::vector<CSimpleMessage> g_Array;
std::vector<int> g_Pos;
std::vector<int> g_PosList;
int max_messages = kDefaultCapacity;
int max_used_item = -1;
int cur_item = -1;
int req_item = -1;
int new_arrived = 0;
std::recursive_mutex g_StoreMutex;

using Lock = std::lock_guard<std::recursive_mutex>;

void ResetStore(int capacity)
{
    Lock lock(g_StoreMutex);
    max_messages = capacity;
    g_Array.assign(capacity, CSimpleMessage());
    g_Pos.assign(capacity, 0);
    g_PosList.assign(capacity, 0);
    max_used_item = -1;
    cur_item = -1;
    req_item = -1;
    new_arrived = 0;
}

namespace {

bool IsDuplicate(const CSimpleMessage& a, const CSimpleMessage& b)
{
    return a.tid == b.tid && a.ttime == b.ttime && a.lid == b.lid && a.sid == b.sid && a.addr == b.addr;
}

// Looks for msg among the stored transponder events. The records added since
// the last sort sit unsorted at the top; below them g_Pos is in time order,
// so the search there can stop at the first older record.
bool IsStoredAlready(const CSimpleMessage& msg)
{
    const int u = max_used_item;
    const int k = u - new_arrived;
    for (int j = u; j > k && j >= 0; --j) {
        if (IsDuplicate(g_Array[j], msg))
            return true;
    }
    for (int p = k; p >= 0; --p) {
        const CSimpleMessage& stored = g_Array[g_Pos[p]];
        if (stored.ttime < msg.ttime)
            return false;
        if (stored.ttime == msg.ttime && IsDuplicate(stored, msg))
            return true;
    }
    return false;
}

bool IsAcceptable(const CSimpleMessage& msg)
{
    if (msg.ttime == 0)
        return false;
    if (msg.IsTransponderEvent()) {
        if (msg.addr < 0 || msg.addr > 2048)
            return false;
        if (IsStoredAlready(msg))
            return false;
    }
    return true;
}

// Drops the 50 oldest records by arrival. Records move down by 50 slots; the
// time order and the Monitor's row map follow them.
void EvictOldest()
{
    const int n = max_messages;
    std::move(g_Array.begin() + kEvictBatch, g_Array.begin() + n, g_Array.begin());
    // The top 50 slots are not cleared (a saved file shows what they held):
    // put back what the move took out of them.
    for (int i = n - kEvictBatch; i < n; ++i)
        g_Array[i] = g_Array[i - kEvictBatch];

    int dropped = 0;
    for (int p = 0; p < n; ++p) {
        if (g_Pos[p] >= kEvictBatch)
            g_Pos[p - dropped] = g_Pos[p] - kEvictBatch;
        else
            ++dropped;
        g_PosList[p] = g_PosList[p] >= kEvictBatch ? g_PosList[p] - kEvictBatch : -1;
    }
    for (int p = n - kEvictBatch; p < n; ++p)
        g_Pos[p] = p;
    max_used_item = n - kEvictBatch - 1;
}

}  // namespace

bool AddMessage(std::string_view text)
{
    Lock lock(g_StoreMutex);
    CSimpleMessage msg;
    msg.Parse(text);
    if (!IsAcceptable(msg))
        return false;
    if (max_used_item >= max_messages - 1)
        EvictOldest();
    ++max_used_item;
    g_Array[max_used_item] = std::move(msg);
    g_Pos[max_used_item] = max_used_item;
    cur_item = req_item = max_used_item;
    ++new_arrived;
    return true;
}

namespace {

// Orders positions 0..top of g_Pos by ttime, stably.
void SortPositionsUpTo(int top)
{
    Lock lock(g_StoreMutex);
    if (top < 1)
        return;
    auto byTime = [](int a, int b) { return g_Array[a].ttime < g_Array[b].ttime; };
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

}  // namespace

void SortPositions() { SortPositionsUpTo(max_used_item); }

void SetMaxMessages(int n, const std::function<void()>& showCurrent)
{
    if (n < max_messages && max_used_item >= n) {
        Lock lock(g_StoreMutex);
        const int drop = max_used_item - n + 1;
        std::move(g_Array.begin() + drop, g_Array.begin() + drop + n, g_Array.begin());
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
    // Records not yet handed over stay unsorted at the top, where the
    // duplicate search of AddMessage expects them; the hand-over sorts them.
    SortPositionsUpTo(max_used_item - new_arrived);
}

void MarkAllRead()
{
    for (int i = 0; i <= max_used_item; ++i)
        g_Array[i].read = 1;
}

bool HandOverArrivals(CSimpleMessage& shown, const ArrivalHooks& hooks)
{
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

bool WriteBackReadFlag(CSimpleMessage& shown, bool checked)
{
    const int value = checked ? 1 : 0;
    if (shown.read == value || cur_item < 0 || cur_item >= static_cast<int>(g_Array.size()))
        return false;
    shown.read = value;
    g_Array[cur_item] = shown;
    return true;
}
