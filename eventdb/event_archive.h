// The event archive: every text answered "OK" goes, with its number, its
// arrival time and its sender, into archive.sqlite (see archive_schema.h),
// written by one thread of the archive's own in groups: a commit at least
// every 20 ms while texts wait, at most 1,000 of them in one transaction,
// at once when someone waits for a commit.
//
// Nothing here ever holds up intake. Append only moves the text into a
// queue; an archive that cannot be made, or a commit that fails (a full
// disk, an I/O error, a lock someone holds), keeps the texts queued and is
// tried again after a wait, up to kArchiveQueueLimit texts, beyond which
// texts are dropped from the archive (the store still gets them), counted
// and reported once there is room again.
//
// Threads:
//   constructor, Stop, destructor  the thread that owns the archive
//                                  (start-up and exit), once each
//   Append, WaitCommitted          any thread, e.g. the connection threads;
//                                  Append never waits for the disk
//   MarkRefused, RecordSave, Flush any thread (the drain, the save); the
//                                  queue keeps them in order with Append
//   MarkSaveUnderWay               any thread (the save); ahead of the queue
//   Opened, Path, Stats            any thread
//   the report callback            the writer's thread, no lock of the
//                                  archive held; it must not call Stop
// Every call but the destructor must have returned before it runs.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "intake_archive.h"  // ArchiveNowMs, the arrival Append takes
#include "peer.h"
#include "save_marker.h"

struct sqlite3;

inline constexpr std::size_t kArchiveQueueLimit = 100000;
inline constexpr std::size_t kArchiveBatchLimit = 1000;
inline constexpr std::chrono::milliseconds kArchiveCommitDelay{20};

// What the writer has to tell the program (a title, a journal line).
struct CArchiveReport {
    enum Kind {
        kFailing,   // not archiving any more: m_strText is the reason
        kWorking,   // archiving again after a failure (or a failed start)
        kSetAside,  // a damaged archive was moved to m_strText, a new one made
        kDropped,   // m_nDropped texts were not archived for want of room
    };
    CArchiveReport(Kind kind = kFailing, std::string text = {}, uint64_t dropped = 0, std::string why = {})
        : m_kind(kind), m_strText(std::move(text)), m_nDropped(dropped), m_strWhy(std::move(why))
    {
    }
    Kind m_kind;
    std::string m_strText;
    uint64_t m_nDropped;
    std::string m_strWhy;  // kSetAside: why, when it was not for damage
};

struct CEventArchiveOptions {
    std::string m_strFolder;  // archive.sqlite goes here: the data file's folder
    bool m_bFullSync = false;  // synchronous=FULL: a commit survives a power cut
    int m_nKeepDays = 0;       // texts that arrived longer ago are removed; 0 keeps all
    std::function<void(const CArchiveReport&)> m_onReport;

    // The waits of a failing archive: an archive that could not be made is
    // tried again after m_ReopenWait; a failed commit after a wait that
    // starts short and doubles up to m_RetryWaitMax.
    std::chrono::milliseconds m_ReopenWait{60000};
    std::chrono::milliseconds m_RetryWaitMax{5000};
    std::size_t m_nQueueLimit = kArchiveQueueLimit;
    // Called with each connection the archive opens, on the opening thread
    // (tests limit its size with it).
    std::function<void(sqlite3*)> m_onOpened;
};

// How the opening at construction went.
struct CArchiveOpened {
    bool m_bOpen = false;
    std::string m_strReason;    // why not, for "Not archiving events: REASON"
    std::string m_strSetAside;  // where a damaged archive went, if one did
    // The highest number the archive has used: the program numbers on from
    // it. 0 when there is none, or no archive could be opened.
    int64_t m_nHighestSeq = 0;
};

struct CEventArchiveStats {
    uint64_t m_nCommittedTexts = 0;
    uint64_t m_nCommits = 0;
    uint64_t m_nLargestCommit = 0;  // operations in the largest transaction
    uint64_t m_nDropped = 0;
    uint64_t m_nDeletedOld = 0;     // rows removed for their age
    uint64_t m_nRetentionPasses = 0;
    bool m_bFailing = false;
};

class CEventArchive {
public:
    // Opens (or makes) the archive now, on the calling thread, and starts
    // the writer, also when the opening failed: it then tries again.
    explicit CEventArchive(CEventArchiveOptions options);
    // Stop.
    ~CEventArchive();
    CEventArchive(const CEventArchive&) = delete;
    CEventArchive& operator=(const CEventArchive&) = delete;

    const CArchiveOpened& Opened() const;
    std::string Path() const;

    // Queues a text for the archive: its number, its arrival, its sender and
    // its bytes as received. Returns its ticket for WaitCommitted, or 0 when
    // it was dropped for want of room (or after Stop): it is then never
    // archived.
    uint64_t Append(int64_t seq, int64_t arrivalMs, const CPeer& sender, std::string text);

    // The drain's verdict on a text the store refused (kTextDuplicate), or
    // any other status, written after the text's own row.
    void MarkRefused(int64_t seq, int status);

    // What the last save of the data file covered, once its file has taken
    // the data file's name. It lands after every text appended before it,
    // in one of the next commits. Returns its ticket for WaitCommitted, 0
    // after Stop.
    uint64_t RecordSave(const CSaveMarker& marker);

    // What a save covers, before its file takes the data file's name: put
    // at the start of the very next transaction, ahead of any texts that
    // wait (it names only texts the new file holds itself), and waited for
    // up to timeout. False when that ran out, or the archive is failing or
    // stopped; the marker is then still written when the writer can.
    bool MarkSaveUnderWay(const CSaveMarker& marker, std::chrono::milliseconds timeout);

    // Waits until the text Append gave ticket is committed, and has the
    // writer commit at once. False when the timeout passes first, or the
    // archive is failing (at the call or meanwhile), or it stopped, or the
    // ticket is 0: the text may then never reach the disk.
    bool WaitCommitted(uint64_t ticket, std::chrono::milliseconds timeout);

    // Waits until everything queued before the call is committed, also
    // through failures, up to timeout. False when time ran out.
    bool Flush(std::chrono::milliseconds timeout);

    // Commits what is queued (a failing commit is tried once more), closes
    // the archive and ends the writer. Appends after it are dropped.
    void Stop();

    CEventArchiveStats Stats() const;

private:
    struct CWriter;
    std::unique_ptr<CWriter> m_pWriter;
};
