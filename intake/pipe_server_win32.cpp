// The endpoint as the named pipe \\.\pipe\<name>: message mode, one
// instance per connected client, open to every local user and process and
// to nobody elsewhere.
#include <windows.h>
#include <sddl.h>

#include <atomic>

#include "pipe_platform.h"
#include "pipe_server.h"

static_assert(sizeof(HANDLE) <= sizeof(ThreadHandle));

namespace {

constexpr DWORD kOpenMode = PIPE_ACCESS_DUPLEX;
// Clients on other machines could otherwise reach the pipe over the network
// (\\HOST\pipe\zqevent); events come from the lock software on this one.
constexpr DWORD kPipeMode = PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS;
constexpr DWORD kBufferSize = 2028;
constexpr DWORD kDefaultTimeoutMs = 100;

// Who may do what with the pipe, the denial first:
// - network logons nothing, whatever else they are;
// - its owner everything, above all changing this list and creating
//   further instances of the name;
// - everyone else what a sender needs: read, write, the pipe's attributes
//   (message mode) and waiting on it (0x12019b: FILE_GENERIC_READ |
//   FILE_GENERIC_WRITE without FILE_CREATE_PIPE_INSTANCE, which squatting
//   on the name would need).
// Protected, so nothing is inherited into it.
constexpr wchar_t kPipeSecurity[] = L"D:P(D;;GA;;;NU)(A;;GA;;;OW)(A;;0x12019b;;;WD)";

// Made by the listener when it starts and freed when it ends; every
// instance it creates shares it.
PSECURITY_DESCRIPTOR s_pDescriptor = nullptr;
SECURITY_ATTRIBUTES s_Attributes{};

// This process's instances of the name that are still open. While there
// are none, a new one must be the name's first, so that another process
// that has taken the name is found out rather than joined: its clients
// would otherwise be shared with it.
std::atomic<int> s_nOpenInstances{0};

HANDLE AsHandle(PipeHandle pipe)
{
    return reinterpret_cast<HANDLE>(pipe);
}

HANDLE AsHandle(ThreadHandle thread)
{
    return reinterpret_cast<HANDLE>(thread);
}

std::string PipePath(const std::string& name)
{
    return "\\\\.\\pipe\\" + name;
}

struct CThreadStart {
    void (*m_routine)(void*);
    void* m_arg;
};

DWORD WINAPI ThreadEntry(LPVOID param)
{
    const CThreadStart start = *static_cast<CThreadStart*>(param);
    delete static_cast<CThreadStart*>(param);
    start.m_routine(start.m_arg);
    return 0;
}

}  // namespace

bool PreparePipeLoop()
{
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSecurity, SDDL_REVISION_1, &s_pDescriptor,
                                                              nullptr))
        return false;
    s_Attributes.nLength = sizeof s_Attributes;
    s_Attributes.lpSecurityDescriptor = s_pDescriptor;
    s_Attributes.bInheritHandle = TRUE;
    return true;
}

void FinishPipeLoop()
{
    LocalFree(s_pDescriptor);
    s_pDescriptor = nullptr;
}

PipeHandle CreatePipeInstance(const std::string& name)
{
    // A connection that ends between the count and the creation leaves a
    // moment in which another process could take the name and this
    // instance join it; the next instance after that finds it out.
    const DWORD firstInstance = s_nOpenInstances == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
    const HANDLE pipe = CreateNamedPipeA(PipePath(name).c_str(), kOpenMode | firstInstance, kPipeMode,
                                         PIPE_UNLIMITED_INSTANCES, kBufferSize, kBufferSize, kDefaultTimeoutMs,
                                         &s_Attributes);
    if (pipe == INVALID_HANDLE_VALUE)
        return kNoPipe;
    ++s_nOpenInstances;
    return reinterpret_cast<PipeHandle>(pipe);
}

WaitStatus WaitForClient(PipeHandle instance, PipeHandle& connection)
{
    // ERROR_PIPE_CONNECTED: the client came between creation and the wait.
    // ERROR_NO_DATA: it came and has left again, perhaps after writing an
    // event without waiting for the answer; the connection reads what it left.
    if (ConnectNamedPipe(AsHandle(instance), nullptr) || GetLastError() == ERROR_PIPE_CONNECTED ||
        GetLastError() == ERROR_NO_DATA) {
        connection = instance;
        return WaitStatus::kConnected;
    }
    ReleasePipe(instance);
    return WaitStatus::kNone;
}

bool HasRoomForAnotherFile()
{
    // A pipe instance is made before the wait, so a shortage shows as a
    // failed creation, never as a client that cannot be taken.
    return true;
}

void WithReserveFile(const std::function<void()>& use)
{
    use();
}

ReadStatus ReadRequest(PipeHandle connection, char* request, std::size_t& length)
{
    DWORD read = 0;
    // A sender that leaves makes the read fail (broken pipe); a successful
    // read of no bytes is an empty message, answered like any other.
    if (!ReadFile(AsHandle(connection), request, static_cast<DWORD>(kRequestSize), &read, nullptr))
        return GetLastError() == ERROR_MORE_DATA ? ReadStatus::kTooLong : ReadStatus::kEnded;
    length = read;
    return ReadStatus::kMessage;
}

bool WriteReply(PipeHandle connection, const char* reply, std::size_t length)
{
    DWORD written = 0;
    return WriteFile(AsHandle(connection), reply, static_cast<DWORD>(length), &written, nullptr) && written == length;
}

void EndConversation(PipeHandle connection)
{
    FlushFileBuffers(AsHandle(connection));  // waits until the client has read
    DisconnectNamedPipe(AsHandle(connection));
}

void ReleasePipe(PipeHandle connection)
{
    CloseHandle(AsHandle(connection));
    --s_nOpenInstances;
}

void InterruptConnection(PipeHandle, ThreadHandle thread)
{
    // A synchronous pipe handle serialises its I/O, so only cancelling the
    // thread's own call gets it out of a blocked read.
    CancelSynchronousIo(AsHandle(thread));
}

void InterruptListener(const std::string& name, ThreadHandle listener)
{
    CancelSynchronousIo(AsHandle(listener));
    // A client that connects and leaves also ends the wait.
    const HANDLE client = CreateFileA(PipePath(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (client != INVALID_HANDLE_VALUE)
        CloseHandle(client);
}

bool StartThread(void (*routine)(void*), void* arg, std::size_t stackSize, ThreadHandle& thread)
{
    auto* start = new CThreadStart{routine, arg};
    // Created suspended so the handle is stored before the thread can run.
    const DWORD flags = CREATE_SUSPENDED | (stackSize != 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0);
    const HANDLE handle = CreateThread(nullptr, stackSize, ThreadEntry, start, flags, nullptr);
    if (!handle) {
        delete start;
        return false;
    }
    thread = reinterpret_cast<ThreadHandle>(handle);
    ResumeThread(handle);
    return true;
}

bool JoinThreadFor(ThreadHandle thread, std::chrono::milliseconds timeout)
{
    if (WaitForSingleObject(AsHandle(thread), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return false;
    CloseHandle(AsHandle(thread));
    return true;
}
