// The event endpoint server: a listener thread, PipeLoop, waits for senders;
// each connected sender gets its own thread, InstanceThread, which reads one
// event text per message, queues it for the GUI thread and then answers
// "OK". The endpoint is a named pipe on Windows and a SOCK_SEQPACKET
// socket in the abstract namespace elsewhere, both under the same name.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "endpoint_name.h"
#include "endpoint_state.h"
#include "peer.h"

// The largest message accepted; a longer one ends the connection unanswered.
inline constexpr std::size_t kRequestSize = 2028;
inline constexpr std::size_t kReplySize = 2;

// A connection thread's stack holds its 2 KiB request buffer and the short
// calls that read, queue and answer, besides the sender filter and the
// refusal notice (CPipeServerConfig). Anything that needs more, such as
// formatting a log entry or asking the user databases (whose modules may
// want a deep stack), is handed to another thread. So a small stack
// suffices and makes a thousand idle connections cheap.
inline constexpr std::size_t kConnectionStackSize = 64 * 1024;

// The connections one user may hold at once, unless it is the program's own
// user or root; the next one is closed unanswered. Enough for any sender
// that waits for its answers; too few for one account to use up the
// process's files and shut everyone else out.
inline constexpr std::size_t kConnectionsPerSender = 64;

// Set to 1 to ask the server to stop; StartPipeServer clears it.
extern std::atomic<int> g_StopPipe;

// Identifies one connection thread between its end and its join.
using ConnectionId = std::uint64_t;

struct CPipeServerConfig {
    std::string m_strName = EndpointName();

    // Called on a connection thread just before it ends, with the thread's
    // own id. The receiver hands the id to another thread, which calls
    // JoinConnectionThread with it. It runs on the thread's small stack, so
    // it should do no more than that. When empty (the program's choice: a
    // notice per connection would wake its GUI thread each time), ended
    // threads are joined by the listener whenever a client connects and by
    // ReapEndedConnections.
    std::function<void(ConnectionId)> m_onConnectionEnded;

    // The senders whose texts are taken; empty takes everyone. A sender is
    // judged by its first message: refused, it gets no reply, its
    // connection is closed with nothing queued, and m_onSenderRefused hears
    // of it. Both run on the connection thread's small stack: they should
    // decide from the peer's ids alone and hand anything more (a user name,
    // a log entry) to another thread.
    std::function<bool(const CPeer&)> m_acceptSender;
    std::function<void(const CPeer&)> m_onSenderRefused;

    // Called on the listener thread when the endpoint's state changes: the
    // name taken, held by someone else (first try included, and again when
    // the holder changes), or no sender let in for want of files, and back.
    std::function<void(const CEndpointState&)> m_onEndpointChanged;

    // Called on the listener thread for connections closed unanswered
    // because their user held kConnectionsPerSender already: sender carries
    // the user id (no pid), refused how many since it was last called for
    // that user. At once for a user's first, then at most once a minute.
    std::function<void(const CPeer& sender, std::size_t refused)> m_onConnectionsRefused;
};

// Starts the listener thread. Returns false when a server is already
// running in this process or the thread cannot be created; the program then
// runs without intake.
bool StartPipeServer(CPipeServerConfig config = {});

// Stops the listener, ends every open connection and joins all threads.
// Texts that were answered have been queued by the time it returns.
// Does nothing when no server runs.
void StopPipeServer();

// Joins the connection thread id (it has ended or is about to) and releases
// it. Unknown ids, for example of threads StopPipeServer already joined,
// are ignored. Must not be called on a connection thread.
void JoinConnectionThread(ConnectionId id);

// Joins the connection threads that ended since the last reap, when no end
// receiver is configured. Cheap when none has ended; the owner calls it now
// and then, so threads that end after the last client are not kept.
void ReapEndedConnections();

// Connection threads started and not yet joined.
std::size_t ConnectionThreadCount();

// Writes the reply to a request into reply (kReplySize bytes) and sets
// replyLength. The request is not looked at.
void BuildReply(const char* request, char* reply, std::size_t& replyLength);

// The event text of a request of length bytes: everything before the first
// zero byte.
std::string_view CutEventText(const char* request, std::size_t length);
