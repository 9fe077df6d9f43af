// What only the named pipe can be asked: its settings, its security, and
// clients that use the pipe functions directly.
#include <windows.h>
#include <aclapi.h>
#include <winternl.h>

#include <future>

#include "intake_test_support.h"
#include "pipe_platform.h"
#include "pipe_server.h"

namespace {

// The handles this process holds, counted in the system's handle table:
// Wine's GetProcessHandleCount always says 0.
int OpenHandleCount()
{
    struct CHandleEntry {
        ULONG m_nProcessId;
        BYTE m_nType, m_nFlags;
        USHORT m_nHandle;
        PVOID m_pObject;
        ACCESS_MASK m_access;
    };
    struct CHandleTable {
        ULONG m_nCount;
        CHandleEntry m_entries[1];
    };
    constexpr auto kSystemHandleInformation = SYSTEM_INFORMATION_CLASS(16);
    constexpr NTSTATUS kInfoLengthMismatch = NTSTATUS(0xC0000004L);
    using Query = NTSTATUS(WINAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<char> buffer(1 << 20);
    NTSTATUS status;
    while ((status = query(kSystemHandleInformation, buffer.data(), ULONG(buffer.size()), nullptr)) ==
           kInfoLengthMismatch)
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return -1;
    const auto* table = reinterpret_cast<const CHandleTable*>(buffer.data());
    int count = 0;
    for (ULONG i = 0; i < table->m_nCount; ++i)
        count += table->m_entries[i].m_nProcessId == GetCurrentProcessId();
    return count;
}

class NamedPipe : public ServerTest {
protected:
    std::string Path() const { return "\\\\.\\pipe\\" + m_strName; }

    // A client as the lock software opens it: plain CreateFileA, then
    // message read mode.
    HANDLE OpenClient()
    {
        HANDLE pipe = INVALID_HANDLE_VALUE;
        EXPECT_TRUE(WaitUntil([&] {
            pipe = CreateFileA(Path().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            return pipe != INVALID_HANDLE_VALUE;
        }));
        DWORD mode = PIPE_READMODE_MESSAGE;
        EXPECT_TRUE(SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr));
        return pipe;
    }
};

}  // namespace

TEST_F(NamedPipe, WorkedExampleGetsOKAsOneTwoByteMessage)
{
    const std::string example =
        std::string("8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235") + '\0';
    HANDLE pipe = OpenClient();
    char reply[64] = {};
    DWORD read = 0;
    ASSERT_TRUE(TransactNamedPipe(pipe, const_cast<char*>(example.data()), DWORD(example.size()), reply, sizeof reply,
                                  &read, nullptr));
    EXPECT_EQ(std::string(reply, read), "OK");

    // Read one byte at a time, the reply is still one message of two bytes.
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(pipe, "again", 5, &written, nullptr));
    EXPECT_FALSE(ReadFile(pipe, reply, 1, &read, nullptr));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MORE_DATA));
    EXPECT_TRUE(ReadFile(pipe, reply + 1, 1, &read, nullptr));
    EXPECT_EQ(std::string(reply, 2), "OK");
    CloseHandle(pipe);

    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == 2; }));
    EXPECT_EQ(QueuedTexts(), (std::vector<std::string>{example.substr(0, example.size() - 1), "again"}));
}

TEST_F(NamedPipe, InstancesAreMessagePipesOpenToEveryone)
{
    HANDLE pipe = OpenClient();
    DWORD flags = 0, outSize = 0, inSize = 0, instances = 0;
    ASSERT_TRUE(GetNamedPipeInfo(pipe, &flags, &outSize, &inSize, &instances));
    EXPECT_TRUE(flags & PIPE_TYPE_MESSAGE);
    EXPECT_EQ(outSize, 2028u);
    EXPECT_EQ(inSize, 2028u);
    // Windows reports "unlimited" as 255, Wine as ~0.
    EXPECT_TRUE(instances == PIPE_UNLIMITED_INSTANCES || instances == DWORD(-1)) << instances;

    PACL dacl = reinterpret_cast<PACL>(1);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(pipe, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor),
              DWORD(ERROR_SUCCESS));
    EXPECT_EQ(dacl, nullptr) << "an access list limits who may connect";
    LocalFree(descriptor);
    CloseHandle(pipe);
}

TEST_F(NamedPipe, SixteenClientsAtOnceAreEachServedByTheirOwnThread)
{
    constexpr int kClients = 16;
    std::vector<HANDLE> pipes;
    for (int i = 0; i < kClients; ++i)
        pipes.push_back(OpenClient());
    ASSERT_TRUE(WaitUntil([] { return ConnectionThreadCount() == kClients; }));

    std::vector<std::future<std::string>> replies;
    for (int i = 0; i < kClients; ++i) {
        replies.push_back(std::async(std::launch::async, [pipe = pipes[i], i] {
            const std::string text = "client " + std::to_string(i);
            char reply[16];
            DWORD read = 0;
            if (!TransactNamedPipe(pipe, const_cast<char*>(text.data()), DWORD(text.size()), reply, sizeof reply,
                                   &read, nullptr))
                return std::string("(none)");
            return std::string(reply, read);
        }));
    }
    for (auto& reply : replies)
        EXPECT_EQ(reply.get(), "OK");
    ASSERT_TRUE(WaitUntil([] { return QueuedTextCount() == kClients; }));
    for (HANDLE pipe : pipes)
        CloseHandle(pipe);
    JoinEnded(kClients);
}

TEST_F(NamedPipe, NoHandleIsLeftOpenOnceAConnectionHasEnded)
{
    // The first connection settles what the server keeps for good. The
    // listener makes the next instance while the connection runs, or after
    // it has ended when the machine is busy: it is counted once it waits.
    CloseHandle(OpenClient());
    JoinEnded(1);
    ASSERT_TRUE(WaitUntil([&] { return WaitNamedPipeA(Path().c_str(), 1); }));
    const int before = OpenHandleCount();
    ASSERT_GT(before, 0);

    for (int round = 0; round < 3; ++round) {
        HANDLE pipe = OpenClient();
        char reply[8];
        DWORD read = 0;
        ASSERT_TRUE(TransactNamedPipe(pipe, const_cast<char*>("x"), 1, reply, sizeof reply, &read, nullptr));
        CloseHandle(pipe);
        JoinEnded(1);
    }
    // The waiting instance is replaced, not added to. What a leak leaves
    // stays, so the count must come back to where it was.
    int after = -1;
    EXPECT_TRUE(WaitUntil([&] { return (after = OpenHandleCount()) == before; }))
        << after << " handles, " << before << " before";
}

// Only one instance waits at a time, so most of these find every instance
// taken and must wait their turn rather than give up.
TEST_F(NamedPipe, SendersArrivingTogetherAllGetThrough)
{
    constexpr int kSenders = 32;
    ASSERT_TRUE(WaitUntil([&] { return CSenderConnection().Connect(m_strName); }));
    JoinEnded(1);
    std::vector<std::future<bool>> connected;
    for (int i = 0; i < kSenders; ++i)
        connected.push_back(std::async(std::launch::async, [this] {
            CSenderConnection sender;
            std::string reply;
            return sender.Connect(m_strName) && sender.Send("together") && sender.ReceiveReply(reply);
        }));
    int through = 0;
    for (auto& result : connected)
        through += result.get();
    EXPECT_EQ(through, kSenders);
    JoinEnded(kSenders);
}

// A sender that writes and leaves before the listener has reached the
// waiting instance: what it wrote is still read, as from any other sender.
TEST(PipeInstance, SenderGoneBeforeTheWaitIsStillRead)
{
    const std::string name = UniqueEndpointName();
    const std::string text = "8,3,1299506709,Anna,Door opened,Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";
    ASSERT_TRUE(PreparePipeLoop());
    const PipeHandle instance = CreatePipeInstance(name);
    ASSERT_NE(instance, kNoPipe);
    const HANDLE client = CreateFileA(("\\\\.\\pipe\\" + name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(client, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(client, text.data(), DWORD(text.size()), &written, nullptr));
    CloseHandle(client);

    PipeHandle connection = kNoPipe;
    ASSERT_EQ(WaitForClient(instance, connection), WaitStatus::kConnected);
    ASSERT_EQ(connection, instance);
    char request[kRequestSize];
    std::size_t length = 0;
    EXPECT_EQ(ReadRequest(connection, request, length), ReadStatus::kMessage);
    EXPECT_EQ(std::string(request, length), text);
    EXPECT_EQ(ReadRequest(connection, request, length), ReadStatus::kEnded);
    ClosePipeConnection(connection);
    FinishPipeLoop();
}
