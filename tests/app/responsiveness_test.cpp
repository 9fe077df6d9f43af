// The window keeps answering while a flood of events comes in: the GUI
// thread's event loop never stalls for long, because the drain works in
// short slices.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include "endpoint_name.h"
#include "event_store.h"
#include "intake_queue.h"
#include "navigator_dlg.h"
#include "pipe_server.h"
#include "settings.h"
#include "shell_services.h"
#include "tellvane_send_client.h"
#include "widget_fixture.h"

namespace {

constexpr int kClients = 16;
constexpr int kEventsPerClient = 125;

class ResponsivenessTest : public WidgetTest {};

// Sends its share of events as fast as the replies come back; each round
// uses fresh event times.
void RunClient(int round, int client, std::atomic<int>& answered)
{
    CSenderConnection connection;
    // The listener takes one connection at a time; the others try again.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!connection.Connect(EndpointName())) {
        if (std::chrono::steady_clock::now() > deadline)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::string reply;
    for (int i = 0; i < kEventsPerClient; ++i) {
        const int ttime = 1299500000 + (round * kClients + client) * kEventsPerClient + i;
        if (!connection.Send(EventText(ttime, "Flood " + std::to_string(ttime))) || !connection.ReceiveReply(reply))
            return;
        if (reply == "OK")
            ++answered;
    }
}

TEST_F(ResponsivenessTest, FloodFromSixteenClientsNeverStallsTheWindowFor100ms)
{
    // Real timers: the drain every 500 ms and the refresh every 5 s.
    ResetShellServices();
    ShellServices().messageBox = [this](QWidget*, const QString& text, QMessageBox::StandardButtons, QMessageBox::StandardButton) {
        m_boxes << text;
        return QMessageBox::Ok;
    };
    CNavigatorDlg navigator;
    ASSERT_TRUE(navigator.OnInitDialog());
    gBeep = 0;  // the beep blocks the window by design
    navigator.show();
    // The first paint loads fonts; that is start-up, not intake.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&navigator));
    QTest::qWait(50);

    // One flood: every event answered, drained and handed over to the view,
    // while a 5 ms probe timer records the longest wait of the event loop.
    auto floodGapMs = [&](int round) -> qint64 {
        QElapsedTimer clock;
        qint64 last = 0;
        qint64 largestGap = 0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            largestGap = std::max(largestGap, now - last);
            last = now;
        });
        clock.start();
        probe.start(5);

        std::atomic<int> answered{0};
        std::vector<std::thread> clients;
        for (int client = 0; client < kClients; ++client)
            clients.emplace_back(RunClient, round, client, std::ref(answered));
        const int total = kClients * kEventsPerClient;
        const bool done = QTest::qWaitFor(
            [&] { return answered == total && QueuedTextCount() == 0 && new_arrived == 0; }, 30000);
        for (std::thread& client : clients)
            client.join();
        EXPECT_TRUE(done) << "answered " << answered << " queued " << QueuedTextCount();
        EXPECT_TRUE(QTest::qWaitFor([] { return ConnectionThreadCount() == 0; }, 5000))
            << "each ended connection is joined on the GUI thread";
        return done ? largestGap : 1 << 30;
    };

    // A window that stalls by design stalls in every flood; a machine that
    // lends the test's process no CPU for a moment does not do so three
    // times in a row. So up to three floods, and the best one counts.
    qint64 bestGap = 1 << 30;
    for (int round = 0; round < 3 && bestGap >= 100 && !HasFailure(); ++round) {
        const qint64 gap = floodGapMs(round);
        std::printf("largest gap of the GUI thread in flood %d: %lld ms\n", round + 1, static_cast<long long>(gap));
        bestGap = std::min(bestGap, gap);
    }
    EXPECT_EQ(max_used_item + 1, max_messages) << "the store is full after 2000 events";
    RecordProperty("largest_gap_ms", static_cast<int>(bestGap));
    EXPECT_LT(bestGap, 100);
    EXPECT_TRUE(m_boxes.isEmpty());
}

}  // namespace
