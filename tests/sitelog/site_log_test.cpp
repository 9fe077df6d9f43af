// The writer thread: nobody who hands it an entry ever waits for the log.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "journal_entries.h"
#include "site_log.h"

namespace {

using namespace std::chrono_literals;

// A log that takes entries only while its gate is open.
class CGatedLog {
public:
    bool Write(const CJournalEntry& entry)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_writers.push_back(std::this_thread::get_id());
        m_gateChanged.wait(lock, [this] { return m_bOpen; });
        m_written.push_back(std::string(JournalFieldValue(entry, "MESSAGE")));
        return true;
    }
    void Open()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bOpen = true;
        m_gateChanged.notify_all();
    }
    std::vector<std::string> Written()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_written;
    }
    std::vector<std::thread::id> Writers()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_writers;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_gateChanged;
    bool m_bOpen = false;
    std::vector<std::string> m_written;
    std::vector<std::thread::id> m_writers;
};

CJournalEntry Entry(int n) { return {{"MESSAGE", std::to_string(n)}}; }

}  // namespace

TEST(SiteLog, AStuckLogDropsWhatDoesNotFitAndNeverHoldsUpTheCaller)
{
    CGatedLog gated;
    CSiteLog log([&](const CJournalEntry& entry) { return gated.Write(entry); }, 3);
    log.SetDroppedNotice([](std::size_t dropped) { return Entry(-static_cast<int>(dropped)); });
    log.SetEnabled(true);
    ASSERT_TRUE(log.Post([] { return Entry(0); }));
    // Entry 0 gets stuck in the write; three more fit in the queue.
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (gated.Writers().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(gated.Writers().size(), 1u);
    std::atomic<int> built{0};
    for (int n = 1; n <= 10; ++n) {
        log.Post([&built, n] {
            ++built;
            return Entry(n);
        });
    }
    EXPECT_EQ(log.DroppedCount(), 7u);
    EXPECT_FALSE(log.Flush(50ms));

    gated.Open();
    EXPECT_TRUE(log.Flush(5s));
    EXPECT_EQ(built, 3) << "an entry that cannot be queued is not even built";
    EXPECT_EQ(gated.Written(), (std::vector<std::string>{"0", "1", "2", "3"}));

    log.Post([] { return Entry(11); });
    EXPECT_TRUE(log.Flush(5s));
    EXPECT_EQ(gated.Written().back(), "11");
    EXPECT_EQ(gated.Written().at(4), "-7") << "the loss is told ahead of the next entry";
    for (std::thread::id writer : gated.Writers())
        EXPECT_NE(writer, std::this_thread::get_id());
}

TEST(SiteLog, WritesNothingUntilSwitchedOn)
{
    std::atomic<int> writes{0};
    CSiteLog log([&](const CJournalEntry&) {
        ++writes;
        return true;
    });
    EXPECT_FALSE(log.Post([] { return Entry(1); }));
    log.SetEnabled(true);
    EXPECT_TRUE(log.Post([] { return Entry(2); }));
    EXPECT_TRUE(log.Flush(5s));
    log.SetEnabled(false);
    EXPECT_FALSE(log.Post([] { return Entry(3); }));
    EXPECT_EQ(writes, 1);
}

// Events go in as records and come out as their entries, in one order with
// the made entries, flood after flood through the reused queue.
TEST(SiteLog, EventsAndMadeEntriesKeepTheirOrderAcrossFloods)
{
    std::mutex mutex;
    std::vector<CJournalEntry> written;
    CSiteLog log([&](const CJournalEntry& entry) {
        std::lock_guard<std::mutex> lock(mutex);
        written.push_back(entry);
        return true;
    });
    log.SetEnabled(true);
    CSimpleMessage rec;
    rec.Parse("8,2,1299506709,Anna,Manipulation detected,Site 1,Door 14 Archive,1,12,7,3,0,4711,0,Key,5,0,1,0,0,0,235");
    const CPeer sender{4242, 1000};
    std::vector<std::string> expected;
    for (int flood = 0; flood < 3; ++flood) {
        for (int n = 0; n < 100; ++n) {
            rec.lockName = "Door " + std::to_string(n) + " of a name too long to fit in place";
            ASSERT_TRUE(log.PostEvent(rec, sender));
            ASSERT_TRUE(log.Post([n] { return Entry(n); }));
            expected.push_back(std::string(JournalFieldValue(EventEntry(rec, sender), "MESSAGE")));
            expected.push_back(std::to_string(n));
        }
        ASSERT_TRUE(log.Flush(5s));
    }
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::string> messages;
    for (const CJournalEntry& entry : written)
        messages.push_back(std::string(JournalFieldValue(entry, "MESSAGE")));
    EXPECT_EQ(messages, expected);
    EXPECT_EQ(JournalFieldValue(written.front(), "TELLVANE_SENDER_PID"), "4242");
}
