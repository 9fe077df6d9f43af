#include "intake_test_support.h"

#include <atomic>

#include "event_file.h"
#include "event_store.h"

std::string UniqueEndpointName()
{
    static std::atomic<int> counter{0};
    return "tvtest-" + std::to_string(CurrentProcessId()) + "-" + std::to_string(counter++);
}

bool StartWatchedServer(const std::string& name, CEndpointLog& log)
{
    CPipeServerConfig config;
    config.m_strName = name;
    config.m_onEndpointChanged = [&log](const CEndpointState& state) { log.Add(state); };
    return StartPipeServer(config);
}

std::string LastQueuedText()
{
    const std::vector<std::string> texts = QueuedTexts();
    return texts.empty() ? std::string() : texts.back();
}

std::string TaggedEvent(int time, const std::string& tag)
{
    return "8,1," + std::to_string(time) + ",n," + tag + ",s,l,1,12,7,3,0,4711,0,k,5,0,0,0,0,0,0";
}

std::vector<std::string> StoredDescriptions()
{
    std::vector<std::string> descriptions;
    for (int slot = 0; slot <= max_used_item; ++slot)
        descriptions.push_back(g_Array[slot].desc);
    return descriptions;
}

std::vector<std::string> SavedDescriptions(const std::string& folder)
{
    ResetStore();
    CSimpleMessage shown;
    LoadEventFile(shown, folder);
    return StoredDescriptions();
}

int SendAnswered(const std::string& endpoint, const std::vector<std::string>& texts)
{
    CSenderConnection sender;
    if (!sender.Connect(endpoint))
        return 0;
    std::string reply;
    int answered = 0;
    for (const std::string& text : texts) {
        if (!sender.Send(text) || !sender.ReceiveReply(reply) || reply != "OK")
            break;
        ++answered;
    }
    return answered;
}

void ServerTest::SetUp()
{
    ResetQueue();
    ResetStore(kMaxCapacity);
    m_strName = UniqueEndpointName();
    CPipeServerConfig config;
    config.m_strName = m_strName;
    config.m_onConnectionEnded = [this](ConnectionId id) {
        std::lock_guard<std::mutex> lock(m_EndedMutex);
        m_ended.push_back(id);
    };
    ASSERT_TRUE(StartPipeServer(config));
}

void ServerTest::TearDown()
{
    StopPipeServer();
    EXPECT_EQ(ConnectionThreadCount(), 0u);
    ResetQueue();
}

std::unique_ptr<CSenderConnection> ServerTest::Connect()
{
    auto sender = std::make_unique<CSenderConnection>();
    // The listener may still be creating the endpoint.
    EXPECT_TRUE(WaitUntil([&] { return sender->Connect(m_strName); })) << "nothing listens on " << m_strName;
    return sender;
}

void ServerTest::ExpectAnswered(CSenderConnection& sender, const std::string& text)
{
    std::string reply;
    ASSERT_TRUE(sender.Send(text));
    ASSERT_TRUE(sender.ReceiveReply(reply));
    EXPECT_EQ(reply, "OK");
}

void ServerTest::JoinEnded(std::size_t count)
{
    std::size_t endedSoFar = 0;
    ASSERT_TRUE(WaitUntil([&] {
        std::lock_guard<std::mutex> lock(m_EndedMutex);
        return (endedSoFar = m_ended.size()) >= count;
    })) << endedSoFar << " of " << count << " connections ended, " << ConnectionThreadCount() << " threads";
    std::vector<ConnectionId> ended;
    {
        std::lock_guard<std::mutex> lock(m_EndedMutex);
        ended.swap(m_ended);
    }
    for (ConnectionId id : ended)
        JoinConnectionThread(id);
}
