#include "site_log.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "journal_entries.h"
#include "thread_priority.h"

namespace {

// Long enough for a healthy log to take a last line, short enough that a
// stuck one cannot delay the end of the program noticeably.
constexpr auto kStopWait = std::chrono::milliseconds(500);

// A queued entry: a maker, or (without one) a stored event.
struct CQueuedEntry {
    CSiteLog::Maker m_make;
    CSimpleMessage m_event;
    CPeer m_sender;

    CJournalEntry Make() const { return m_make ? m_make() : EventEntry(m_event, m_sender); }
};

}  // namespace

// Shared with the writer thread, which may outlive the log when the site's
// log hangs in a write.
struct CSiteLog::CState {
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // A vector the writer swaps with an emptied one of its own; both are
    // reserved at the capacity, so neither side reallocates for an entry.
    std::vector<CQueuedEntry> m_queue;
    std::size_t m_nCapacity = 0;
    std::size_t m_nDropped = 0;
    std::size_t m_nDroppedTold = 0;  // of m_nDropped, what a notice has covered
    std::function<CJournalEntry(std::size_t)> m_droppedNotice;
    bool m_bEnabled = false;
    bool m_bWriting = false;
    bool m_bStopping = false;
    bool m_bStopped = false;
    Writer m_writer;

    // Queues an entry unless the log is off or full; the caller holds m_mutex.
    template <class Fill>
    bool Queue(Fill fill);
};

CSiteLog::CSiteLog(Writer writer, std::size_t capacity) : m_pState(std::make_shared<CState>())
{
    m_pState->m_writer = std::move(writer);
    m_pState->m_nCapacity = capacity;
    // The queue never holds more; reserved, it never moves its entries.
    m_pState->m_queue.reserve(capacity);
    try {
        std::thread(Run, m_pState).detach();
    } catch (const std::system_error&) {
        // Without its thread the log fills up and then drops every entry:
        // the program itself goes on as if the site's log were full.
    }
}

CSiteLog::~CSiteLog()
{
    std::unique_lock<std::mutex> lock(m_pState->m_mutex);
    m_pState->m_bStopping = true;
    m_pState->m_changed.notify_all();
    m_pState->m_changed.wait_for(lock, kStopWait, [this] { return m_pState->m_bStopped; });
}

void CSiteLog::Run(std::shared_ptr<CState> state)
{
    LowerThisThreadsPriority();
    std::vector<CQueuedEntry> batch;
    batch.reserve(state->m_nCapacity);
    std::unique_lock<std::mutex> lock(state->m_mutex);
    for (;;) {
        state->m_changed.wait(lock, [&] { return state->m_bStopping || !state->m_queue.empty(); });
        if (state->m_bStopping)
            break;
        // The whole queue at once: the drain, queueing on the GUI thread,
        // then seldom finds the lock taken.
        batch.swap(state->m_queue);
        state->m_bWriting = true;
        lock.unlock();
        for (const CQueuedEntry& entry : batch)
            state->m_writer(entry.Make());  // a refused entry is as gone as a dropped one
        batch.clear();
        lock.lock();
        state->m_bWriting = false;
        state->m_changed.notify_all();
    }
    state->m_bStopped = true;
    state->m_changed.notify_all();
}

void CSiteLog::SetEnabled(bool enabled)
{
    std::lock_guard<std::mutex> lock(m_pState->m_mutex);
    m_pState->m_bEnabled = enabled;
}

template <class Fill>
bool CSiteLog::CState::Queue(Fill fill)
{
    if (!m_bEnabled)
        return false;
    if (m_queue.size() >= m_nCapacity) {
        ++m_nDropped;
        return false;
    }
    const bool writerWaits = m_queue.empty();
    // Room for the notice and the entry, or the notice waits for more room.
    if (m_nDropped > m_nDroppedTold && m_droppedNotice && m_queue.size() + 1 < m_nCapacity) {
        const std::size_t lost = m_nDropped - m_nDroppedTold;
        m_queue.emplace_back().m_make = [notice = m_droppedNotice, lost] { return notice(lost); };
        m_nDroppedTold = m_nDropped;
    }
    fill(m_queue.emplace_back());
    // The writer only waits on an empty queue; waking it for every entry of
    // a flood would cost the drain a system call each.
    if (writerWaits)
        m_changed.notify_all();
    return true;
}

bool CSiteLog::Post(Maker make)
{
    std::lock_guard<std::mutex> lock(m_pState->m_mutex);
    return m_pState->Queue([&](CQueuedEntry& entry) { entry.m_make = std::move(make); });
}

bool CSiteLog::PostEvent(const CSimpleMessage& rec, const CPeer& sender)
{
    std::lock_guard<std::mutex> lock(m_pState->m_mutex);
    return m_pState->Queue([&](CQueuedEntry& entry) {
        entry.m_event = rec;
        entry.m_sender = sender;
    });
}

bool CSiteLog::Flush(std::chrono::milliseconds timeout)
{
    std::unique_lock<std::mutex> lock(m_pState->m_mutex);
    return m_pState->m_changed.wait_for(lock, timeout,
                                        [this] { return m_pState->m_queue.empty() && !m_pState->m_bWriting; });
}

std::size_t CSiteLog::DroppedCount() const
{
    std::lock_guard<std::mutex> lock(m_pState->m_mutex);
    return m_pState->m_nDropped;
}

void CSiteLog::SetDroppedNotice(std::function<CJournalEntry(std::size_t)> notice)
{
    std::lock_guard<std::mutex> lock(m_pState->m_mutex);
    m_pState->m_droppedNotice = std::move(notice);
}
