#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>
#include <memory>

#include "account_win32.h"
#include "peer.h"

namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Process id 0 is the idle process, never at the end of a pipe: a system
// that answers with it does not know the peer.
CPeer FromProcessId(BOOL (*ask)(HANDLE, PULONG), HANDLE pipe)
{
    ULONG pid = 0;
    CPeer peer;
    if (ask(pipe, &pid) && pid != 0)
        peer.m_nPid = static_cast<int64_t>(pid);
    return peer;
}

// The client's account as the pipe tells it. Taking on the client's
// identity works across accounts, where opening another user's process
// does not; a client that allows no more than anonymity tells nothing.
std::string ClientSid(HANDLE pipe)
{
    if (!ImpersonateNamedPipeClient(pipe))
        return {};
    std::string sid;
    HANDLE token = nullptr;
    // Opened as this process, which may read its own thread's token.
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        sid = TokenUserSid(token);
        CloseHandle(token);
    }
    // A thread that kept the client's identity would serve everything after
    // as that client: no way on is safe.
    if (!RevertToSelf())
        std::abort();
    return sid;
}

// The account that made the pipe, as its owner tells it: second best to the
// maker's own token (an administrator's objects belong to Administrators),
// which another user's process does not let us read.
std::string OwnerSid(HANDLE pipe)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor)
        != ERROR_SUCCESS)
        return {};
    std::string sid;
    LPSTR text = nullptr;
    if (owner && ConvertSidToStringSidA(owner, &text)) {
        sid = text;
        LocalFree(text);
    }
    LocalFree(descriptor);
    return sid;
}

}  // namespace

CPeer PeerOfClient(std::intptr_t connection)
{
    return FromProcessId(GetNamedPipeClientProcessId, AsHandle(connection));
}

// Only the pipe's own account of its client counts: the client process's
// id is the client's to state, and may name a process of another account.
// A client that lets itself be identified by no one is judged as nobody.
void LearnClientAccount(std::intptr_t connection, CPeer& peer) { peer.m_strSid = ClientSid(AsHandle(connection)); }

CPeer PeerOfServer(std::intptr_t connection)
{
    CPeer peer = FromProcessId(GetNamedPipeServerProcessId, AsHandle(connection));
    if (peer.m_nPid > 0)
        peer.m_strSid = ProcessUserSid(static_cast<DWORD>(peer.m_nPid));
    if (peer.m_strSid.empty())
        peer.m_strSid = OwnerSid(AsHandle(connection));
    return peer;
}

CPeer FindEndpointHolder(const std::string& name, int64_t /*likelyPid*/)
{
    // Opening a busy pipe fails at once (ERROR_PIPE_BUSY) rather than waiting.
    const HANDLE pipe = CreateFileA(("\\\\.\\pipe\\" + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr);
    if (pipe == INVALID_HANDLE_VALUE)
        return {};
    const CPeer holder = PeerOfServer(reinterpret_cast<std::intptr_t>(pipe));
    CloseHandle(pipe);
    return holder;
}

std::string PeerUserName(const CPeer& peer)
{
    return AccountNameOfSid(peer.m_strSid);
}

std::string PeerAccountId(const CPeer& peer)
{
    return peer.m_strSid;
}

int64_t CurrentUserId() { return -1; }
