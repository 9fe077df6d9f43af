// The program's side of the site's log. Entries are handed over without
// waiting and written one at a time on a thread of the log's own, so a log
// that is slow, full or missing never holds up intake or the window: when
// the queue is full, or forwarding is off, the entry is dropped.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "journal.h"

// Room for a burst of events; beyond it the log is evidently not keeping up.
inline constexpr std::size_t kSiteLogCapacity = 1024;

class CSiteLog {
public:
    using Writer = std::function<bool(const CJournalEntry&)>;

    explicit CSiteLog(Writer writer = WriteJournalEntry, std::size_t capacity = kSiteLogCapacity);
    // Waits a moment for a write in progress, never for a stuck log.
    ~CSiteLog();
    CSiteLog(const CSiteLog&) = delete;
    CSiteLog& operator=(const CSiteLog&) = delete;

    // Off until switched on, so nothing is written before the setting is known.
    void SetEnabled(bool enabled);

    using Maker = std::function<CJournalEntry()>;

    // Queues make, which the log's thread calls to build the entry just
    // before writing it: the caller (the drain, on the GUI thread) pays for
    // a copy of what make captures, not for the formatting. A maker that
    // finds no room is dropped unbuilt. False when dropped.
    bool Post(Maker make);

    // Waits up to timeout for every queued entry to be written (or refused
    // by the log). False when time ran out.
    bool Flush(std::chrono::milliseconds timeout);

    std::size_t DroppedCount() const;

private:
    struct CState;
    static void Run(std::shared_ptr<CState> state);

    std::shared_ptr<CState> m_pState;
};
