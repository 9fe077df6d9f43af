#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

#include "intake_test_support.h"

int ProcessThreadCount()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    const DWORD self = GetCurrentProcessId();
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        count += entry.th32OwnerProcessID == self;
    CloseHandle(snapshot);
    return count;
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

bool PeerProcessesKnown()
{
    const std::string name = UniqueEndpointName();
    CSquatter server(name);
    CSenderConnection client;
    return client.Connect(name) && client.Listener().m_nPid == static_cast<int64_t>(GetCurrentProcessId());
}

CSquatter::CSquatter(const std::string& name)
{
    // One instance only, so the name is not shared but taken.
    const HANDLE pipe = CreateNamedPipeA(("\\\\.\\pipe\\" + name).c_str(), PIPE_ACCESS_DUPLEX,
                                         PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 512, 512, 0, nullptr);
    if (pipe != INVALID_HANDLE_VALUE)
        m_handle = reinterpret_cast<std::intptr_t>(pipe);
}

void CSquatter::Leave()
{
    if (m_handle != -1)
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = -1;
}

COneProcessor::COneProcessor()
{
    // Windows keeps the affinity per process; the threads started later
    // take it from there.
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0)
        return;
    if (SetProcessAffinityMask(GetCurrentProcess(), process & (~process + 1)))
        m_saved.assign(reinterpret_cast<unsigned char*>(&process), reinterpret_cast<unsigned char*>(&process + 1));
}

COneProcessor::~COneProcessor()
{
    DWORD_PTR process = 0;
    if (m_saved.size() != sizeof process)
        return;
    std::memcpy(&process, m_saved.data(), sizeof process);
    SetProcessAffinityMask(GetCurrentProcess(), process);
}
