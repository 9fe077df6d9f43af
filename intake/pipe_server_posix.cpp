// The endpoint as an AF_UNIX SOCK_SEQPACKET socket in the abstract
// namespace: message boundaries are kept, any local process may connect, and
// the name disappears with the process.
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "pipe_platform.h"
#include "pipe_server.h"
#include "unix_endpoint.h"

static_assert(sizeof(pthread_t) <= sizeof(ThreadHandle));

namespace {

using namespace std::chrono_literals;

// One listening socket serves every client; it lives from the first
// successful creation until the listener ends or the socket breaks.
std::mutex s_ListenMutex;
int s_listenFd = -1;

void CloseListener()
{
    std::lock_guard<std::mutex> lock(s_ListenMutex);
    if (s_listenFd >= 0)
        close(s_listenFd);
    s_listenFd = -1;
}

int ListenOn(const std::string& name)
{
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const CUnixAddress address(name);
    if (bind(fd, address.Get(), address.Length()) != 0 || listen(fd, SOMAXCONN) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool IsMomentary(int error)
{
    return error == EINTR || error == ECONNABORTED || error == EPROTO;
}

bool IsOutOfFiles(int error)
{
    return error == EMFILE || error == ENFILE;
}

bool IsOutOfMemory(int error)
{
    return error == ENOBUFS || error == ENOMEM;
}

// How long the listener waits for a client before it does its timed work.
constexpr int kClientWaitMs = 1000;
// A retry at once would spin while the shortage lasts.
constexpr auto kShortagePause = 200ms;

struct CThreadStart {
    void (*m_routine)(void*);
    void* m_arg;
};

void* ThreadEntry(void* param)
{
    const CThreadStart start = *static_cast<CThreadStart*>(param);
    delete static_cast<CThreadStart*>(param);
    start.m_routine(start.m_arg);
    return nullptr;
}

// Held by the listener from its start to its end, but while it is let go
// (WithReserveFile); -1 when it could not be taken again yet.
int s_reserveFd = -1;

void TakeReserve()
{
    if (s_reserveFd < 0)
        s_reserveFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
}

}  // namespace

bool PreparePipeLoop()
{
    TakeReserve();
    return true;
}

void FinishPipeLoop()
{
    CloseListener();
    if (s_reserveFd >= 0)
        close(s_reserveFd);
    s_reserveFd = -1;
}

void WithReserveFile(const std::function<void()>& use)
{
    TakeReserve();
    if (s_reserveFd >= 0)
        close(s_reserveFd);
    s_reserveFd = -1;
    use();
    TakeReserve();
}

PipeHandle CreatePipeInstance(const std::string& name)
{
    std::lock_guard<std::mutex> lock(s_ListenMutex);
    if (s_listenFd < 0)
        s_listenFd = ListenOn(name);
    return s_listenFd;
}

WaitStatus WaitForClient(PipeHandle instance, PipeHandle& connection)
{
    pollfd listening{static_cast<int>(instance), POLLIN, 0};
    if (poll(&listening, 1, kClientWaitMs) <= 0)
        return WaitStatus::kNone;  // a signal or the time passed: the caller looks again
    const int fd = accept4(static_cast<int>(instance), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (IsOutOfFiles(error) || IsOutOfMemory(error))
            std::this_thread::sleep_for(kShortagePause);
        else if (!IsMomentary(error))
            CloseListener();  // broken or shut down: made anew on the next pass
        return IsOutOfFiles(error) ? WaitStatus::kOutOfFiles : WaitStatus::kNone;
    }
    // Every received message then carries the sender's credentials, which
    // tells an empty message from the end of the conversation: recvmsg
    // returns 0 for both.
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    connection = fd;
    return WaitStatus::kConnected;
}

bool HasRoomForAnotherFile()
{
    TakeReserve();  // room goes to the reserve first
    // The kind of descriptor a connection needs.
    const int probe = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (probe < 0)
        return !IsOutOfFiles(errno);
    close(probe);
    return true;
}

ReadStatus ReadRequest(PipeHandle connection, char* request, std::size_t& length)
{
    iovec data{request, kRequestSize};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    msghdr message{};
    message.msg_iov = &data;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t received;
    do {
        // MSG_TRUNC makes recvmsg return the full size of a longer message.
        received = recvmsg(static_cast<int>(connection), &message, MSG_TRUNC | MSG_CMSG_CLOEXEC);
    } while (received < 0 && errno == EINTR);
    if (received < 0 || (received == 0 && message.msg_controllen == 0))
        return ReadStatus::kEnded;
    if (static_cast<std::size_t>(received) > kRequestSize || (message.msg_flags & MSG_TRUNC))
        return ReadStatus::kTooLong;
    length = static_cast<std::size_t>(received);
    return ReadStatus::kMessage;
}

bool WriteReply(PipeHandle connection, const char* reply, std::size_t length)
{
    ssize_t sent;
    do {
        sent = send(static_cast<int>(connection), reply, length, MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(length);
}

void EndConversation(PipeHandle)
{
    // The replies are with the client once send has returned.
}

void ReleasePipe(PipeHandle connection)
{
    close(static_cast<int>(connection));
}

void InterruptConnection(PipeHandle connection, ThreadHandle)
{
    // Unlike a close, a shutdown cannot hand the descriptor number to
    // someone else while the owner still uses it.
    shutdown(static_cast<int>(connection), SHUT_RDWR);
}

void InterruptListener(const std::string&, ThreadHandle)
{
    std::lock_guard<std::mutex> lock(s_ListenMutex);
    if (s_listenFd >= 0)
        shutdown(s_listenFd, SHUT_RDWR);
}

bool StartThread(void (*routine)(void*), void* arg, std::size_t stackSize, ThreadHandle& thread)
{
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    if (stackSize != 0)
        pthread_attr_setstacksize(&attributes, stackSize);
    auto* start = new CThreadStart{routine, arg};
    pthread_t id;
    const bool started = pthread_create(&id, &attributes, ThreadEntry, start) == 0;
    pthread_attr_destroy(&attributes);
    if (!started) {
        delete start;
        return false;
    }
    thread = static_cast<ThreadHandle>(id);
    return true;
}

bool JoinThreadFor(ThreadHandle thread, std::chrono::milliseconds timeout)
{
    // A try costs no system call when the thread has ended already.
    if (timeout.count() == 0)
        return pthread_tryjoin_np(static_cast<pthread_t>(thread), nullptr) == 0;
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    const auto nanos = deadline.tv_nsec + std::chrono::nanoseconds(timeout).count();
    deadline.tv_sec += static_cast<time_t>(nanos / 1000000000);
    deadline.tv_nsec = static_cast<long>(nanos % 1000000000);
    return pthread_timedjoin_np(static_cast<pthread_t>(thread), nullptr, &deadline) == 0;
}
