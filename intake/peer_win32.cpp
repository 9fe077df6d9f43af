#include <windows.h>

#include <memory>
#include <vector>

#include "peer.h"

namespace {

HANDLE AsHandle(std::intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// Process id 0 is the idle process, never at the end of a pipe: a system
// that answers with it does not know the peer.
CPeer FromProcessId(BOOL known, ULONG pid)
{
    return known && pid != 0 ? CPeer{static_cast<int64_t>(pid), -1} : CPeer{};
}

using CHandle = std::unique_ptr<void, decltype(&CloseHandle)>;

// DOMAIN\name of the account whose token the process carries.
std::string AccountOfProcess(DWORD pid)
{
    CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid), &CloseHandle);
    HANDLE rawToken = nullptr;
    if (!process || !OpenProcessToken(process.get(), TOKEN_QUERY, &rawToken))
        return {};
    CHandle token(rawToken, &CloseHandle);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    std::vector<char> user(size);
    if (size == 0 || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size))
        return {};
    char name[256], domain[256];
    DWORD nameSize = sizeof name, domainSize = sizeof domain;
    SID_NAME_USE use;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    if (!LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return {};
    return domainSize > 0 ? std::string(domain) + "\\" + name : std::string(name);
}

}  // namespace

CPeer PeerOfClient(std::intptr_t connection)
{
    ULONG pid = 0;
    return FromProcessId(GetNamedPipeClientProcessId(AsHandle(connection), &pid), pid);
}

CPeer PeerOfServer(std::intptr_t connection)
{
    ULONG pid = 0;
    return FromProcessId(GetNamedPipeServerProcessId(AsHandle(connection), &pid), pid);
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
    return peer.m_nPid < 0 ? std::string() : AccountOfProcess(static_cast<DWORD>(peer.m_nPid));
}

int64_t CurrentUserId() { return -1; }
