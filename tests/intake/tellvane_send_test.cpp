// tellvane-send run as a program against a server in the test.
#include "intake_test_support.h"
#include "run_sender.h"

namespace {

using TellvaneSend = ServerTest;

}  // namespace

TEST_F(TellvaneSend, SendsEachArgumentAndExitsZeroWhenAllAreAnswered)
{
    const CRun run = RunSender({"--socket", m_strName, "first text", "second"});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "OK\nOK\n");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 2; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"first text", "second"}));
}

TEST_F(TellvaneSend, SendsEachLineOfItsInputWithoutArguments)
{
    const CRun run = RunSender({"--socket", m_strName}, "one\r\n\nthree\n");
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "OK\nOK\nOK\n");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 3; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"one", "", "three"}));
}

TEST_F(TellvaneSend, ExitsOneWhenAMessageIsNotAnswered)
{
    const std::string tooLong(kRequestSize + 1, 'x');
    const CRun run = RunSender({"--socket", m_strName, "fine", tooLong, "never"});
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 1; }));
    EXPECT_EQ(run.m_nExit, 1);
    EXPECT_EQ(run.m_strOut, "OK\n");
    EXPECT_NE(run.m_strErr.find("no reply to message 2"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{"fine"});
}

TEST(TellvaneSendAlone, ExitsTwoWhenNothingListensOrTheCommandLineIsWrong)
{
    const std::string name = UniqueEndpointName();
    CRun run = RunSender({"--socket", name, "text"});
    EXPECT_EQ(run.m_nExit, 2);
    EXPECT_EQ(run.m_strErr, "tellvane-send: no Tellvane is listening on " + name + "\n");

    EXPECT_EQ(RunSender({"--bogus"}).m_nExit, 2);
    EXPECT_EQ(RunSender({"--socket"}).m_nExit, 2);
    run = RunSender({"--help"});
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_NE(run.m_strOut.find("Usage: tellvane-send"), std::string::npos);
}

// The option form's example in the README and the manual page, and what it
// prints; a comma would shift every later field, so it is refused unsent.
TEST_F(TellvaneSend, BuildsTheDocumentedTextFromOptionsAndSendsNothingWithAComma)
{
    const std::string documented = "8,0,1772360100,,Door forced open,Site 1,Door 7,0,0,,,2,65535,0,,-1,0,0,0,0,0,0";
    const std::vector<std::string> fields = {"--time", "2026-03-01T10:15:00Z", "--level",   "alarm",
                                             "--desc", "Door forced open",     "--locking", "Door 7",
                                             "--system", "Site 1"};
    std::vector<std::string> arguments = {"--print"};
    arguments.insert(arguments.end(), fields.begin(), fields.end());
    CRun run = RunSender(arguments);
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, documented + "\n");

    run = RunSender({"--socket", m_strName, "--level", "alarm", "--desc", "Door 7, east"});
    EXPECT_EQ(run.m_nExit, 2);
    EXPECT_EQ(run.m_strOut, "");
    EXPECT_NE(run.m_strErr.find("--desc \"Door 7, east\": a comma"), std::string::npos) << run.m_strErr;

    arguments = {"--socket", m_strName};
    arguments.insert(arguments.end(), fields.begin(), fields.end());
    run = RunSender(arguments);
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "OK\n");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 1; }));
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{documented});
}
