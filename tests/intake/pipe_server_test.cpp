#include <future>

#include "event_store.h"

#include "intake_test_support.h"

namespace {

const std::string kWorkedExample =
    "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";

using PipeServer = ServerTest;

std::string Text(std::size_t size, char fill = 'x')
{
    return std::string(size, fill);
}

}  // namespace

TEST_F(PipeServer, AnswersTheWorkedExampleAndQueuesItWithoutTheZeroByte)
{
    auto sender = Connect();
    ExpectAnswered(*sender, kWorkedExample + std::string(1, '\0'));
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 1; }));
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{kWorkedExample});

    EXPECT_FALSE(DrainQueue());
    ASSERT_EQ(max_used_item, 0);
    EXPECT_EQ(g_Array[0].lockName, "Door 12");
}

TEST_F(PipeServer, AnswersEachMessageOfAConversationAndQueuesThemInOrder)
{
    auto sender = Connect();
    for (const char* text : {"first", "second", "third"})
        ExpectAnswered(*sender, text);
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 3; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"first", "second", "third"}));
}

TEST_F(PipeServer, AcceptsTheLargestMessageAndEndsTheConnectionOnALongerOne)
{
    auto sender = Connect();
    ExpectAnswered(*sender, Text(kRequestSize));

    std::string reply;
    ASSERT_TRUE(sender->Send(Text(kRequestSize + 1, 'y')));
    EXPECT_FALSE(sender->ReceiveReply(reply)) << "answered " << reply;
    JoinEnded(1);
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{Text(kRequestSize)});
}

TEST_F(PipeServer, AnswersEmptyAndZeroLedMessagesAndQueuesEmptyTexts)
{
    auto sender = Connect();
    ExpectAnswered(*sender, "");
    ExpectAnswered(*sender, std::string("\0after", 6));
    ExpectAnswered(*sender, "last");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 3; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"", "", "last"}));

    // The drain skips empty texts.
    DrainQueue();
    EXPECT_EQ(QueuedTextCount(), 0u);
    EXPECT_EQ(max_used_item, -1);
}

TEST_F(PipeServer, KeepsBinaryAndHighBytesAsSent)
{
    std::string bytes;
    for (int b = 1; b < 256; ++b)
        bytes += static_cast<char>(b);
    auto sender = Connect();
    ExpectAnswered(*sender, bytes);
    ExpectAnswered(*sender, "\xc4\xd6\xdc,\xff\xfe");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 2; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{bytes, "\xc4\xd6\xdc,\xff\xfe"}));
}

TEST_F(PipeServer, ServesClientsInParallel)
{
    // Each is answered while the other stays connected and silent.
    auto first = Connect();
    auto second = Connect();
    ExpectAnswered(*second, "from second");
    ExpectAnswered(*first, "from first");
    ExpectAnswered(*second, "second again");
    EXPECT_EQ(ConnectionThreadCount(), 2u);
}

TEST_F(PipeServer, LeavesNoThreadBehindAfterDisconnects)
{
    auto sender = Connect();
    ExpectAnswered(*sender, "one");
    ASSERT_TRUE(WaitUntil([] { return ConnectionThreadCount() == 1; }));
    const int threadsWhileConnected = ProcessThreadCount();
    sender.reset();
    JoinEnded(1);
    EXPECT_EQ(ConnectionThreadCount(), 0u);
    if (threadsWhileConnected >= 0) {
        EXPECT_EQ(ProcessThreadCount(), threadsWhileConnected - 1);
    }

    // A sender that leaves without reading its reply ends the same way.
    auto rude = Connect();
    ASSERT_TRUE(rude->Send("unread"));
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 2; }));
    rude.reset();
    JoinEnded(1);
    EXPECT_EQ(ConnectionThreadCount(), 0u);
}

TEST_F(PipeServer, KeepsServingWhileOthersStayIdle)
{
    auto silent = Connect();
    std::vector<std::unique_ptr<CSenderConnection>> idle;
    for (int i = 0; i < 1000; ++i)
        idle.push_back(Connect());
    auto active = Connect();
    for (int i = 0; i < 20; ++i)
        ExpectAnswered(*active, "busy " + std::to_string(i));
    ASSERT_TRUE(WaitUntil([] { return ConnectionThreadCount() == 1002; }));

    idle.clear();
    JoinEnded(1000);
    EXPECT_EQ(ConnectionThreadCount(), 2u);
}

TEST_F(PipeServer, HoldsTheAnswerWhileTheQueueIsFull)
{
    for (std::size_t i = 0; i < kQueueLimit; ++i)
        QueueText("");
    auto sender = Connect();
    ASSERT_TRUE(sender->Send("waits"));
    auto reply = std::async(std::launch::async, [&] {
        std::string text;
        return sender->ReceiveReply(text) ? text : "(none)";
    });
    EXPECT_EQ(reply.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);

    ASSERT_TRUE(DrainQueue(std::chrono::milliseconds(0)));  // takes a few texts
    EXPECT_EQ(reply.get(), "OK");
    EXPECT_TRUE(WaitUntil([] { return LastQueuedText() == "waits"; }));
}

TEST_F(PipeServer, StopEndsAConnectionWaitingForRoomUnanswered)
{
    for (std::size_t i = 0; i < kQueueLimit; ++i)
        QueueText("");
    auto sender = Connect();
    ASSERT_TRUE(sender->Send("never answered"));
    ASSERT_TRUE(WaitUntil([] { return ConnectionThreadCount() == 1; }));
    StopPipeServer();
    std::string reply;
    EXPECT_FALSE(sender->ReceiveReply(reply));
    EXPECT_EQ(QueuedTextCount(), kQueueLimit);
}

TEST(PipeServerLifetime, StartsOnceAndStopsCleanlyWithoutClients)
{
    CPipeServerConfig config;
    config.m_strName = UniqueEndpointName();
    ASSERT_TRUE(StartPipeServer(config));
    EXPECT_FALSE(StartPipeServer(config));
    StopPipeServer();
    StopPipeServer();

    // Counted only now: a sanitizer may add a helper thread of its own on
    // the first thread start.
    const int threadsBefore = ProcessThreadCount();
    ASSERT_TRUE(StartPipeServer(config));  // the name is free again
    CSenderConnection sender;
    EXPECT_TRUE(WaitUntil([&] { return sender.Connect(config.m_strName); }));
    StopPipeServer();
    EXPECT_EQ(ProcessThreadCount(), threadsBefore);
}

// Without a receiver for end notices nobody is told of each end: the
// listener joins ended threads when a new client comes, a reap joins those
// that ended after the last client.
TEST(PipeServerReaping, JoinsEndedThreadsAtTheNextClientAndAtAReap)
{
    ResetQueue();
    CPipeServerConfig config;
    config.m_strName = UniqueEndpointName();
    ASSERT_TRUE(StartPipeServer(config));
    const int threadsRunning = ProcessThreadCount();
    std::string reply;
    const auto converse = [&](CSenderConnection& sender) {
        return WaitUntil([&] { return sender.Connect(config.m_strName); }) && sender.Send("text") &&
               sender.ReceiveReply(reply);
    };
    std::vector<std::unique_ptr<CSenderConnection>> senders;
    for (int i = 0; i < 200; ++i) {
        senders.push_back(std::make_unique<CSenderConnection>());
        ASSERT_TRUE(converse(*senders.back()));
    }
    senders.clear();
    EXPECT_TRUE(WaitUntil([&] {
        CSenderConnection next;
        return converse(next) && ConnectionThreadCount() <= 1;
    })) << "the listener joins what ended before a new client came";

    EXPECT_TRUE(WaitUntil([] {
        ReapEndedConnections();
        return ConnectionThreadCount() == 0;
    }));
    if (threadsRunning >= 0) {
        EXPECT_EQ(ProcessThreadCount(), threadsRunning);
    }
    StopPipeServer();
    ResetQueue();
}
