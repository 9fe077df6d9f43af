// The program killed (SIGKILL) at random moments while sixteen senders
// flood it, and started again each time: what it answered "OK" is in the
// store at the end, taken back from the event archive by start-up.
//
// The texts are type-1 events with times of their own, into a store of
// 10,000 slots that the run never fills, so the store's own rules (no time,
// a bad address, a duplicate, an eviction) drop none of them: every text
// answered must be there, and none twice. Every tenth round ends with a
// signal instead, which saves, so that later rounds recover from a saved
// data file and its marker, not only from an archive that has seen no save.
#include <csignal>
#include <random>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "event_file.h"
#include "endpoint_name.h"
#include "event_store.h"
#include "program_run.h"
#include "tellvane_send_client.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kSenders = 16;

std::string FloodText(int32_t ttime)
{
    return "8,1," + std::to_string(ttime) + ",Anna,Flood " + std::to_string(ttime) +
           ",Site 1,Door 12,1,12,7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235";
}

struct CSent {
    int32_t m_ttime = 0;
    Clock::time_point m_answered;  // when "OK" came
};

// kSenders persistent connections, each sending up to perSender texts, one
// after the other's answer, until the program goes away.
class CFlood {
public:
    CFlood(const std::string& endpoint, int perSender, std::chrono::microseconds pause, std::atomic<int32_t>& nextTime)
    {
        m_answered.resize(kSenders);
        for (int s = 0; s < kSenders; ++s) {
            m_threads.emplace_back([&, s, endpoint, perSender, pause] {
                CSenderConnection connection;
                if (!connection.Connect(endpoint))
                    return;
                std::string reply;
                for (int i = 0; i < perSender; ++i) {
                    const int32_t ttime = nextTime++;
                    if (!connection.Send(FloodText(ttime)) || !connection.ReceiveReply(reply) || reply != "OK")
                        return;
                    m_answered[s].push_back({ttime, Clock::now()});
                    std::this_thread::sleep_for(pause);
                }
            });
        }
    }
    // Every text answered, once the senders have ended.
    std::vector<CSent> Join()
    {
        for (std::thread& thread : m_threads)
            thread.join();
        std::vector<CSent> all;
        for (const auto& sent : m_answered)
            all.insert(all.end(), sent.begin(), sent.end());
        return all;
    }

private:
    std::vector<std::vector<CSent>> m_answered;
    std::vector<std::thread> m_threads;
};

class CrashProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A store of 10,000 slots: the capacity travels in the data file.
        ResetStore(kMaxCapacity);
        ASSERT_EQ(SaveEventFile(m_home.DataFolder()).kind, FileOutcome::Saved);
        std::random_device seed;
        m_nSeed = seed();
        m_random.seed(m_nSeed);
    }

    // Runs rounds of a flood ended by SIGKILL after a random delay up to
    // maxDelay (every tenth by SIGTERM). Returns each answered text with the
    // moment the program was killed after it; none for a saved one.
    std::vector<std::pair<CSent, Clock::time_point>> Rounds(int kills, int perSender, std::chrono::microseconds pause,
                                                            int maxDelayMs)
    {
        std::vector<std::pair<CSent, Clock::time_point>> answered;
        std::uniform_int_distribution<int> delay(maxDelayMs / 5, maxDelayMs);
        int killed = 0;
        for (int round = 1; killed < kills; ++round) {
            CProgramRun program(m_home);
            EXPECT_TRUE(program.WaitListening()) << "round " << round;
            CFlood flood(EndpointName(), perSender, pause, m_nextTime);
            std::this_thread::sleep_for(std::chrono::milliseconds(delay(m_random)));
            const bool clean = round % 10 == 0;
            const Clock::time_point end = clean ? Clock::time_point::max() : Clock::now();
            if (clean) {
                EXPECT_EQ(program.Stop(SIGTERM), 0) << "round " << round;
            } else {
                program.Stop(SIGKILL);
                ++killed;
            }
            for (const CSent& sent : flood.Join())
                answered.emplace_back(sent, end);
        }
        return answered;
    }

    // The event times in the store after one more start and a clean exit;
    // a time stored twice fails the test.
    std::set<int32_t> StoredAtTheEnd()
    {
        {
            CProgramRun program(m_home);
            EXPECT_TRUE(program.WaitListening());
            EXPECT_EQ(program.Stop(SIGTERM), 0);
        }
        ResetStore();
        CSimpleMessage shown;
        EXPECT_EQ(LoadEventFile(shown, m_home.DataFolder()).kind, FileOutcome::Loaded);
        std::set<int32_t> times;
        for (int slot = 0; slot <= max_used_item; ++slot)
            EXPECT_TRUE(times.insert(g_Array[slot].ttime).second) << "stored twice: " << g_Array[slot].desc;
        return times;
    }

    CProgramHome m_home;
    std::atomic<int32_t> m_nextTime{1300000000};
    unsigned m_nSeed = 0;
    std::mt19937 m_random;
};

}  // namespace

TEST_F(CrashProgram, WithDurableAnswersEveryTextAnsweredSurvivesFiftyKills)
{
    SCOPED_TRACE("seed " + std::to_string(m_nSeed));
    ASSERT_TRUE(m_home.UseSettings("gDurableOk=1\n"));
    const auto answered = Rounds(50, 10, 0us, 60);
    const std::set<int32_t> stored = StoredAtTheEnd();
    ASSERT_GT(answered.size(), 1000u) << "the flood was too thin to test anything";
    std::size_t lost = 0;
    for (const auto& [sent, killed] : answered)
        lost += stored.count(sent.m_ttime) == 0;
    EXPECT_EQ(lost, 0u) << "of " << answered.size() << " texts answered";
}

TEST_F(CrashProgram, WithImmediateAnswersWhatWasAnsweredWellBeforeAKillSurvivesIt)
{
    SCOPED_TRACE("seed " + std::to_string(m_nSeed));
    const auto answered = Rounds(10, 50, 3000us, 250);
    const std::set<int32_t> stored = StoredAtTheEnd();
    std::size_t due = 0, lost = 0;
    for (const auto& [sent, killed] : answered) {
        if (killed != Clock::time_point::max() && sent.m_answered > killed - 100ms)
            continue;  // may still have been on its way to the disk
        ++due;
        lost += stored.count(sent.m_ttime) == 0;
    }
    ASSERT_GT(due, 500u) << "the flood was too thin to test anything";
    EXPECT_EQ(lost, 0u) << "of " << due << " texts answered 100 ms or more before a kill";
}
