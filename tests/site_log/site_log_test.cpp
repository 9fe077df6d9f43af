// The writer thread: nobody who hands it an entry ever waits for the log.
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

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
