// Termination signals reach the GUI thread as a plain call, once each.

#include <csignal>

#include <QCoreApplication>
#include <QTest>

#include "quit_signals.h"
#include "widget_fixture.h"

namespace {

TEST(QuitSignalsTest, EachSignalBecomesOneCallOnTheEventLoop)
{
    int calls = 0;
    {
        CQuitSignals quit([&calls] { ++calls; });
        for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
            const int before = calls;
            std::raise(signal);
            EXPECT_EQ(calls, before) << "nothing runs inside the handler";
            EXPECT_TRUE(QTest::qWaitFor([&] { return calls == before + 1; }, 2000)) << signal;
        }
    }
    // Gone with its owner: the default action is back.
    struct sigaction current = {};
    sigaction(SIGTERM, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL);
}

}  // namespace
