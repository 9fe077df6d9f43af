#include "pipe_server.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "intake_queue.h"
#include "pipe_platform.h"

std::atomic<int> g_StopPipe{0};

namespace {

using Lock = std::lock_guard<std::mutex>;
using namespace std::chrono_literals;

// No busy loop while another process holds the endpoint name.
constexpr auto kCreateRetryPause = 200ms;
// How often a stop repeats its interrupt while a thread has not ended yet.
constexpr auto kStopPoll = 50ms;

struct CConnection {
    ThreadHandle m_hThread = 0;
    PipeHandle m_hPipe = kNoPipe;  // kNoPipe once the thread closed it
    bool m_bJoining = false;       // someone has taken on the join
};

// The instance parameter block: made by PipeLoop, freed by InstanceThread.
struct CInstanceBlock {
    PipeHandle m_hPipe = kNoPipe;
    ConnectionId m_id = 0;
    std::function<void(ConnectionId)> m_onEnded;
};

struct CServerState {
    std::mutex m_serverMutex;  // start and stop
    bool m_bRunning = false;
    ThreadHandle m_hListener = 0;
    CPipeServerConfig m_config;  // written only while no server thread runs

    std::mutex m_registryMutex;
    std::map<ConnectionId, CConnection> m_connections;
    ConnectionId m_nNextId = 1;
    // Ended with no receiver for the end notice: joined by the next reap.
    std::vector<ConnectionId> m_ended;
};

// Never destroyed: when the program leaves the server running at exit,
// connection threads may still end while the process's objects go away.
CServerState& s_State = *new CServerState;
std::mutex& s_ServerMutex = s_State.m_serverMutex;
bool& s_bRunning = s_State.m_bRunning;
ThreadHandle& s_hListener = s_State.m_hListener;
CPipeServerConfig& s_Config = s_State.m_config;
std::mutex& s_RegistryMutex = s_State.m_registryMutex;
std::map<ConnectionId, CConnection>& s_Connections = s_State.m_connections;
ConnectionId& s_nNextId = s_State.m_nNextId;
std::vector<ConnectionId>& s_Ended = s_State.m_ended;

bool IsAccepted(const CPeer& sender)
{
    if (!s_Config.m_acceptSender || s_Config.m_acceptSender(sender))
        return true;
    if (s_Config.m_onSenderRefused)
        s_Config.m_onSenderRefused(sender);
    return false;
}

void Serve(PipeHandle hPipe)
{
    char request[kRequestSize];
    char reply[kReplySize];
    // Known from the first message on: a Windows pipe tells its client's
    // account only once something has been read from it.
    std::optional<CPeer> sender;
    for (;;) {
        std::size_t length = 0;
        if (g_StopPipe != 0 || ReadRequest(hPipe, request, length) != ReadStatus::kMessage)
            return;
        if (!sender) {
            sender = PeerOfClient(hPipe);
            if (!IsAccepted(*sender))
                return;
        }
        // Answering promises the text will be stored, so room comes first.
        if (!ReserveQueueRoom(g_StopPipe))
            return;
        std::size_t replyLength = 0;
        BuildReply(request, reply, replyLength);
        const bool written = WriteReply(hPipe, reply, replyLength);
        // The sender may have seen the reply although the write reported a
        // failure, so the text is kept either way.
        QueueText(CutEventText(request, length), *sender);
        if (!written)
            return;
    }
}

// The thread's last use of the registry, in one visit: once the entry
// forgets the pipe, a stop no longer interrupts it, so its number cannot be
// reused under the stop's hands; without an end receiver the thread is left
// for a reap to join.
void EndConnection(ConnectionId id, PipeHandle hPipe, bool reapLater)
{
    EndConversation(hPipe);  // a stop can still interrupt this
    {
        Lock lock(s_RegistryMutex);
        s_Connections[id].m_hPipe = kNoPipe;
        if (reapLater)
            s_Ended.push_back(id);
    }
    ReleasePipe(hPipe);
}

void InstanceThread(void* param)
{
    const std::unique_ptr<CInstanceBlock> block(static_cast<CInstanceBlock*>(param));
    Serve(block->m_hPipe);
    EndConnection(block->m_id, block->m_hPipe, !block->m_onEnded);
    if (block->m_onEnded)
        block->m_onEnded(block->m_id);
}

void StartConnection(PipeHandle hPipe)
{
    auto block = std::make_unique<CInstanceBlock>();
    block->m_hPipe = hPipe;
    block->m_onEnded = s_Config.m_onConnectionEnded;

    // The registry lock is held across the start so the new thread cannot
    // reach its end before its entry exists.
    Lock lock(s_RegistryMutex);
    block->m_id = s_nNextId++;
    const ConnectionId id = block->m_id;
    ThreadHandle hThread = 0;
    if (!StartThread(InstanceThread, block.get(), kConnectionStackSize, hThread)) {
        // Left open, the sender would wait for an answer forever.
        ClosePipeConnection(hPipe);
        return;
    }
    block.release();  // InstanceThread owns it now
    s_Connections[id] = CConnection{hThread, hPipe, false};
}

// Marks the entries chosen by pick as being joined and returns them.
template <class Pick>
std::vector<std::pair<ConnectionId, ThreadHandle>> TakeForJoin(Pick pick)
{
    std::vector<std::pair<ConnectionId, ThreadHandle>> taken;
    Lock lock(s_RegistryMutex);
    for (auto& [id, conn] : s_Connections) {
        if (!conn.m_bJoining && pick(conn)) {
            conn.m_bJoining = true;
            taken.emplace_back(id, conn.m_hThread);
        }
    }
    return taken;
}

void Forget(ConnectionId id)
{
    Lock lock(s_RegistryMutex);
    s_Connections.erase(id);
}

void InterruptIfOpen(ConnectionId id)
{
    Lock lock(s_RegistryMutex);
    const auto it = s_Connections.find(id);
    if (it != s_Connections.end() && it->second.m_hPipe != kNoPipe)
        InterruptConnection(it->second.m_hPipe, it->second.m_hThread);
}

// For a thread that has ended or is about to, so nothing needs interrupting.
void JoinEndedThread(ThreadHandle hThread)
{
    while (!JoinThreadFor(hThread, kStopPoll)) {
    }
}

// Tells the owner when the name is taken or held by another process. A
// holder is looked up once; only one that did not answer is asked again.
class CEndpointWatch {
public:
    void Taken()
    {
        if (!m_bReported || !m_Last.m_bReceiving)
            Report({true, {}, {}});
    }

    void Held(const std::string& name)
    {
        if (m_bReported && !m_Last.m_bReceiving && m_Last.m_Holder.m_nPid >= 0)
            return;
        CEndpointState held;
        held.m_Holder = FindEndpointHolder(name);
        held.m_strHolderUser = PeerUserName(held.m_Holder);
        if (!m_bReported || m_Last.m_bReceiving || held.m_Holder != m_Last.m_Holder)
            Report(held);
    }

private:
    void Report(const CEndpointState& state)
    {
        m_Last = state;
        m_bReported = true;
        if (s_Config.m_onEndpointChanged)
            s_Config.m_onEndpointChanged(state);
    }

    bool m_bReported = false;
    CEndpointState m_Last;
};

void PipeLoop(void*)
{
    if (!PreparePipeLoop())
        return;
    const std::string& name = s_Config.m_strName;
    CEndpointWatch watch;
    while (g_StopPipe == 0) {
        const PipeHandle instance = CreatePipeInstance(name);
        if (instance == kNoPipe) {
            watch.Held(name);
            std::this_thread::sleep_for(kCreateRetryPause);
            continue;
        }
        watch.Taken();
        const PipeHandle hPipe = WaitForClient(instance);
        if (hPipe == kNoPipe)
            continue;
        if (g_StopPipe != 0) {
            ClosePipeConnection(hPipe);
            break;
        }
        StartConnection(hPipe);
        // Without a receiver for the end notices the listener joins ended
        // threads itself; it is awake for the new client anyway.
        if (!s_Config.m_onConnectionEnded)
            ReapEndedConnections();
    }
    FinishPipeLoop();
}

}  // namespace

bool StartPipeServer(CPipeServerConfig config)
{
    Lock lock(s_ServerMutex);
    if (s_bRunning)
        return false;
    s_Config = std::move(config);
    // Cleared here rather than in the listener, so a stop that follows at
    // once cannot be undone by a listener that starts late.
    g_StopPipe = 0;
    if (!StartThread(PipeLoop, nullptr, 0, s_hListener))
        return false;
    s_bRunning = true;
    return true;
}

void StopPipeServer()
{
    Lock lock(s_ServerMutex);
    if (!s_bRunning)
        return;
    g_StopPipe = 1;
    WakeQueueWaiters();
    do {
        InterruptListener(s_Config.m_strName, s_hListener);
    } while (!JoinThreadFor(s_hListener, kStopPoll));
    // The listener is gone, so the set of connections is final.
    for (const auto& [id, hThread] : TakeForJoin([](const CConnection&) { return true; })) {
        do {
            InterruptIfOpen(id);
        } while (!JoinThreadFor(hThread, kStopPoll));
        Forget(id);
    }
    {
        Lock lock(s_RegistryMutex);
        s_Ended.clear();
    }
    s_bRunning = false;
}

void JoinConnectionThread(ConnectionId id)
{
    ThreadHandle hThread = 0;
    {
        Lock lock(s_RegistryMutex);
        const auto it = s_Connections.find(id);
        if (it == s_Connections.end() || it->second.m_bJoining)
            return;
        it->second.m_bJoining = true;
        hThread = it->second.m_hThread;
    }
    JoinEndedThread(hThread);
    Forget(id);
}

void ReapEndedConnections()
{
    // A thread that has not quite finished its exit stays for the next reap
    // rather than blocking the listener, so the try is cheap enough to make
    // under the lock. Entries someone has taken on to join are left alone.
    Lock lock(s_RegistryMutex);
    std::erase_if(s_Ended, [](ConnectionId id) {
        const auto it = s_Connections.find(id);
        if (it == s_Connections.end() || it->second.m_bJoining)
            return true;
        if (!JoinThreadFor(it->second.m_hThread, std::chrono::milliseconds(0)))
            return false;  // still on its way out
        s_Connections.erase(it);
        return true;
    });
}

std::size_t ConnectionThreadCount()
{
    Lock lock(s_RegistryMutex);
    return s_Connections.size();
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
