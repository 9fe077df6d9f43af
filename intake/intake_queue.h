// The intake queue: connection threads append the texts they received, and
// answer their senders once a text is queued; the GUI thread drains them
// into the event store.
//
// Only the GUI thread touches the store, so the connection threads hand
// texts over here and never parse. They do so without a lock: a text takes
// its number from an atomic counter and lands on a lock-free list of
// arrivals, which whoever next takes the queue's mutex moves to the tail of
// the queue in number order. The mutex
// guards the queue and the waiting connection threads, and is never held
// together with the store's mutex. The queue itself is private to
// intake_queue.cpp; QueuedTextCount and QueuedTexts look into it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "event_store.h"
#include "intake_archive.h"
#include "peer.h"
#include "simple_message.h"

// Above this many queued texts the connection threads stop answering until
// the drain has made room, so a flood cannot exhaust memory.
inline constexpr std::size_t kQueueLimit = 100000;

// How long one drain may keep the event loop before it yields.
inline constexpr std::chrono::milliseconds kDrainBudget{20};

// A text with the process that sent it, which the site's log records, and
// its number. Texts are numbered as they are queued, and the queue keeps
// them in number order, so the drain knows how far the store has come.
struct CQueuedText {
    std::string m_strText;
    CPeer m_Sender;
    int64_t m_nSeq = 0;
    bool m_bAnswered = true;  // false: not written in time, so not answered, and not stored either
    bool m_bArchived = false;  // the archive took it: a verdict on it is for the archive too
};

// Waits until the queue has room for one more text and holds that room for
// the caller, who then calls QueueText once and answers the sender. Returns
// false, holding nothing, as soon as stop is non-zero or the queue has been
// closed for exit; the caller must then end the conversation unanswered.
bool ReserveQueueRoom(const std::atomic<int>& stop);

// Gives text the next number, hands it to the archive (SetIntakeArchive)
// and appends a copy at the tail, using up the calling thread's reservation
// when it holds one. Without one the text is queued all the same, even
// beyond the limit: only answering waits for room.
//
// A text whose QueueText has returned is ahead of every text queued by a
// call that starts later, and has a lower number. The connection threads
// answer only after it returns, so a text sent after that answer is stored
// behind this one.
//
// False when the archive answers only what it has written and could not
// write this text in time: the caller must not answer it, and the drain
// will not store it (the sender, unanswered, sends it again).
bool QueueText(std::string_view text, const CPeer& sender = {});

// The archive every queued text is handed to; nullptr for none. Set it, and
// SetNextTextNumber, only while no connection thread runs: at start-up
// before the server starts, and after it has stopped.
void SetIntakeArchive(CIntakeArchive* archive);

// The next text gets number first, the one after it first + 1 ...; the
// texts before count as drained. Numbers start at 1.
void SetNextTextNumber(int64_t first);

// The number of the last text the drain has taken off the queue (stored,
// refused or empty): the store holds everything it was to hold up to it.
// On the draining thread.
int64_t LastDrainedNumber();

// Stores a text that an earlier run had answered and the archive kept, as
// the drain would have: the same AddMessage, and a duplicate told to the
// archive. It is not handed to the archive again, nor to g_OnEventStored
// (the site's log had it when it first arrived). For start-up's recovery,
// on the draining thread, in number order, before intake starts.
AddVerdict StoreRecoveredText(int64_t seq, std::string_view text);

// Called on the draining thread for every text the store accepted, with the
// record as stored and its sender; empty when nobody listens.
extern std::function<void(const CSimpleMessage&, const CPeer&)> g_OnEventStored;

// Wakes every ReserveQueueRoom that waits, so it can see a changed stop flag.
void WakeQueueWaiters();

// Takes texts in queue order and stores each non-empty one with AddMessage.
// Returns once the queue is empty or budget has passed, whichever comes
// first; true means texts are still queued and the caller should run it
// again on the next turn of its event loop.
bool DrainQueue(std::chrono::milliseconds budget = kDrainBudget);

// For the exit procedure, before the final save: closes the queue (no
// sender gets room, so none is answered any more), waits up to inFlightWait
// for texts whose room was reserved but that are not queued yet, and stores
// everything queued.
// Without it, texts still queued at exit would be lost although their
// senders were told "OK".
void DrainQueueCompletely(std::chrono::milliseconds inFlightWait = std::chrono::seconds(2));

// Empties the queue (arrivals included), reopens it after an exit drain,
// numbers on from the last number given,
// sets the count of places in use to zero and drops the calling thread's
// reservation. Only the caller's: a reservation another thread holds stays
// with that thread but is no longer counted, and the text it queues later
// uses it up uncounted, so the count falls below the texts queued and the
// drain's subtraction wraps it round (the queue then looks full for good).
// Call it only while no connection thread is between ReserveQueueRoom and
// QueueText: at start-up and in tests.
void ResetQueue();

// The number of queued texts.
std::size_t QueuedTextCount();

// A copy of the queued texts, oldest first, arrivals included.
std::vector<std::string> QueuedTexts();
