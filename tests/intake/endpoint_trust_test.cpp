// Who sends and who holds the name: senders recorded with their texts, a
// sender outside the allowed ones refused, a taken name shown with its holder.
#include "event_store.h"
#include "intake_test_support.h"

namespace {

const std::string kEvent = "8,0,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,,5,0,1,0,0,0,0";

using PipeServerSender = ServerTest;

}  // namespace

TEST_F(PipeServerSender, IsRecordedWithTheStoredEvent)
{
    std::vector<CPeer> senders;
    g_OnEventStored = [&](const CSimpleMessage& rec, const CPeer& sender) {
        EXPECT_EQ(rec.desc, "Door opened");
        senders.push_back(sender);
    };
    auto sender = Connect();
    ExpectAnswered(*sender, kEvent);
    ExpectAnswered(*sender, "");  // answered, but nothing stored
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 2; }));
    DrainQueue();
    g_OnEventStored = nullptr;
    ASSERT_EQ(senders.size(), 1u);
    if (!PeerProcessesKnown())
        GTEST_SKIP() << "this system does not tell who is at the other end";
    EXPECT_EQ(senders[0].m_nPid, static_cast<int64_t>(CurrentProcessId()));
    EXPECT_EQ(senders[0].m_nUid, CurrentUserId());
}

TEST(PipeServerTrust, RefusesASenderOutsideTheAllowedOnesUnanswered)
{
    ResetQueue();
    std::mutex mutex;
    std::vector<CPeer> refused;
    CPipeServerConfig config;
    config.m_strName = UniqueEndpointName();
    config.m_acceptSender = [](const CPeer&) { return false; };
    config.m_onSenderRefused = [&](const CPeer& sender) {
        std::lock_guard<std::mutex> lock(mutex);
        refused.push_back(sender);
    };
    ASSERT_TRUE(StartPipeServer(config));

    CSenderConnection sender;
    ASSERT_TRUE(WaitUntil([&] { return sender.Connect(config.m_strName); }));
    std::string reply;
    sender.Send(kEvent);
    EXPECT_FALSE(sender.ReceiveReply(reply)) << "answered " << reply;
    StopPipeServer();
    EXPECT_EQ(QueuedTextCount(), 0u);
    ASSERT_EQ(refused.size(), 1u);
    if (PeerProcessesKnown()) {
        EXPECT_EQ(refused[0].m_nPid, static_cast<int64_t>(CurrentProcessId()));
    }
}

TEST(PipeServerTrust, NamesWhoHoldsTheEndpointAndTakesItOnceFree)
{
    ResetQueue();
    const std::string name = UniqueEndpointName();
    CSquatter squatter(name);
    ASSERT_TRUE(squatter.Holds());
    CEndpointLog log;
    ASSERT_TRUE(StartWatchedServer(name, log));

    // The user must learn of it at once, not after the retries.
    ASSERT_TRUE(WaitUntil([&] { return !log.States().empty(); }, std::chrono::seconds(1)));
    const CEndpointState held = log.States()[0];
    EXPECT_FALSE(held.m_bReceiving);
    if (PeerProcessesKnown()) {
        EXPECT_EQ(held.m_Holder.m_nPid, static_cast<int64_t>(CurrentProcessId()));
        EXPECT_FALSE(held.m_strHolderUser.empty());
    }

    squatter.Leave();
    ASSERT_TRUE(WaitUntil([&] { return log.States().size() == 2; }));
    EXPECT_TRUE(log.States()[1].m_bReceiving);
    CSenderConnection sender;
    std::string reply;
    ASSERT_TRUE(WaitUntil([&] { return sender.Connect(name); }));
    ASSERT_TRUE(sender.Send(kEvent));
    EXPECT_TRUE(sender.ReceiveReply(reply));
    StopPipeServer();
    EXPECT_EQ(log.States().size(), 2u) << "retries while held are not news";
    ResetQueue();
}
