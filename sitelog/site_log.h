// The program's side of the site's log. Entries are handed over without
// waiting and written one at a time on a thread of the log's own, so a log
// that is slow, full or missing never holds up intake or the window: when
// the queue is full, or forwarding is off, the entry is dropped. Entries
// dropped for want of room are told to the log once there is room again.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "journal.h"
#include "peer.h"
#include "simple_message.h"

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

    // Queues a stored event; the log's thread makes its entry (EventEntry).
    // Costs the caller a copy of the record into a queue reserved at the
    // log's capacity, and no closure: a flood posts one of these per text.
    bool PostEvent(const CSimpleMessage& rec, const CPeer& sender);

    // Waits up to timeout for every queued entry to be written (or refused
    // by the log). False when time ran out.
    bool Flush(std::chrono::milliseconds timeout);

    std::size_t DroppedCount() const;

    // Builds the entry that tells the log how many entries it lost; it is
    // queued ahead of the next entry that finds room.
    void SetDroppedNotice(std::function<CJournalEntry(std::size_t dropped)> notice);

private:
    struct CState;
    static void Run(std::shared_ptr<CState> state);

    std::shared_ptr<CState> m_pState;
};
