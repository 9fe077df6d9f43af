// SEAM, to be removed when the event data file and the intake land in this
// branch: until then the navigator builds against stand-ins with the same
// interface that save and load nothing and receive nothing.
#pragma once

#if __has_include("event_file.h")
#include "event_file.h"
#else
#include <string>
#include "simple_message.h"
struct FileOutcome {
    std::string message;
};
inline FileOutcome SaveEventFile() { return {}; }
inline FileOutcome LoadEventFile(CSimpleMessage&) { return {}; }
#endif

#if __has_include("pipe_server.h")
#include "intake_queue.h"
#include "pipe_server.h"
#else
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
inline std::atomic<int> g_StopPipe;
using ConnectionId = std::uint64_t;
struct CPipeServerConfig {
    std::string m_strName{"zqevent"};
    std::function<void(ConnectionId)> m_onConnectionEnded;
};
inline bool StartPipeServer(CPipeServerConfig = {}) { return false; }
inline void StopPipeServer() {}
inline void JoinConnectionThread(ConnectionId) {}
inline bool DrainQueue(std::chrono::milliseconds = std::chrono::milliseconds(20)) { return false; }
inline void DrainQueueCompletely(std::chrono::milliseconds = std::chrono::seconds(2)) {}
#endif
