#include "site_log.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#include "thread_priority.h"

namespace {

// Long enough for a healthy log to take a last line, short enough that a
// stuck one cannot delay the end of the program noticeably.
constexpr auto kStopWait = std::chrono::milliseconds(500);

}  // namespace

// Shared with the writer thread, which may outlive the log when the site's
// log hangs in a write.
struct CSiteLog::CState {
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<CSiteLog::Maker> m_queue;
    std::size_t m_nCapacity = 0;
    std::size_t m_nDropped = 0;
    std::size_t m_nDroppedTold = 0;  // of m_nDropped, what a notice has covered
    std::function<CJournalEntry(std::size_t)> m_droppedNotice;
    bool m_bEnabled = false;
    bool m_bWriting = false;
    bool m_bStopping = false;
    bool m_bStopped = false;
    Writer m_writer;
};

CSiteLog::CSiteLog(Writer writer, std::size_t capacity) : m_pState(std::make_shared<CState>())
{
    m_pState->m_writer = std::move(writer);
    m_pState->m_nCapacity = capacity;
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
    std::unique_lock<std::mutex> lock(state->m_mutex);
    for (;;) {
        state->m_changed.wait(lock, [&] { return state->m_bStopping || !state->m_queue.empty(); });
        if (state->m_bStopping)
            break;
        // The whole queue at once: the drain, queueing on the GUI thread,
        // then seldom finds the lock taken.
        std::deque<Maker> batch;
        batch.swap(state->m_queue);
        state->m_bWriting = true;
        lock.unlock();
        for (const Maker& make : batch)
            state->m_writer(make());  // a refused entry is as gone as a dropped one
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

bool CSiteLog::Post(Maker make)
{
    std::lock_guard<std::mutex> lock(m_pState->m_mutex);
    CState& state = *m_pState;
    if (!state.m_bEnabled)
        return false;
    if (state.m_queue.size() >= state.m_nCapacity) {
        ++state.m_nDropped;
        return false;
    }
    const bool writerWaits = state.m_queue.empty();
    // Room for the notice and the entry, or the notice waits for more room.
    if (state.m_nDropped > state.m_nDroppedTold && state.m_droppedNotice &&
        state.m_queue.size() + 1 < state.m_nCapacity) {
        const std::size_t lost = state.m_nDropped - state.m_nDroppedTold;
        state.m_queue.push_back([notice = state.m_droppedNotice, lost] { return notice(lost); });
        state.m_nDroppedTold = state.m_nDropped;
    }
    state.m_queue.push_back(std::move(make));
    // The writer only waits on an empty queue; waking it for every entry of
    // a flood would cost the drain a system call each.
    if (writerWaits)
        state.m_changed.notify_all();
    return true;
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
