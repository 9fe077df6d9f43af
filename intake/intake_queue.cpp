#include "intake_queue.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
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

// The last number given to a text. A thread takes its number before it
// pushes, so pushes can come out of number order (another thread numbered
// later may push first); the queue is put back in number order as texts
// are collected.
std::atomic<int64_t> s_nLastSeq{0};

// Guarded by g_InQueueMutex: the number the queue's tail waits for, and the
// texts collected ahead of it, whose turn comes once the texts numbered
// before them (taken, not yet pushed) arrive.
int64_t s_nNextInOrder = 1;
std::map<int64_t, CQueuedText> s_Early;

// The draining thread's: see LastDrainedNumber.
int64_t s_nLastDrained = 0;

// Set while no connection thread runs, read by them (SetIntakeArchive).
CIntakeArchive* s_pArchive = nullptr;

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

// Appends text at the tail if its turn has come, with every early text
// that follows it; otherwise keeps it aside until it does. The caller holds
// g_InQueueMutex.
void Enqueue(CQueuedText&& text)
{
    if (text.m_nSeq > s_nNextInOrder) {
        s_Early.emplace(text.m_nSeq, std::move(text));
        return;
    }
    s_nNextInOrder = std::max(s_nNextInOrder, text.m_nSeq + 1);
    g_InQueue.push_back(std::move(text));
    for (auto next = s_Early.begin(); next != s_Early.end() && next->first == s_nNextInOrder; next = s_Early.erase(next)) {
        g_InQueue.push_back(std::move(next->second));
        ++s_nNextInOrder;
    }
}

// Appends every arrival to g_InQueue in number order, which keeps each
// connection's texts in the order it received them. The caller holds
// g_InQueueMutex.
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
        Enqueue(std::move(oldest->m_Text));
        CArrival* next = oldest->m_pNext;
        delete oldest;
        oldest = next;
    }
}

// At exit, once nothing more can come: the texts kept aside go in whatever
// gap is left (a sender whose text was numbered but never pushed). The
// caller holds g_InQueueMutex.
void CollectEveryArrival()
{
    CollectArrivals();
    for (auto& [seq, text] : s_Early)
        g_InQueue.push_back(std::move(text));
    if (!s_Early.empty())
        s_nNextInOrder = s_Early.rbegin()->first + 1;
    s_Early.clear();
}

std::size_t CollectedCount() { return g_InQueue.size() + s_Early.size(); }

// Whether a drain would find a text to take now; texts kept aside wait for
// a sender still between numbering and pushing, and are not worth another
// turn of the event loop (the next tick takes them).
bool HasTextInTurn()
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    return !g_InQueue.empty();
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

// archived: the archive holds the text. A verdict on one it dropped (for
// want of room) would only fill its queue further.
AddVerdict StoreOne(int64_t seq, std::string_view text, bool archived)
{
    const AddVerdict verdict = AddMessageVerdict(text);
    if (verdict == AddVerdict::kDuplicate && s_pArchive && archived)
        s_pArchive->Tell(seq, TextFate::kDuplicate);
    return verdict;
}

void Store(const std::vector<CQueuedText>& batch)
{
    for (const CQueuedText& text : batch) {
        s_nLastDrained = text.m_nSeq;
        // An empty text carries no event; the sender was answered all the same.
        if (!text.m_bAnswered || text.m_strText.empty())
            continue;
        if (StoreOne(text.m_nSeq, text.m_strText, text.m_bArchived) == AddVerdict::kStored && g_OnEventStored)
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

bool QueueText(std::string_view text, const CPeer& sender)
{
    if (t_bReserved)
        t_bReserved = false;
    else
        ++s_nOccupied;
    CQueuedText queued{std::string(text), sender, s_nLastSeq.fetch_add(1) + 1};
    if (CIntakeArchive* const archive = s_pArchive) {
        const uint64_t ticket = archive->Append(queued.m_nSeq, ArchiveNowMs(), sender, text);
        queued.m_bArchived = ticket != 0;
        // Waited for before the text is pushed, so that a text that is not
        // answered is never stored: the sender sends it again.
        if (archive->AnswersWhenWritten() && !archive->WaitWritten(ticket)) {
            if (queued.m_bArchived)
                archive->Tell(queued.m_nSeq, TextFate::kUnanswered);
            queued.m_bAnswered = false;
            queued.m_strText.clear();
        }
    }
    const bool answer = queued.m_bAnswered;
    // Pushed even when it is not to be stored: the texts numbered after it
    // wait for its number.
    PushArrival(std::move(queued));
    if (s_bClosed)
        NotifyAll();  // the exit drain waits for reserved texts
    return answer;
}

void SetIntakeArchive(CIntakeArchive* archive) { s_pArchive = archive; }

void SetNextTextNumber(int64_t first)
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    s_nLastSeq = first - 1;
    s_nNextInOrder = first;
    s_nLastDrained = first - 1;
}

int64_t LastDrainedNumber() { return s_nLastDrained; }

AddVerdict StoreRecoveredText(int64_t seq, std::string_view text)
{
    s_nLastDrained = std::max(s_nLastDrained, seq);
    return text.empty() ? AddVerdict::kRefused : StoreOne(seq, text, true);
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
            return HasTextInTurn();
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
            return s_nOccupied == CollectedCount();
        });
        CollectEveryArrival();
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
    s_Early.clear();
    s_nNextInOrder = s_nLastSeq + 1;
    s_nOccupied = 0;
    s_bClosed = false;
    t_bReserved = false;
    s_RoomChanged.notify_all();
}

std::size_t QueuedTextCount()
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    return CollectedCount();
}

std::vector<std::string> QueuedTexts()
{
    Lock lock(g_InQueueMutex);
    CollectArrivals();
    std::vector<std::string> texts;
    for (const CQueuedText& queued : g_InQueue)
        texts.push_back(queued.m_strText);
    for (const auto& [seq, queued] : s_Early)
        texts.push_back(queued.m_strText);
    return texts;
}
