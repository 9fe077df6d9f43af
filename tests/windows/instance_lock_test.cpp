#include <windows.h>

#include <chrono>
#include <future>
#include <string>

#include <gtest/gtest.h>

#include "platform.h"

namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

std::string OwnDirectory()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string full(path, length);
    return full.substr(0, full.rfind('\\'));
}

// Another process that holds the instance lock until it is told to end or
// is killed.
class InstanceLock : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string tag = std::to_string(GetCurrentProcessId());
        m_strHeld = "TellvaneTestHeld-" + tag;
        m_strEnd = "TellvaneTestEnd-" + tag;
        m_hHeld = CreateEventA(nullptr, TRUE, FALSE, m_strHeld.c_str());
        m_hEnd = CreateEventA(nullptr, TRUE, FALSE, m_strEnd.c_str());
        ASSERT_TRUE(m_hHeld && m_hEnd);
    }
    void TearDown() override
    {
        CloseProcess();
        CloseHandle(m_hHeld);
        CloseHandle(m_hEnd);
    }

    void CloseProcess()
    {
        if (!m_process.hProcess)
            return;
        TerminateProcess(m_process.hProcess, 1);  // no effect once it has ended
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        m_process = {};
    }

    void StartHolder()
    {
        LaunchHolder();
        HANDLE either[] = {m_hHeld, m_process.hProcess};
        ASSERT_EQ(WaitForMultipleObjects(2, either, FALSE, 30000), WAIT_OBJECT_0) << "the holder did not take the lock";
    }

    // Exit code of a holder that could not take the lock at once.
    DWORD RunRefusedHolder()
    {
        LaunchHolder();
        EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 30000), WAIT_OBJECT_0);
        return ExitCode();
    }

    void LaunchHolder()
    {
        CloseProcess();
        ResetEvent(m_hHeld);
        ResetEvent(m_hEnd);
        // Appended piece by piece: "literal" + temporary trips a false -Wrestrict in g++ 12.
        std::string command = "\"";
        command += OwnDirectory() + "\\instance_lock_holder.exe\" " + m_strHeld + " " + m_strEnd;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &m_process));
    }

    DWORD EndHolder()
    {
        SetEvent(m_hEnd);
        EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 30000), WAIT_OBJECT_0);
        return ExitCode();
    }

    DWORD ExitCode() const
    {
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

    void KillHolder()
    {
        TerminateProcess(m_process.hProcess, 9);
        EXPECT_EQ(WaitForSingleObject(m_process.hProcess, 30000), WAIT_OBJECT_0);
    }

    std::string m_strHeld, m_strEnd;
    HANDLE m_hHeld = nullptr;
    HANDLE m_hEnd = nullptr;
    PROCESS_INFORMATION m_process{};
};

}  // namespace

TEST_F(InstanceLock, SecondProcessWaitsInVainThenTakesItOnceTheFirstHasEnded)
{
    StartHolder();
    const auto start = steady_clock::now();
    EXPECT_EQ(AcquireInstanceLock(1000), nullptr);
    EXPECT_GE(steady_clock::now() - start, milliseconds(900)) << "gave up without waiting";

    EXPECT_EQ(EndHolder(), 0u);
    auto lock = AcquireInstanceLock(0);
    EXPECT_NE(lock, nullptr);

    // Held here now, so another process is the one refused; destroying the
    // lock frees it for others at once.
    EXPECT_EQ(RunRefusedHolder(), 2u);
    lock.reset();
    StartHolder();
    EXPECT_EQ(EndHolder(), 0u);
}

TEST_F(InstanceLock, LockOfAKilledInstanceIsTakenOver)
{
    StartHolder();
    // Waiting while the holder dies: the mutex is handed over abandoned.
    auto waiter = std::async(std::launch::async, [] { return AcquireInstanceLock(20000) != nullptr; });
    Sleep(200);
    KillHolder();
    EXPECT_TRUE(waiter.get());
}
