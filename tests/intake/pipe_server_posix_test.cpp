// What only the socket endpoint can be asked.
#include <sys/socket.h>
#include <unistd.h>

#include "intake_test_support.h"
#include "unix_endpoint.h"

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
