#include "intake_queue.h"

#include <condition_variable>

#include "event_store.h"

std::deque<std::string> g_InQueue;
std::mutex g_InQueueMutex;

namespace {

using Lock = std::unique_lock<std::mutex>;
using Clock = std::chrono::steady_clock;

// Guarded by g_InQueueMutex, like the queue.
std::size_t s_nReserved = 0;  // answered or about to be, not yet queued
std::size_t s_nWaiting = 0;   // connection threads waiting for room
bool s_bClosed = false;       // set by the exit drain
std::condition_variable s_RoomChanged;

bool HasRoom()
{
    return g_InQueue.size() + s_nReserved < kQueueLimit;
}

// Takes the text at the head. Returns false when the queue is empty.
bool TakeHead(std::string& text)
{
    Lock lock(g_InQueueMutex);
    if (g_InQueue.empty())
        return false;
    text = std::move(g_InQueue.front());
    g_InQueue.pop_front();
    if (s_nWaiting > 0)
        s_RoomChanged.notify_one();  // one text out makes room for one waiter
    return true;
}

void Store(const std::string& text)
{
    // An empty text carries no event; the sender was answered all the same.
    if (!text.empty())
        AddMessage(text);
}

}  // namespace

bool ReserveQueueRoom(const std::atomic<int>& stop)
{
    Lock lock(g_InQueueMutex);
    ++s_nWaiting;
    s_RoomChanged.wait(lock, [&] { return HasRoom() || stop != 0 || s_bClosed; });
    --s_nWaiting;
    if (stop != 0 || s_bClosed)
        return false;
    ++s_nReserved;
    return true;
}

void QueueText(std::string_view text)
{
    Lock lock(g_InQueueMutex);
    g_InQueue.emplace_back(text);
    if (s_nReserved > 0 && --s_nReserved == 0 && s_bClosed)
        s_RoomChanged.notify_all();  // the exit drain waits for this
}

void WakeQueueWaiters()
{
    // Taking the mutex orders the caller's flag change before the waiters'
    // next look at it, so no wake-up is lost.
    Lock lock(g_InQueueMutex);
    s_RoomChanged.notify_all();
}

bool DrainQueue(std::chrono::milliseconds budget)
{
    const auto deadline = Clock::now() + budget;
    std::string text;
    while (TakeHead(text)) {
        Store(text);
        if (Clock::now() >= deadline)
            return QueuedTextCount() > 0;
    }
    return false;
}

void DrainQueueCompletely(std::chrono::milliseconds inFlightWait)
{
    {
        Lock lock(g_InQueueMutex);
        s_bClosed = true;
        s_RoomChanged.notify_all();
        s_RoomChanged.wait_for(lock, inFlightWait, [] { return s_nReserved == 0; });
    }
    std::string text;
    while (TakeHead(text))
        Store(text);
}

void ResetQueue()
{
    Lock lock(g_InQueueMutex);
    g_InQueue.clear();
    s_nReserved = 0;
    s_bClosed = false;
    s_RoomChanged.notify_all();
}

std::size_t QueuedTextCount()
{
    Lock lock(g_InQueueMutex);
    return g_InQueue.size();
}
