// Sounds play on the player's own thread; the caller never waits, and a
// sound waiting its turn gives way only to one at least as long.

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tone_player.h"

namespace {

TEST(TonePlayerTest, PlaysOnItsOwnThreadAndAWaitingAlarmIsNotDisplacedByABeep)
{
    std::mutex mutex;
    std::condition_variable changed;
    bool release = false;
    std::vector<size_t> played;  // tone counts, in the order they played
    std::thread::id player;
    {
        CTonePlayer tones([&](const CToneSequence& sequence) {
            std::unique_lock lock(mutex);
            played.push_back(sequence.size());
            player = std::this_thread::get_id();
            changed.notify_all();
            changed.wait(lock, [&] { return release; });
        });
        tones.Play({kBeepTone});
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return played.size() == 1; });
        }
        // The first sound is still playing: these return at once.
        tones.Play(CToneSequence(2, kBeepTone));
        tones.Play(CToneSequence(3, kBeepTone));
        tones.Play({kBeepTone});
        {
            std::lock_guard lock(mutex);
            release = true;
        }
        changed.notify_all();
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return played.size() == 2; });
    }
    EXPECT_EQ(played, (std::vector<size_t>{1, 3}));
    EXPECT_NE(player, std::this_thread::get_id());
}

}  // namespace
