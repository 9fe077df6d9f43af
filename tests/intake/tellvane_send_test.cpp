// tellvane-send run as a program against a server in the test.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "intake_test_support.h"

namespace {

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Runs the sender with a shell command line tail (arguments, redirections).
CRun RunSender(const std::string& arguments, const std::string& input = "")
{
    const std::string base = testing::TempDir() + "tellvane-send-" + std::to_string(getpid());
    std::ofstream(base + ".in", std::ios::binary) << input;
    const std::string command = std::string("'") + TELLVANE_SEND_PATH + "' " + arguments + " <'" + base +
                                ".in' >'" + base + ".out' 2>'" + base + ".err'";
    const int status = std::system(command.c_str());
    CRun run;
    run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.m_strOut = ReadFile(base + ".out");
    run.m_strErr = ReadFile(base + ".err");
    for (const char* suffix : {".in", ".out", ".err"})
        std::remove((base + suffix).c_str());
    return run;
}

using TellvaneSend = ServerTest;

}  // namespace

TEST_F(TellvaneSend, SendsEachArgumentAndExitsZeroWhenAllAreAnswered)
{
    const CRun run = RunSender("--socket " + m_strName + " 'first text' second");
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "OK\nOK\n");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 2; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"first text", "second"}));
}

TEST_F(TellvaneSend, SendsEachLineOfItsInputWithoutArguments)
{
    const CRun run = RunSender("--socket " + m_strName, "one\r\n\nthree\n");
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "OK\nOK\nOK\n");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 3; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{"one", "", "three"}));
}

TEST_F(TellvaneSend, ExitsOneWhenAMessageIsNotAnswered)
{
    const std::string tooLong(kRequestSize + 1, 'x');
    const CRun run = RunSender("--socket " + m_strName + " fine " + tooLong + " never");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 1; }));
    EXPECT_EQ(run.m_nExit, 1);
    EXPECT_EQ(run.m_strOut, "OK\n");
    EXPECT_NE(run.m_strErr.find("no reply to message 2"), std::string::npos) << run.m_strErr;
    EXPECT_EQ(QueuedTexts(), std::vector<std::string>{"fine"});
}

TEST(TellvaneSendAlone, ExitsTwoWhenNothingListensOrTheCommandLineIsWrong)
{
    const std::string name = UniqueEndpointName();
    CRun run = RunSender("--socket " + name + " text");
    EXPECT_EQ(run.m_nExit, 2);
    EXPECT_EQ(run.m_strErr, "tellvane-send: no Tellvane is listening on " + name + "\n");

    EXPECT_EQ(RunSender("--bogus").m_nExit, 2);
    EXPECT_EQ(RunSender("--socket").m_nExit, 2);
    run = RunSender("--help");
    EXPECT_EQ(run.m_nExit, 0);
    EXPECT_NE(run.m_strOut.find("Usage: tellvane-send"), std::string::npos);
}
