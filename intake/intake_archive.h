// Where intake writes each text ahead of the store: the program's event
// archive, which intake knows only through this interface (the archive
// lives in a layer above). QueueText hands every text to it, with its
// number, before the sender is answered; the drain tells it what the store
// made of a text.
//
// Threads: Append and WaitWritten run on connection threads, on their small
// stacks, so they must only queue and wait; Tell runs on a connection
// thread or the draining thread. None may call back into intake.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "peer.h"

// A text's arrival for Append: now, in milliseconds since 1970 UTC. Any
// thread.
inline int64_t ArchiveNowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// What became of a text after it was handed over.
enum class TextFate {
    kDuplicate,   // the store held the same transponder event already
    kUnanswered,  // not written in time to answer "OK" when answers wait for the disk
};

class CIntakeArchive {
public:
    virtual ~CIntakeArchive() = default;

    // Queues the text for writing: its number, its arrival in milliseconds
    // since 1970 UTC, its sender and its bytes. Returns a ticket for
    // WaitWritten, 0 when the text will never be written.
    virtual uint64_t Append(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string_view text) = 0;

    // Whether "OK" means on disk: the sender is then answered only after
    // WaitWritten said yes, and a text that was not written is neither
    // answered nor stored (the sender keeps it and sends it again).
    virtual bool AnswersWhenWritten() const = 0;

    // Waits, for a bounded time, until the text of ticket is on disk.
    virtual bool WaitWritten(uint64_t ticket) = 0;

    virtual void Tell(int64_t seq, TextFate fate) = 0;
};
