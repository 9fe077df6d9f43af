// The agent's intake under one-connection-per-event traffic: a thousand
// senders that leave at once must not cost the GUI thread a wake-up each,
// and every connection thread is still joined.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QTest>

#include "agent_lifecycle.h"
#include "pipe_server.h"
#include "tellvane_send_client.h"
#include "widget_fixture.h"

namespace {

class CBareWindow : public CAgentWindow {
public:
    void PrepareWindow() override {}
    void Report(std::string_view) override {}
    CSimpleMessage& ShownRecord() override { return m_Shown; }
    void StartTimers() override {}
    void StopTimers() override {}
    void CloseWindow() override {}

private:
    CSimpleMessage m_Shown;
};

// Counts every event the GUI thread delivers, to any object.
class CEventCounter : public QObject {
public:
    int m_nEvents = 0;

protected:
    bool eventFilter(QObject*, QEvent*) override
    {
        ++m_nEvents;
        return false;
    }
};

int ThreadCount()
{
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<int>(std::distance(tasks, std::filesystem::directory_iterator()));
}

using IntakeReaping = WidgetTest;  // its own home and endpoint

}  // namespace

TEST_F(IntakeReaping, AThousandSendersLeavingAtOnceAreJoinedWithoutAWakeUpEach)
{
    const std::string name = EndpointName();
    CBareWindow window;
    CAgentLifecycle lifecycle(window);
    ASSERT_TRUE(lifecycle.Start());
    std::vector<std::unique_ptr<CSenderConnection>> senders;
    std::string reply;
    for (int i = 0; i < 1000; ++i) {
        senders.push_back(std::make_unique<CSenderConnection>());
        ASSERT_TRUE(QTest::qWaitFor([&] { return senders.back()->Connect(name); }));
        ASSERT_TRUE(senders.back()->Send("8,1,1299506709,a,b") && senders.back()->ReceiveReply(reply));
    }
    const int threadsWhileConnected = ThreadCount();

    CEventCounter counter;
    QCoreApplication::instance()->installEventFilter(&counter);
    senders.clear();
    EXPECT_TRUE(QTest::qWaitFor([] { return ConnectionThreadCount() == 0; }, 10000)) << "every thread joined";
    QCoreApplication::instance()->removeEventFilter(&counter);

    EXPECT_LT(counter.m_nEvents, 100) << "events on the GUI thread while 1000 connections ended";
    EXPECT_EQ(ThreadCount(), threadsWhileConnected - 1000) << "no connection thread left";
}
