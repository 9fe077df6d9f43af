#include "intake_queue.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "event_store.h"

std::function<void(const CSimpleMessage&, const CPeer&)> g_OnEventStored;

namespace {

// The queue, oldest first, and the mutex that guards it; file-local, so
// every look into it goes through the functions below.
std::deque<CQueuedText> g_InQueue;
std::mutex g_InQueueMutex;

using Lock = std::unique_lock<std::mutex>;
using Clock = std::chrono::steady_clock;

// Texts taken off the queue under one lock; small enough that the time
// budget is kept to well under a millisecond.
constexpr std::size_t kDrainBatch = 64;

// Queued texts plus reservations. Kept outside the mutex so that a
// connection thread takes no lock for a message and only waits on the
// mutex when the queue is full.
std::atomic<std::size_t> s_nOccupied{0};
std::atomic<bool> s_bClosed{false};  // set by the exit drain

// Texts queued but not yet moved into g_InQueue, newest first. Connection
// threads push here without taking a lock: under a flood on few cores, a
// thread preempted while it held the queue mutex would stall every other
// connection. Whoever holds g_InQueueMutex moves them on (CollectArrivals).
struct CArrival {
    CQueuedText m_Text;
    CArrival* m_pNext;
};
std::atomic<CArrival*> s_pArrivals{nullptr};

// Whether this connection thread holds a reservation for its next text.
thread_local bool t_bReserved = false;

// Guarded by g_InQueueMutex.
std::size_t s_nWaiting = 0;  // connection threads waiting for room
std::condition_variable s_RoomChanged;

bool TryReserve()
{
    std::size_t occupied = s_nOccupied.load();
    while (occupied < kQueueLimit) {
        if (s_nOccupied.compare_exchange_weak(occupied, occupied + 1))
            return true;
    }
    return false;
}

void NotifyAll()
{
    Lock lock(g_InQueueMutex);
    s_RoomChanged.notify_all();
}

// A reservation made just as the exit drain closed the queue: the drain may
// have counted it, so it is given back and the drain told.
bool KeepUnlessClosed()
{
    if (!s_bClosed)
        return true;
    --s_nOccupied;
    NotifyAll();
    return false;
}

void PushArrival(CQueuedText text)
{
    auto* arrival = new CArrival{std::move(text), s_pArrivals.load()};
    while (!s_pArrivals.compare_exchange_weak(arrival->m_pNext, arrival)) {
    }
}

// Appends every arrival to g_InQueue in the order they were pushed, which
// keeps each connection's texts in the order it received them. The caller
// holds g_InQueueMutex.
void CollectArrivals()
{
    CArrival* newest = s_pArrivals.exchange(nullptr);
    CArrival* oldest = nullptr;
    while (newest != nullptr) {  // reverse the list
        CArrival* next = newest->m_pNext;
        newest->m_pNext = oldest;
        oldest = newest;
        newest = next;
    }
    while (oldest != nullptr) {
        g_InQueue.push_back(std::move(oldest->m_Text));
        CArrival* next = oldest->m_pNext;
        delete oldest;
        oldest = next;
    }
}

// Moves up to kDrainBatch texts from the head into batch.
void TakeBatch(std::vector<CQueuedText>& batch)
{
    batch.clear();
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    while (!g_InQueue.empty() && batch.size() < kDrainBatch) {
        batch.push_back(std::move(g_InQueue.front()));
        g_InQueue.pop_front();
    }
    s_nOccupied -= batch.size();
    if (!batch.empty() && s_nWaiting > 0)
        s_RoomChanged.notify_all();
}

void Store(const std::vector<CQueuedText>& batch)
{
    for (const CQueuedText& text : batch) {
        // An empty text carries no event; the sender was answered all the same.
        if (!text.m_strText.empty() && AddMessage(text.m_strText) && g_OnEventStored)
            g_OnEventStored(g_Array[cur_item], text.m_Sender);  // AddMessage made it current
    }
}

}  // namespace

bool ReserveQueueRoom(const std::atomic<int>& stop)
{
    // Decided without the mutex: after the exit drain the program may be
    // tearing its objects down while connection threads still arrive here.
    if (stop != 0 || s_bClosed)
        return false;
    if (TryReserve())
        return t_bReserved = KeepUnlessClosed();
    Lock lock(g_InQueueMutex);
    ++s_nWaiting;
    while (stop == 0 && !s_bClosed && !TryReserve())
        s_RoomChanged.wait(lock);
    --s_nWaiting;
    if (stop != 0 || s_bClosed)
        return false;
    lock.unlock();
    return t_bReserved = KeepUnlessClosed();
}

void QueueText(std::string_view text, const CPeer& sender)
{
    if (t_bReserved)
        t_bReserved = false;
    else
        ++s_nOccupied;
    PushArrival({std::string(text), sender});
    if (s_bClosed)
        NotifyAll();  // the exit drain waits for reserved texts
}

void WakeQueueWaiters()
{
    // Taking the mutex orders the caller's flag change before the waiters'
    // next look at it, so no wake-up is lost.
    NotifyAll();
}

bool DrainQueue(std::chrono::milliseconds budget)
{
    const auto deadline = Clock::now() + budget;
    std::vector<CQueuedText> batch;
    for (;;) {
        TakeBatch(batch);
        if (batch.empty())
            return false;
        Store(batch);
        if (Clock::now() >= deadline)
            return QueuedTextCount() > 0;
    }
}

void DrainQueueCompletely(std::chrono::milliseconds inFlightWait)
{
    s_bClosed = true;
    {
        Lock lock(g_InQueueMutex);
        s_RoomChanged.notify_all();
        s_RoomChanged.wait_for(lock, inFlightWait, [] {
            CollectArrivals();
            return s_nOccupied == g_InQueue.size();
        });
    }
    std::vector<CQueuedText> batch;
    for (TakeBatch(batch); !batch.empty(); TakeBatch(batch))
        Store(batch);
}

void ResetQueue()
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    g_InQueue.clear();
    s_nOccupied = 0;
    s_bClosed = false;
    t_bReserved = false;
    s_RoomChanged.notify_all();
}

std::size_t QueuedTextCount()
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    return g_InQueue.size();
}

std::vector<std::string> QueuedTexts()
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    std::vector<std::string> texts;
    for (const CQueuedText& queued : g_InQueue)
        texts.push_back(queued.m_strText);
    return texts;
}
