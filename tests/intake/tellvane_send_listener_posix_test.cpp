// tellvane-send and a listener it should not trust: one of another user.
#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "intake_test_support.h"
#include "run_sender.h"
#include "unix_endpoint.h"

namespace {

constexpr uid_t kNobody = 65534;

// In a forked child: becomes nobody, listens on name, tells ready, answers
// every message "OK". Plain system calls only, as a forked child must.
[[noreturn]] void ListenAsNobody(const std::string& name, int ready)
{
    const CUnixAddress address(name);
    const int fd = socket(AF_UNIX, SOCK_SEQPACKET, 0);
    if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0 || fd < 0
        || bind(fd, address.Get(), address.Length()) != 0 || listen(fd, 4) != 0)
        _exit(1);
    if (write(ready, "!", 1) != 1)
        _exit(1);
    for (;;) {
        const int client = accept(fd, nullptr, nullptr);
        char message[kRequestSize];
        while (client >= 0 && recv(client, message, sizeof message, 0) > 0)
            send(client, "OK", 2, MSG_NOSIGNAL);
        close(client);
    }
}

}  // namespace

TEST(TellvaneSendListener, RefusesAListenerOfAnotherUserUnlessTold)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a listener of another user needs root to set up";
    const std::string name = UniqueEndpointName();
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t listener = fork();
    if (listener == 0)
        ListenAsNobody(name, ready[1]);
    close(ready[1]);
    char byte = 0;
    const bool listening = read(ready[0], &byte, 1) == 1;
    close(ready[0]);

    if (listening) {
        const CRun refused = RunSender({"--socket", name, "text"});
        EXPECT_EQ(refused.m_nExit, 2);
        EXPECT_EQ(refused.m_strOut, "");
        EXPECT_NE(refused.m_strErr.find("is held by process " + std::to_string(listener)), std::string::npos)
            << refused.m_strErr;
        EXPECT_NE(refused.m_strErr.find("--any-listener"), std::string::npos) << refused.m_strErr;

        const CRun sent = RunSender({"--socket", name, "--any-listener", "text"});
        EXPECT_EQ(sent.m_nExit, 0) << sent.m_strErr;
        EXPECT_EQ(sent.m_strOut, "OK\n");
    }
    kill(listener, SIGKILL);
    waitpid(listener, nullptr, 0);
    ASSERT_TRUE(listening) << "the listener could not become nobody";
}
