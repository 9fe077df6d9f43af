#include <windows.h>

#include "tellvane_send_client.h"

namespace {

constexpr std::size_t kReplyBuffer = 64;
constexpr DWORD kBusyWaitMs = 2000;

HANDLE Handle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

HANDLE OpenPipe(const std::string& path)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

}  // namespace

bool CSenderConnection::Connect(const std::string& name)
{
    Close();
    const std::string path = "\\\\.\\pipe\\" + name;
    // Every instance taken: the server makes the next one right away, but
    // other senders may take it first, so wait again until the time is up.
    const ULONGLONG deadline = GetTickCount64() + kBusyWaitMs;
    HANDLE pipe;
    while ((pipe = OpenPipe(path)) == INVALID_HANDLE_VALUE && GetLastError() == ERROR_PIPE_BUSY) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            return false;
        WaitNamedPipeA(path.c_str(), static_cast<DWORD>(deadline - now));
    }
    if (pipe == INVALID_HANDLE_VALUE)
        return false;
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr)) {
        CloseHandle(pipe);
        return false;
    }
    m_handle = reinterpret_cast<std::intptr_t>(pipe);
    return true;
}

bool CSenderConnection::Send(std::string_view text)
{
    DWORD written = 0;
    return WriteFile(Handle(m_handle), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool CSenderConnection::ReceiveReply(std::string& reply)
{
    char buffer[kReplyBuffer];
    DWORD read = 0;
    const BOOL ok = ReadFile(Handle(m_handle), buffer, sizeof buffer, &read, nullptr);
    if ((!ok && GetLastError() != ERROR_MORE_DATA) || read == 0)
        return false;
    reply.assign(buffer, read);
    return true;
}

void CSenderConnection::Close()
{
    if (m_handle != -1)
        CloseHandle(Handle(m_handle));
    m_handle = -1;
}
