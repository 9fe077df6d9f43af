#include "pipe_server.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "connection_registry.h"
#include "endpoint_watch.h"
#include "intake_queue.h"
#include "pipe_platform.h"
#include "refusal_tally.h"

std::atomic<int> g_StopPipe{0};

namespace {

using Lock = std::lock_guard<std::mutex>;
using namespace std::chrono_literals;

// No busy loop while another process holds the endpoint name.
constexpr auto kCreateRetryPause = 200ms;
// How often a stop repeats its interrupt while a thread has not ended yet.
constexpr auto kStopPoll = 50ms;

// The instance parameter block: made by PipeLoop, freed by InstanceThread.
struct CInstanceBlock {
    PipeHandle m_hPipe = kNoPipe;
    CPeer m_Sender;
    ConnectionId m_id = 0;
    std::function<void(ConnectionId)> m_onEnded;
};

struct CServerState {
    std::mutex m_mutex;  // start and stop
    bool m_bRunning = false;
    ThreadHandle m_hListener = 0;
    CPipeServerConfig m_config;  // written only while no server thread runs
    CConnectionRegistry m_registry;
};

// Never destroyed: when the program leaves the server running at exit,
// connection threads may still end while the process's objects go away.
CServerState& s_Server = *new CServerState;

bool Answer(PipeHandle hPipe, const char* request)
{
    char reply[kReplySize];
    std::size_t replyLength = 0;
    BuildReply(request, reply, replyLength);
    return WriteReply(hPipe, reply, replyLength);
}

bool IsAccepted(const CPeer& sender)
{
    const CPipeServerConfig& config = s_Server.m_config;
    if (!config.m_acceptSender || config.m_acceptSender(sender))
        return true;
    if (config.m_onSenderRefused)
        config.m_onSenderRefused(sender);
    return false;
}

void Serve(PipeHandle hPipe, CPeer sender)
{
    char request[kRequestSize];
    // A socket tells its peer's account at once, and a refused sender is let
    // go before it can hold a thread and a descriptor idle. A Windows pipe
    // tells it only once something has been read from it, so there a sender
    // is judged by its first message.
    bool judged = !PeerAccountId(sender).empty();
    if (judged && !IsAccepted(sender))
        return;
    for (;;) {
        std::size_t length = 0;
        if (g_StopPipe != 0 || ReadRequest(hPipe, request, length) != ReadStatus::kMessage)
            return;
        if (!judged) {
            LearnClientAccount(hPipe, sender);
            if (!IsAccepted(sender))
                return;
            judged = true;
        }
        // Answering promises the text will be stored, so room comes first.
        if (!ReserveQueueRoom(g_StopPipe))
            return;
        // Queued before it is answered: a sender that waits for "OK" before
        // it sends the next text, on this connection or another, finds that
        // text stored behind this one. A failed answer keeps the text, as
        // the sender may have seen the reply all the same. A text the
        // archive was to have on disk first and could not is not answered:
        // the conversation ends, so that the sender knows and sends it again.
        if (!QueueText(CutEventText(request, length), sender) || !Answer(hPipe, request))
            return;
    }
}

// The thread's last use of the registry: see CConnectionRegistry::Ended.
void EndConnection(ConnectionId id, PipeHandle hPipe, bool reapLater)
{
    EndConversation(hPipe);  // a stop can still interrupt this
    s_Server.m_registry.Ended(id, reapLater);
    ReleasePipe(hPipe);
}

void InstanceThread(void* param)
{
    const std::unique_ptr<CInstanceBlock> block(static_cast<CInstanceBlock*>(param));
    Serve(block->m_hPipe, block->m_Sender);
    EndConnection(block->m_id, block->m_hPipe, !block->m_onEnded);
    if (block->m_onEnded)
        block->m_onEnded(block->m_id);
}

// Starts a thread for a connected sender, unless its user holds too many
// connections already; a sender not started is closed unanswered (left
// open, it would wait for an answer forever).
CConnectionRegistry::Admission StartConnection(PipeHandle hPipe, const CPeer& sender)
{
    auto block = std::make_unique<CInstanceBlock>();
    block->m_hPipe = hPipe;
    block->m_Sender = sender;
    block->m_onEnded = s_Server.m_config.m_onConnectionEnded;
    const auto admission = s_Server.m_registry.Start(sender, hPipe, [&](ConnectionId id, ThreadHandle& hThread) {
        block->m_id = id;
        return StartThread(InstanceThread, block.get(), kConnectionStackSize, hThread);
    });
    if (admission == CConnectionRegistry::Admission::kStarted)
        block.release();  // InstanceThread owns it now
    else
        ClosePipeConnection(hPipe);
    return admission;
}

// For a thread that has ended or is about to, so nothing needs interrupting.
void JoinEndedThread(ThreadHandle hThread)
{
    while (!JoinThreadFor(hThread, kStopPoll)) {
    }
}

void TellRefusals(CRefusalTally& refusals)
{
    const auto& tell = s_Server.m_config.m_onConnectionsRefused;
    for (const CUserConnections& refused : refusals.TakeDue(CRefusalTally::Clock::now())) {
        if (tell)
            tell(CPeer{-1, refused.m_nUid}, refused.m_nCount);
    }
}

void PipeLoop(void*)
{
    if (!PreparePipeLoop())
        return;
    const CPipeServerConfig& config = s_Server.m_config;
    CEndpointWatch watch(config.m_strName, config.m_onEndpointChanged);
    CRefusalTally refusals;
    while (g_StopPipe == 0) {
        TellRefusals(refusals);
        const PipeHandle instance = CreatePipeInstance(config.m_strName);
        if (instance == kNoPipe) {
            watch.Held();
            std::this_thread::sleep_for(kCreateRetryPause);
            continue;
        }
        watch.Taken();
        PipeHandle hPipe = kNoPipe;
        const WaitStatus waited = WaitForClient(instance, hPipe);
        if (waited == WaitStatus::kOutOfFiles) {
            WithReserveFile([&] { watch.OutOfFiles(s_Server.m_registry.Busiest()); });
            continue;
        }
        if (waited == WaitStatus::kNone) {
            // The sender that found no room may have given up waiting.
            if (watch.IsOutOfFiles() && HasRoomForAnotherFile())
                watch.RoomAgain();
            continue;
        }
        watch.RoomAgain();
        if (g_StopPipe != 0) {
            ClosePipeConnection(hPipe);
            break;
        }
        const CPeer sender = PeerOfClient(hPipe);
        if (StartConnection(hPipe, sender) == CConnectionRegistry::Admission::kOverLimit)
            refusals.Add(sender.m_nUid);
        // Without a receiver for the end notices the listener joins ended
        // threads itself; it is awake for the new client anyway.
        if (!config.m_onConnectionEnded)
            ReapEndedConnections();
    }
    FinishPipeLoop();
}

}  // namespace

bool StartPipeServer(CPipeServerConfig config)
{
    Lock lock(s_Server.m_mutex);
    if (s_Server.m_bRunning)
        return false;
    s_Server.m_config = std::move(config);
    // Cleared here rather than in the listener, so a stop that follows at
    // once cannot be undone by a listener that starts late.
    g_StopPipe = 0;
    if (!StartThread(PipeLoop, nullptr, 0, s_Server.m_hListener))
        return false;
    s_Server.m_bRunning = true;
    return true;
}

void StopPipeServer()
{
    Lock lock(s_Server.m_mutex);
    if (!s_Server.m_bRunning)
        return;
    g_StopPipe = 1;
    WakeQueueWaiters();
    do {
        InterruptListener(s_Server.m_config.m_strName, s_Server.m_hListener);
    } while (!JoinThreadFor(s_Server.m_hListener, kStopPoll));
    // The listener is gone, so the set of connections is final.
    CConnectionRegistry& registry = s_Server.m_registry;
    for (const auto& [id, hThread] : registry.TakeAllForJoin()) {
        do {
            registry.InterruptIfOpen(id);
        } while (!JoinThreadFor(hThread, kStopPoll));
        registry.Forget(id);
    }
    registry.ForgetEnded();
    s_Server.m_bRunning = false;
}

void JoinConnectionThread(ConnectionId id)
{
    ThreadHandle hThread = 0;
    if (!s_Server.m_registry.TakeForJoin(id, hThread))
        return;
    JoinEndedThread(hThread);
    s_Server.m_registry.Forget(id);
}

void ReapEndedConnections()
{
    s_Server.m_registry.Reap();
}

std::size_t ConnectionThreadCount()
{
    return s_Server.m_registry.ThreadCount();
}

void BuildReply(const char* /*request*/, char* reply, std::size_t& replyLength)
{
    reply[0] = 'O';
    reply[1] = 'K';
    replyLength = kReplySize;
}

std::string_view CutEventText(const char* request, std::size_t length)
{
    const void* zero = std::memchr(request, '\0', length);
    return {request, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - request) : length};
}
