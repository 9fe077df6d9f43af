#include "connection_registry.h"

#include <algorithm>
#include <chrono>

using Lock = std::lock_guard<std::mutex>;

CConnectionRegistry::CConnectionRegistry() : m_nOwnUid(CurrentUserId()) {}

bool CConnectionRegistry::IsBounded(int64_t uid) const
{
    // A user the system does not tell (always so for a Windows pipe) cannot
    // be counted apart from the others, so it is not bounded either.
    return uid > 0 && uid != m_nOwnUid;
}

CConnectionRegistry::Admission CConnectionRegistry::Start(
    const CPeer& sender, PipeHandle hPipe, const std::function<bool(ConnectionId, ThreadHandle&)>& start)
{
    Lock lock(m_mutex);
    std::size_t& open = m_open[sender.m_nUid];
    if (IsBounded(sender.m_nUid) && open >= kConnectionsPerSender)
        return Admission::kOverLimit;
    const ConnectionId id = m_nNextId++;
    ThreadHandle hThread = 0;
    if (!start(id, hThread)) {
        if (open == 0)
            m_open.erase(sender.m_nUid);
        return Admission::kNoThread;
    }
    ++open;
    m_connections[id] = CConnection{hThread, hPipe, sender.m_nUid, false};
    return Admission::kStarted;
}

void CConnectionRegistry::Ended(ConnectionId id, bool reapLater)
{
    Lock lock(m_mutex);
    const auto it = m_connections.find(id);
    if (it == m_connections.end())
        return;
    it->second.m_hPipe = kNoPipe;
    const auto open = m_open.find(it->second.m_nUid);
    if (open != m_open.end() && --open->second == 0)
        m_open.erase(open);
    if (reapLater)
        m_ended.push_back(id);
}

std::vector<std::pair<ConnectionId, ThreadHandle>> CConnectionRegistry::TakeAllForJoin()
{
    std::vector<std::pair<ConnectionId, ThreadHandle>> taken;
    Lock lock(m_mutex);
    for (auto& [id, connection] : m_connections) {
        if (!connection.m_bJoining) {
            connection.m_bJoining = true;
            taken.emplace_back(id, connection.m_hThread);
        }
    }
    return taken;
}

bool CConnectionRegistry::TakeForJoin(ConnectionId id, ThreadHandle& thread)
{
    Lock lock(m_mutex);
    const auto it = m_connections.find(id);
    if (it == m_connections.end() || it->second.m_bJoining)
        return false;
    it->second.m_bJoining = true;
    thread = it->second.m_hThread;
    return true;
}

void CConnectionRegistry::Forget(ConnectionId id)
{
    Lock lock(m_mutex);
    m_connections.erase(id);
}

void CConnectionRegistry::InterruptIfOpen(ConnectionId id)
{
    Lock lock(m_mutex);
    const auto it = m_connections.find(id);
    if (it != m_connections.end() && it->second.m_hPipe != kNoPipe)
        InterruptConnection(it->second.m_hPipe, it->second.m_hThread);
}

void CConnectionRegistry::Reap()
{
    // A thread that has not quite finished its exit stays for the next reap
    // rather than blocking the caller, so the try is cheap enough to make
    // under the lock. Entries someone has taken on to join are left alone.
    Lock lock(m_mutex);
    std::erase_if(m_ended, [this](ConnectionId id) {
        const auto it = m_connections.find(id);
        if (it == m_connections.end() || it->second.m_bJoining)
            return true;
        if (!JoinThreadFor(it->second.m_hThread, std::chrono::milliseconds(0)))
            return false;  // still on its way out
        m_connections.erase(it);
        return true;
    });
}

void CConnectionRegistry::ForgetEnded()
{
    Lock lock(m_mutex);
    m_ended.clear();
}

std::size_t CConnectionRegistry::ThreadCount() const
{
    Lock lock(m_mutex);
    return m_connections.size();
}

CUserConnections CConnectionRegistry::Busiest() const
{
    Lock lock(m_mutex);
    const auto busiest = std::max_element(m_open.begin(), m_open.end(),
                                          [](const auto& a, const auto& b) { return a.second < b.second; });
    return busiest == m_open.end() ? CUserConnections{} : CUserConnections{busiest->first, busiest->second};
}
