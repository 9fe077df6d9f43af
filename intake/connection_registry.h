// The server's record of its connection threads, each from its start to its
// join, and of how many connections each user holds: what bounds the
// connections one account may hold at once. Every member takes the
// registry's own mutex for its whole run and may be called on any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "peer.h"
#include "pipe_platform.h"
#include "pipe_server.h"

// How many connections one user holds (or had refused).
struct CUserConnections {
    int64_t m_nUid = -1;
    std::size_t m_nCount = 0;
};

class CConnectionRegistry {
public:
    CConnectionRegistry();

    enum class Admission {
        kStarted,
        kOverLimit,  // the sender's user holds kConnectionsPerSender already
        kNoThread,   // start failed
    };

    // Registers a connection of sender and starts its thread with
    // start(id, thread), unless the sender's user is bounded and at its
    // limit. The registry's lock is held across the start, so the new
    // thread cannot reach Ended before its entry exists. The caller closes
    // the connection unless it was started.
    Admission Start(const CPeer& sender, PipeHandle hPipe,
                    const std::function<bool(ConnectionId, ThreadHandle&)>& start);

    // Called by connection id's own thread when it is done with its pipe,
    // just before it releases it: from then on a stop no longer interrupts
    // it, so the pipe's number cannot be reused under the stop's hands, and
    // the pipe no longer counts against its user. reapLater: nobody is told
    // of the end, so Reap joins the thread.
    void Ended(ConnectionId id, bool reapLater);

    // Marks every entry nobody joins yet as being joined and returns them.
    std::vector<std::pair<ConnectionId, ThreadHandle>> TakeAllForJoin();
    // The same for entry id; false when it is unknown or taken already.
    bool TakeForJoin(ConnectionId id, ThreadHandle& thread);
    void Forget(ConnectionId id);

    // Makes connection id's blocked read or write return, if it still has
    // its pipe.
    void InterruptIfOpen(ConnectionId id);

    // Joins and forgets the threads that ended for a reap and have finished;
    // one still on its way out stays for the next reap. Never blocks.
    void Reap();
    // Forgets the ended threads waiting for a reap; for a stop that has
    // joined every thread.
    void ForgetEnded();

    std::size_t ThreadCount() const;

    // The user holding the most open connections; count 0 when none is open.
    CUserConnections Busiest() const;

private:
    struct CConnection {
        ThreadHandle m_hThread = 0;
        PipeHandle m_hPipe = kNoPipe;  // kNoPipe once the thread is done with it
        int64_t m_nUid = -1;
        bool m_bJoining = false;  // someone has taken on the join
    };

    // The program's own user and root are never bounded: the lock software
    // runs as one of them, and they could take every file anyway.
    bool IsBounded(int64_t uid) const;

    const int64_t m_nOwnUid;
    mutable std::mutex m_mutex;
    std::map<ConnectionId, CConnection> m_connections;
    ConnectionId m_nNextId = 1;
    std::vector<ConnectionId> m_ended;       // ended with nobody told: for Reap
    std::map<int64_t, std::size_t> m_open;  // open connections per user id
};
