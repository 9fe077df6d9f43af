// Many senders at once, each with a long conversation of mixed sizes.
#include <map>

#include "intake_test_support.h"

namespace {

constexpr int kClients = 64;
constexpr int kMessagesPerClient = 1000;
constexpr std::size_t kSizes[] = {0, 1, kRequestSize - 1, kRequestSize};

// Long texts carry their sender and number so the queue can be checked;
// the one-byte text carries a letter, the empty one nothing.
std::string Message(int client, int number)
{
    const std::size_t size = kSizes[number % 4];
    if (size < 2)
        return std::string(size, 'z');
    std::string text = std::to_string(client) + ":" + std::to_string(number) + ":";
    text.resize(size, static_cast<char>('a' + client % 26));
    return text;
}

// Sends every message and returns how many were answered "OK".
int Converse(CSenderConnection& sender, int client)
{
    int answered = 0;
    std::string reply;
    for (int number = 0; number < kMessagesPerClient; ++number) {
        if (!sender.Send(Message(client, number)) || !sender.ReceiveReply(reply))
            break;
        answered += reply == "OK";
    }
    return answered;
}

using IntakeLoad = ServerTest;

}  // namespace

TEST_F(IntakeLoad, AnswersAndQueuesEveryMessageOnceInEachSendersOrder)
{
    std::vector<std::unique_ptr<CSenderConnection>> senders;
    for (int client = 0; client < kClients; ++client)
        senders.push_back(Connect());
    std::vector<int> answered(kClients, 0);
    std::vector<std::thread> threads;
    for (int client = 0; client < kClients; ++client)
        threads.emplace_back([&, client] { answered[client] = Converse(*senders[client], client); });
    for (std::thread& thread : threads)
        thread.join();
    for (int client = 0; client < kClients; ++client)
        EXPECT_EQ(answered[client], kMessagesPerClient) << "client " << client;

    // Once the server has stopped, a second answer to any message would
    // still be waiting to be read.
    StopPipeServer();
    std::string extra;
    for (auto& sender : senders)
        EXPECT_FALSE(sender->ReceiveReply(extra)) << "an extra reply " << extra;

    const std::vector<std::string> queued = QueuedTexts();
    ASSERT_EQ(queued.size(), static_cast<std::size_t>(kClients * kMessagesPerClient));
    std::map<std::size_t, int> bySize;
    std::vector<int> lastNumber(kClients, -1);
    for (const std::string& text : queued) {
        ++bySize[text.size()];
        if (text.size() < 2)
            continue;
        const int client = std::stoi(text);
        const int number = std::stoi(text.substr(text.find(':') + 1));
        ASSERT_EQ(text, Message(client, number));
        EXPECT_GT(number, lastNumber[client]) << "client " << client << " out of order";
        lastNumber[client] = number;
    }
    for (std::size_t size : kSizes)
        EXPECT_EQ(bySize[size], kClients * kMessagesPerClient / 4) << "texts of " << size << " bytes";
}
