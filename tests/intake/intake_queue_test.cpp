#include <future>
#include <map>
#include <mutex>

#include "event_store.h"
#include "intake_test_support.h"

namespace {

class IntakeQueue : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetQueue();
        ResetStore(kMaxCapacity);
    }
    void TearDown() override { ResetQueue(); }

    // Queues texts tagged "thread:i" from threads threads at once, draining
    // meanwhile as the GUI thread does, until every text is stored.
    static void QueueFromThreadsWhileDraining(int threads, int texts)
    {
        std::atomic<int> producing{threads};
        std::vector<std::thread> producers;
        for (int t = 0; t < threads; ++t) {
            producers.emplace_back([t, texts, &producing] {
                for (int i = 0; i < texts; ++i)
                    QueueText(TaggedEvent(1000 + t * texts + i, std::to_string(t) + ":" + std::to_string(i)));
                --producing;
            });
        }
        while (producing > 0 || QueuedTextCount() > 0)
            DrainQueue();  // races with the producers
        for (std::thread& producer : producers)
            producer.join();
    }

    // What a connection thread does, minus the answer.
    bool ReserveAndQueue(const std::string& text)
    {
        if (!ReserveQueueRoom(m_stop))
            return false;
        QueueText(text);
        return true;
    }

    std::atomic<int> m_stop{0};
};

}  // namespace

TEST_F(IntakeQueue, DrainStoresTextsInQueueOrderAndSkipsEmptyOnes)
{
    QueueText(TaggedEvent(3000, "a"));
    QueueText("");
    QueueText(TaggedEvent(1000, "b"));
    QueueText(TaggedEvent(2000, "c"));
    EXPECT_FALSE(DrainQueue());
    EXPECT_EQ(QueuedTextCount(), 0u);
    EXPECT_EQ(StoredDescriptions(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_FALSE(DrainQueue());  // nothing queued: nothing to do
}

TEST_F(IntakeQueue, DrainGivesControlBackWhenItsBudgetIsSpent)
{
    std::vector<std::string> tags;
    for (int i = 0; i < 1000; ++i) {
        tags.push_back(std::to_string(i));
        QueueText(TaggedEvent(1000 + i, tags.back()));
    }
    EXPECT_TRUE(DrainQueue(std::chrono::milliseconds(0)));
    const std::size_t left = QueuedTextCount();
    EXPECT_GT(left, 0u);
    EXPECT_EQ(static_cast<std::size_t>(max_used_item + 1), 1000 - left);
    while (DrainQueue()) {
    }
    EXPECT_EQ(QueuedTextCount(), 0u);
    EXPECT_EQ(StoredDescriptions(), tags);
}

TEST_F(IntakeQueue, DrainTakesTextsQueuedWhileItRuns)
{
    std::atomic<bool> producing{true};
    std::thread producer([&] {
        for (int i = 0; i < 2000; ++i)
            QueueText(TaggedEvent(1000 + i, std::to_string(i)));
        producing = false;
    });
    std::size_t stored = 0;
    while (producing || QueuedTextCount() > 0) {
        DrainQueue();
        stored = static_cast<std::size_t>(max_used_item + 1);
    }
    producer.join();
    ASSERT_EQ(stored, 2000u);
    for (int slot = 0; slot < 2000; ++slot)
        ASSERT_EQ(g_Array[slot].desc, std::to_string(slot));
}

TEST_F(IntakeQueue, TextsFromManyThreadsAreStoredOnceEachInTheirThreadsOrder)
{
    constexpr int kThreads = 8;
    constexpr int kTexts = 1000;
    QueueFromThreadsWhileDraining(kThreads, kTexts);

    const std::vector<std::string> tags = StoredDescriptions();
    ASSERT_EQ(tags.size(), static_cast<std::size_t>(kThreads * kTexts));
    std::vector<int> next(kThreads, 0);
    for (const std::string& tag : tags) {
        const int thread = std::stoi(tag);
        ASSERT_EQ(tag.substr(tag.find(':') + 1), std::to_string(next[thread]++)) << tag;
    }
}

TEST_F(IntakeQueue, ReservationWaitsForRoomAndStopReleasesIt)
{
    for (std::size_t i = 0; i + 1 < kQueueLimit; ++i)
        QueueText("");
    ASSERT_TRUE(ReserveQueueRoom(m_stop));  // the last place

    auto waiter = std::async(std::launch::async, [&] { return ReserveAndQueue("waiter"); });
    EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    QueueText("reserved");  // fills the place it held: still full
    EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    DrainQueue(std::chrono::milliseconds(0));
    EXPECT_TRUE(waiter.get());
    EXPECT_EQ(LastQueuedText(), "waiter");

    while (QueuedTextCount() < kQueueLimit)
        QueueText("");
    auto stopped = std::async(std::launch::async, [&] { return ReserveAndQueue("never"); });
    EXPECT_EQ(stopped.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    m_stop = 1;
    WakeQueueWaiters();
    EXPECT_FALSE(stopped.get());
    EXPECT_EQ(QueuedTextCount(), kQueueLimit);
}

TEST_F(IntakeQueue, ManyWaitersAreAllLetInAsRoomAppears)
{
    for (std::size_t i = 0; i < kQueueLimit; ++i)
        QueueText("");
    std::vector<std::future<bool>> waiters;
    for (int i = 0; i < 8; ++i)
        waiters.push_back(std::async(std::launch::async, [&] { return ReserveAndQueue(TaggedEvent(5000, "late")); }));
    // Rooms appear faster than the waiters wake; none may be forgotten.
    ASSERT_TRUE(WaitUntil([] {
        DrainQueue();
        return QueuedTextCount() == 0 && max_used_item == 7;
    }));
    for (auto& waiter : waiters)
        EXPECT_TRUE(waiter.get());
}

TEST_F(IntakeQueue, ExitDrainStoresAnsweredTextsAndRefusesNewOnes)
{
    QueueText(TaggedEvent(1000, "queued"));
    // A connection thread answered, not yet queued; the exit drain runs on
    // the store's own thread, as in the program, and must wait for it.
    std::promise<void> reserved;
    auto inFlight = std::async(std::launch::async, [&] {
        EXPECT_TRUE(ReserveQueueRoom(m_stop));
        reserved.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        QueueText(TaggedEvent(2000, "in flight"));
    });
    reserved.get_future().wait();
    DrainQueueCompletely();
    inFlight.get();
    EXPECT_EQ(StoredDescriptions(), (std::vector<std::string>{"queued", "in flight"}));

    EXPECT_FALSE(ReserveQueueRoom(m_stop));  // later senders are not answered
    ResetQueue();
    EXPECT_TRUE(ReserveQueueRoom(m_stop));
}

TEST_F(IntakeQueue, ExitDrainGivesUpOnAReservationNeverUsed)
{
    QueueText(TaggedEvent(1000, "queued"));
    ASSERT_TRUE(ReserveQueueRoom(m_stop));
    DrainQueueCompletely(std::chrono::milliseconds(10));
    EXPECT_EQ(StoredDescriptions(), std::vector<std::string>{"queued"});
}

namespace {

// What the program's archive hears from intake, kept in memory.
class CRecordingArchive : public CIntakeArchive {
public:
    uint64_t Append(int64_t seq, int64_t, const CPeer&, std::string_view text) override
    {
        // A pause now and then between numbering and queueing, where a
        // thread numbered later may queue first.
        if (seq % 7 == 0)
            std::this_thread::yield();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_texts[seq] = std::string(text);
        return static_cast<uint64_t>(seq);
    }
    bool AnswersWhenWritten() const override { return static_cast<bool>(m_written); }
    bool WaitWritten(uint64_t ticket) override { return m_written(static_cast<int64_t>(ticket)); }
    void Tell(int64_t seq, TextFate fate) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_told.emplace_back(seq, fate);
    }

    std::function<bool(int64_t)> m_written;  // set: "OK" waits for the disk
    std::mutex m_mutex;
    std::map<int64_t, std::string> m_texts;
    std::vector<std::pair<int64_t, TextFate>> m_told;
};

class IntakeNumbering : public IntakeQueue {
protected:
    void SetUp() override
    {
        IntakeQueue::SetUp();
        SetNextTextNumber(1001);
        SetIntakeArchive(&m_archive);
    }
    void TearDown() override
    {
        SetIntakeArchive(nullptr);
        SetNextTextNumber(1);
        IntakeQueue::TearDown();
    }

    CRecordingArchive m_archive;
};

}  // namespace

TEST_F(IntakeNumbering, TheStoreTakesTextsInTheOrderOfTheirNumbers)
{
    constexpr int kThreads = 8;
    constexpr int kTexts = 500;
    COneProcessor oneProcessor;
    QueueFromThreadsWhileDraining(kThreads, kTexts);

    ASSERT_EQ(m_archive.m_texts.size(), static_cast<std::size_t>(kThreads * kTexts));
    EXPECT_EQ(m_archive.m_texts.begin()->first, 1001) << "numbers go on from the one set";
    const std::vector<std::string> stored = StoredDescriptions();
    ASSERT_EQ(stored.size(), m_archive.m_texts.size());
    int64_t seq = 1001;
    for (const std::string& tag : stored) {
        CSimpleMessage numbered;
        numbered.Parse(m_archive.m_texts[seq]);
        ASSERT_EQ(tag, numbered.desc) << "text number " << seq;
        ++seq;
    }
    EXPECT_EQ(LastDrainedNumber(), seq - 1);
}

TEST_F(IntakeNumbering, ATextNotOnDiskInTimeIsNeitherAnsweredNorStoredAndADuplicateIsTold)
{
    const std::string transponder = "8,3,1299506709,n,dup,s,l,1,12,7,3,0,4711,0,k,5,0,0,0,0,0,0";
    m_archive.m_written = [](int64_t seq) { return seq != 1002; };
    EXPECT_TRUE(QueueText(TaggedEvent(1000, "a")));
    EXPECT_FALSE(QueueText(TaggedEvent(2000, "not on disk")));
    EXPECT_TRUE(QueueText(transponder));
    EXPECT_TRUE(QueueText(transponder));
    EXPECT_FALSE(DrainQueue());
    EXPECT_EQ(StoredDescriptions(), (std::vector<std::string>{"a", "dup"}));
    EXPECT_EQ(LastDrainedNumber(), 1004);
    EXPECT_EQ(m_archive.m_told,
              (std::vector<std::pair<int64_t, TextFate>>{{1002, TextFate::kUnanswered}, {1004, TextFate::kDuplicate}}));
}
