// The event store: one process-wide, bounded collection of events.
//
// Records live by value in g_Array in arrival order (slot 0 the oldest);
// g_Pos is the time order over the same slots; g_PosList maps Monitor rows to
// slots. g_Array reads and writes like a vector of slots; dropping the oldest
// records turns its ring instead of moving the others down.
//
// Threads: the store has one owner, the thread that last called ResetStore
// (the GUI thread in the program); every function here runs on it, which a
// debug build asserts. Connection threads never touch the store: they hand
// texts to the intake queue. g_StoreMutex is therefore not what keeps
// threads apart; it marks the steps that must be seen as a unit by code
// that runs inside them through a callback or a nested event loop (the save,
// the Monitor's list, a message box opened during a hand-over). It is
// recursive because the arrival hand-over re-enters it through SortPositions
// and the Monitor refill. Each function below says whether it takes it.
#pragma once

#include <functional>
#include <mutex>
#include <string_view>
#include <vector>

#include "simple_message.h"
#include "slot_ring.h"

inline constexpr int kDefaultCapacity = 500;
inline constexpr int kMinCapacity = 100;
inline constexpr int kMaxCapacity = 10000;
// A full store drops this many of its oldest records at once, so it needs at
// least this many slots; below that it refuses records once full.
inline constexpr int kEvictBatch = 50;

extern CSlotRing<CSimpleMessage> g_Array;
extern std::vector<int> g_Pos;
extern std::vector<int> g_PosList;
extern int max_messages;
extern int max_used_item;  // -1 when empty
extern int cur_item;       // slot the navigator shows, -1 for none
extern int req_item;       // slot the navigator asked for
extern int new_arrived;    // records added since the last hand-over
extern std::recursive_mutex g_StoreMutex;

// Empties the store and sizes it to capacity default slots (start-up,
// tests), and makes the calling thread its owner. Takes the mutex.
void ResetStore(int capacity = kDefaultCapacity);

// For code that replaced the records wholesale (a load, which holds the
// mutex itself): the duplicate test's index is rebuilt when next needed.
void ReindexStore();

// Builds the duplicate test's index now if a load left it to be rebuilt,
// so that the first transponder event after start-up does not wait for it.
// Takes the mutex: the index is the store's.
void PrepareDuplicateIndex();

// Gives back all memory the store holds; ResetStore makes it usable again.
// Only when nothing else can look (the end of the program, tests): no mutex.
void ReleaseStoreMemory();

// The store's rule for one record on its own: it needs a time, and a
// transponder event an address in 0..2048. A record that passes may still be
// refused as a duplicate of one already stored.
bool IsAcceptableAlone(const CSimpleMessage& msg);

// Parses one event text and stores it if it is acceptable: it needs a time,
// and a transponder event needs an address in 0..2048 and must not be stored
// already. Only an accepted record makes a full store evict its 50 oldest.
// Returns whether the record was stored. Takes the mutex: an eviction moves
// every slot number at once.
bool AddMessage(std::string_view text);

// AddMessage, telling why a text was not stored: the archive keeps the
// duplicates apart from texts that could never be stored.
enum class AddVerdict { kStored, kRefused, kDuplicate };
AddVerdict AddMessageVerdict(std::string_view text);

// Orders positions 0..max_used_item of g_Pos by ttime, stably. Takes the
// mutex.
void SortPositions();

// Changes the capacity. When shrinking below the stored count the newest
// records by arrival survive; showCurrent is then called, under the mutex
// (taken only when records are dropped), so the navigator can show the
// record at cur_item.
void SetMaxMessages(int n, const std::function<void()>& showCurrent = {});

// Sets the read flag of every stored record. No mutex: no slot moves.
void MarkAllRead();

// ---- The store steps of the navigator's refresh --------------------------

struct ArrivalHooks {
    std::function<void()> signalArrival;  // show, beep, window to front
    std::function<void()> refillMonitor;  // only when a Monitor exists
};

// When records arrived since the last call: copies the newest into shown,
// signals, re-sorts the time order, refills the Monitor and clears
// new_arrived. Returns whether there were arrivals. Takes the mutex around
// the whole hand-over, hooks included, so the Monitor refills from the
// order it sorted.
bool HandOverArrivals(CSimpleMessage& shown, const ArrivalHooks& hooks);

// Moves cur_item to a pending navigation request if it names a stored slot
// (copying that record into shown); otherwise drops the request. Returns
// whether shown changed. Takes the mutex while it moves cur_item.
bool ResolveRequest(CSimpleMessage& shown);

// Writes the Read check box back through the shown copy into its slot.
// Returns whether anything was written. No mutex: one slot's flag.
bool WriteBackReadFlag(CSimpleMessage& shown, bool checked);

// The slot that holds the same event as rec (the newest such), or -1 when
// it is no longer stored. No mutex: it only reads.
int FindStoredSlot(const CSimpleMessage& rec);

// Sets the read flag of the record in slot, if slot names one. Takes the
// mutex.
void SetReadFlagOf(int slot, int read);

// True when slot names a record that g_Array holds.
inline bool IsStoredSlot(int slot) { return slot >= 0 && slot <= max_used_item && slot < static_cast<int>(g_Array.size()); }
