// What only the socket endpoint can be asked: who holds its name, and how
// it fares against other accounts and the open-file limit.
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <filesystem>

#include "event_store.h"
#include "intake_test_support.h"
#include "unix_endpoint.h"

namespace {

using namespace std::chrono_literals;

const std::string kEvent = "8,0,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,,5,0,1,0,0,0,0";

// A process of another account where the test runs as root (nobody), else
// of the test's own user. It runs work(in, out) and talks with the test a
// few bytes at a time over two pipes. Forked from a process with threads,
// work must keep to system calls and memory made before the fork.
class CChildProcess {
public:
    static constexpr uid_t kOtherUid = 65534;
    static constexpr rlim_t kChildFiles = 4096;
    using Work = std::function<void(int in, int out)>;

    explicit CChildProcess(const Work& work)
    {
        int toChild[2], toParent[2];
        if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(toParent, O_CLOEXEC) != 0)
            return;
        m_uid = geteuid() == 0 ? kOtherUid : geteuid();
        m_pid = fork();
        if (m_pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            // Another process holds none of the test's sockets.
            const int first = std::min(toChild[0], toParent[1]), second = std::max(toChild[0], toParent[1]);
            close_range(3, first - 1, 0);
            close_range(first + 1, second - 1, 0);
            close_range(second + 1, ~0U, 0);
            if (geteuid() == 0) {
                // Room for what work opens, whatever the test's own limit.
                const rlimit files{kChildFiles, kChildFiles};
                setrlimit(RLIMIT_NOFILE, &files);
                if (setgroups(0, nullptr) != 0 || setgid(kOtherUid) != 0 || setuid(kOtherUid) != 0)
                    _exit(2);
            }
            work(toChild[0], toParent[1]);
            _exit(0);
        }
        close(toChild[0]);
        close(toParent[1]);
        m_in = toParent[0];
        m_out = toChild[1];
    }

    ~CChildProcess()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        close(m_in);
        close(m_out);
    }

    pid_t Pid() const { return m_pid; }
    uid_t Uid() const { return m_uid; }

    bool Tell(char c) { return write(m_out, &c, 1) == 1; }

    // Reads size bytes the child wrote; false when they did not come in time.
    bool Hear(void* data, std::size_t size, std::chrono::milliseconds timeout = 30s)
    {
        auto* bytes = static_cast<char*>(data);
        while (size > 0) {
            pollfd ready{m_in, POLLIN, 0};
            if (poll(&ready, 1, static_cast<int>(timeout.count())) != 1)
                return false;
            const ssize_t got = read(m_in, bytes, size);
            if (got <= 0)
                return false;
            bytes += got;
            size -= static_cast<std::size_t>(got);
        }
        return true;
    }

    // For work: tells the test size bytes.
    static bool Say(int out, const void* data, std::size_t size)
    {
        return write(out, data, size) == static_cast<ssize_t>(size);
    }

    // For work: waits for the test's next byte.
    static char Await(int in)
    {
        char c = 0;
        return read(in, &c, 1) == 1 ? c : '\0';
    }

private:
    pid_t m_pid = -1;
    uid_t m_uid = 0;
    int m_in = -1;
    int m_out = -1;
};

int Listen(const std::string& name, int backlog)
{
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const CUnixAddress address(name);
    if (fd >= 0 && bind(fd, address.Get(), address.Length()) == 0 && listen(fd, backlog) == 0)
        return fd;
    if (fd >= 0)
        close(fd);
    return -1;
}

// One text on a connection of its own, as the lock software sends it: the
// reply, or "" when none came within ten seconds.
std::string SendAlone(const std::string& name, const std::string& text)
{
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const timeval wait{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const CUnixAddress address(name);
    char reply[16];
    ssize_t received = -1;
    if (connect(fd, address.Get(), address.Length()) == 0 &&
        send(fd, text.data(), text.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(text.size()))
        received = recv(fd, reply, sizeof reply, 0);
    close(fd);
    return received > 0 ? std::string(reply, static_cast<std::size_t>(received)) : std::string();
}

// Lowers the soft limit of open files for the test and restores it after.
class CFileLimit {
public:
    explicit CFileLimit(rlim_t soft)
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        rlimit lowered = m_saved;
        lowered.rlim_cur = soft;
        setrlimit(RLIMIT_NOFILE, &lowered);
    }
    ~CFileLimit() { setrlimit(RLIMIT_NOFILE, &m_saved); }

private:
    rlimit m_saved{};
};

rlim_t OpenFileCount()
{
    const std::filesystem::directory_iterator fds("/proc/self/fd");
    return static_cast<rlim_t>(std::distance(fds, std::filesystem::directory_iterator()));
}

}  // namespace

TEST(PipeServerName, WaitsForATakenNameAndTakesItWhenFreed)
{
    ResetQueue();
    const std::string name = UniqueEndpointName();
    const CUnixAddress address(name);
    const int squatter = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    ASSERT_EQ(bind(squatter, address.Get(), address.Length()), 0);
    ASSERT_EQ(listen(squatter, 4), 0);

    CPipeServerConfig config;
    config.m_strName = name;
    ASSERT_TRUE(StartPipeServer(config));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // a few tries go by
    close(squatter);

    CSenderConnection sender;
    std::string reply;
    ASSERT_TRUE(WaitUntil([&] { return sender.Connect(name); }));
    ASSERT_TRUE(sender.Send("after all"));
    ASSERT_TRUE(sender.ReceiveReply(reply));
    EXPECT_EQ(reply, "OK");
    StopPipeServer();
    EXPECT_EQ(ConnectionThreadCount(), 0u);
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{"after all"});
    ResetQueue();
}

// A holder that leaves while another process (another user's, where the
// test may switch) takes the name at once: the notice must name the new one.
TEST(PipeServerName, TheNoticeNamesANewHolderWithinTwoSeconds)
{
    const std::string name = UniqueEndpointName();
    CSquatter first(name);
    ASSERT_TRUE(first.Holds());
    CChildProcess second([&name](int in, int out) {
        if (CChildProcess::Await(in) != 'b')
            return;
        const char bound = Listen(name, 4) >= 0 ? 'k' : 'f';
        CChildProcess::Say(out, &bound, 1);
        CChildProcess::Await(in);  // holds the name until the test ends
    });
    ASSERT_GT(second.Pid(), 0);

    CEndpointLog log;
    std::mutex timesMutex;
    std::vector<std::chrono::steady_clock::time_point> times;
    CPipeServerConfig config;
    config.m_strName = name;
    config.m_onEndpointChanged = [&](const CEndpointState& state) {
        log.Add(state);
        std::lock_guard<std::mutex> lock(timesMutex);
        times.push_back(std::chrono::steady_clock::now());
        if (times.size() != 1)
            return;
        // The name changes hands while the listener waits for this call,
        // so it cannot take the name in between.
        first.Leave();
        char bound = 0;
        if (!second.Tell('b') || !second.Hear(&bound, 1) || bound != 'k')
            ADD_FAILURE() << "the second holder did not take the name";
        times.back() = std::chrono::steady_clock::now();
    };
    ASSERT_TRUE(StartPipeServer(config));
    const bool renamed = WaitUntil([&] { return log.States().size() >= 2; }, 5s);
    StopPipeServer();
    ASSERT_TRUE(renamed) << "the notice still names the first holder";
    const std::vector<CEndpointState> states = log.States();
    EXPECT_EQ(states[0].m_Holder.m_nPid, getpid());
    EXPECT_FALSE(states[1].m_bReceiving);
    EXPECT_EQ(states[1].m_Holder, (CPeer{second.Pid(), second.Uid()}));
    EXPECT_EQ(states[1].m_strHolderUser, PeerUserName({second.Pid(), second.Uid()}));
    std::lock_guard<std::mutex> lock(timesMutex);
    EXPECT_LE(times[1] - times[0], 2s);
}

// A squatter that fills its own backlog answers no connection; it is named
// all the same.
TEST(PipeServerName, NamesAHolderWhoseBacklogIsFull)
{
    const std::string name = UniqueEndpointName();
    const int squatter = Listen(name, 0);
    ASSERT_GE(squatter, 0);
    const CUnixAddress address(name);
    std::vector<int> queued;
    for (;;) {
        const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (connect(fd, address.Get(), address.Length()) != 0) {
            EXPECT_EQ(errno, EAGAIN);
            close(fd);
            break;
        }
        queued.push_back(fd);
    }

    CEndpointLog log;
    ASSERT_TRUE(StartWatchedServer(name, log));
    ASSERT_TRUE(WaitUntil([&] { return !log.States().empty(); }, 5s));
    StopPipeServer();
    const CEndpointState held = log.States()[0];
    EXPECT_EQ(held.m_Holder, (CPeer{getpid(), getuid()}));
    EXPECT_EQ(held.m_strHolderUser, PeerUserName({getpid(), getuid()}));
    for (int fd : queued)
        close(fd);
    close(squatter);
}

// A socket tells its peer at once: a sender outside the allowed ones is
// let go before it says anything, not left holding a thread idle.
TEST(PipeServerBound, ARefusedSenderIsLetGoBeforeItsFirstMessage)
{
    ResetQueue();
    std::atomic<int> refused = 0;
    CPipeServerConfig config;
    config.m_strName = UniqueEndpointName();
    config.m_acceptSender = [](const CPeer&) { return false; };
    config.m_onSenderRefused = [&](const CPeer&) { ++refused; };
    ASSERT_TRUE(StartPipeServer(config));
    CSenderConnection silent;
    ASSERT_TRUE(WaitUntil([&] { return silent.Connect(config.m_strName); }));
    EXPECT_TRUE(WaitUntil([&] { return refused > 0; }));
    StopPipeServer();
}

// Another account's idle connections, beyond the open-file limit, must not
// shut the lock software (the program's own user) out.
TEST(PipeServerBound, AnotherAccountsIdleConnectionsLeaveTheLockSoftwareAnswered)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "needs a second account: run as root";
    constexpr int kIdle = 1100;
    ResetQueue();
    ResetStore(kMaxCapacity);
    const std::string name = UniqueEndpointName();
    std::vector<int> fds(kIdle, -1);  // the child's, made before the fork
    CChildProcess other([&](int in, int out) {
        if (CChildProcess::Await(in) != 'c')
            return;
        const CUnixAddress address(name);
        char connected = 'r';
        for (int& fd : fds) {
            fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
            if (fd < 0 || connect(fd, address.Get(), address.Length()) != 0)
                connected = 'f';
        }
        CChildProcess::Say(out, &connected, 1);
        if (CChildProcess::Await(in) != 'n')
            return;
        int closed = 0;
        for (int fd : fds) {
            pollfd hung{fd, POLLRDHUP, 0};
            closed += poll(&hung, 1, 0) == 1 && (hung.revents & (POLLHUP | POLLRDHUP));
        }
        CChildProcess::Say(out, &closed, sizeof closed);
        CChildProcess::Await(in);
    });
    ASSERT_GT(other.Pid(), 0);

    std::mutex refusedMutex;
    std::vector<CPeer> refused;
    CPipeServerConfig config;
    config.m_strName = name;
    config.m_onConnectionsRefused = [&](const CPeer& sender, std::size_t) {
        std::lock_guard<std::mutex> lock(refusedMutex);
        refused.push_back(sender);
    };
    const CFileLimit limit(1024);  // a common default; the child keeps its own
    ASSERT_TRUE(StartPipeServer(config));
    ASSERT_TRUE(WaitUntil([&] { return CSenderConnection().Connect(name); }));

    char connected = 0;
    ASSERT_TRUE(other.Tell('c') && other.Hear(&connected, 1));
    ASSERT_EQ(connected, 'r');
    const std::string reply = SendAlone(name, kEvent);
    int closed = -1;
    const bool counted = other.Tell('n') && other.Hear(&closed, sizeof closed);
    StopPipeServer();
    EXPECT_EQ(reply, "OK");
    DrainQueue();
    ASSERT_EQ(max_used_item, 0);
    EXPECT_EQ(g_Array[0].desc, "Door opened");
    ASSERT_TRUE(counted);
    EXPECT_EQ(closed, kIdle - static_cast<int>(kConnectionsPerSender)) << "closed unanswered";
    std::lock_guard<std::mutex> lock(refusedMutex);
    ASSERT_FALSE(refused.empty());
    EXPECT_EQ(refused[0].m_nUid, other.Uid());
    ResetQueue();
}

// The program's own user is not bounded, so it can meet the limit itself:
// the user is told, with the busiest user's name, and told again when a
// sender gets in once more.
TEST(PipeServerBound, TellsWhenTheOpenFileLimitIsMetAndWhenThereIsRoomAgain)
{
    ResetQueue();
    const std::string name = UniqueEndpointName();
    CEndpointLog log;
    ASSERT_TRUE(StartWatchedServer(name, log));
    ASSERT_TRUE(WaitUntil([&] { return !log.States().empty(); }));

    const std::string user = PeerUserName({-1, CurrentUserId()});  // looked up while files can be opened
    const auto told = [&] { return log.States().back().m_bOutOfFiles; };
    std::vector<std::unique_ptr<CSenderConnection>> senders;
    CSenderConnection waiting;
    bool full = false;
    {
        // Two files kept back, so that once the limit is met one of them
        // can make a sender that waits for the server's next file.
        const int spare[2] = {dup(0), dup(0)};
        const CFileLimit limit(OpenFileCount() + 40);
        // One at a time, each taken by the server before the next comes.
        while (senders.size() < 100 && !told()) {
            auto sender = std::make_unique<CSenderConnection>();
            if (!sender->Connect(name))
                break;
            senders.push_back(std::move(sender));
            WaitUntil([&] { return ConnectionThreadCount() == senders.size() || told(); });
        }
        close(spare[0]);
        if (!told())
            waiting.Connect(name);
        full = WaitUntil(told);
        if (full) {
            const CEndpointState state = log.States().back();
            EXPECT_EQ(state.m_Holder.m_nUid, CurrentUserId());
            EXPECT_EQ(state.m_strHolderUser, user);
            EXPECT_EQ(state.m_nHeldConnections, ConnectionThreadCount());
        }
        senders.clear();
        close(spare[1]);
    }
    EXPECT_TRUE(full) << "the limit met was not told";
    EXPECT_EQ(SendAlone(name, "again"), "OK");
    EXPECT_TRUE(WaitUntil([&] { return log.States().back().m_bReceiving; }));
    StopPipeServer();
    ResetQueue();
}
