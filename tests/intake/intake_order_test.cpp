// The order of texts a sender sends one after another, each only once the
// one before was answered: the lock software sends its events that way, and
// the store, the navigator and the archive must keep their order.
#include "event_store.h"
#include "intake_test_support.h"

namespace {

constexpr int kTexts = 3000;
constexpr int kRuns = 6;

// Sends kTexts texts, each after the previous "OK": on a connection of its
// own, or every other one on a connection kept open beside them. Returns
// how many were answered.
int SendOneAfterAnother(const std::string& name, bool mixPersistent)
{
    CSenderConnection persistent;
    if (mixPersistent && !WaitUntil([&] { return persistent.Connect(name); }))
        return 0;
    std::string reply;
    for (int i = 0; i < kTexts; ++i) {
        CSenderConnection own;
        const bool onPersistent = mixPersistent && i % 2 == 0;
        CSenderConnection& sender = onPersistent ? persistent : own;
        if (!onPersistent && !WaitUntil([&] { return own.Connect(name); }))
            return i;
        if (!sender.Send(TaggedEvent(1000 + i, std::to_string(i))) || !sender.ReceiveReply(reply) || reply != "OK")
            return i;
    }
    return kTexts;
}

// The first slot whose text is not the one sent in that place, as a message;
// empty when every text is in its place.
std::string FirstMisplaced(const std::vector<std::string>& stored)
{
    if (stored.size() != static_cast<std::size_t>(kTexts))
        return std::to_string(stored.size()) + " texts stored";
    for (int slot = 0; slot < kTexts; ++slot) {
        if (stored[slot] != std::to_string(slot))
            return "slot " + std::to_string(slot) + " holds text " + stored[slot];
    }
    return {};
}

}  // namespace

TEST(IntakeOrder, TextsAnsweredOneAfterAnotherAreStoredInSendOrder)
{
    // On one processor the sender mostly runs as soon as it is answered,
    // which is when a connection thread that answers before it queues would
    // fall behind the next connection's.
    COneProcessor pinned;
    for (int run = 0; run < kRuns; ++run) {
        const bool mixPersistent = run == kRuns - 1;
        ResetQueue();
        ResetStore(kMaxCapacity);
        CPipeServerConfig config;
        config.m_strName = UniqueEndpointName();
        ASSERT_TRUE(StartPipeServer(config));
        std::atomic<bool> sending{true};
        int answered = 0;
        std::thread sender([&] {
            answered = SendOneAfterAnother(config.m_strName, mixPersistent);
            sending = false;
        });
        while (sending) {  // the drain runs beside the sender, as in the program
            DrainQueue();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        sender.join();
        StopPipeServer();
        while (DrainQueue()) {
        }
        ASSERT_EQ(answered, kTexts) << "run " << run;
        ASSERT_EQ(FirstMisplaced(StoredDescriptions()), "") << "run " << run << (mixPersistent ? ", mixed" : "");
    }
    ResetQueue();
}
