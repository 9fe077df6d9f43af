// Saves killed midway by SIGKILL. Takes several seconds: labelled slow.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>

#include <gtest/gtest.h>

#include "../store_fixtures.h"
#include "event_file.h"

namespace {

// Saves the store again and again, each time with every record marked by a
// new generation number in extra2, until it is killed.
[[noreturn]] void SaveForever(const std::string& folder, int32_t firstGeneration)
{
    alarm(60);  // never outlive a parent that stopped killing
    for (int32_t generation = firstGeneration;; ++generation) {
        for (CSimpleMessage& record : g_Array)
            record.extra2 = generation;
        if (SaveEventFile(folder).kind != FileOutcome::Saved)
            _exit(2);
    }
}

// The generation every stored record carries, or -1 if they differ.
int32_t CommonGeneration()
{
    const int32_t generation = g_Array[0].extra2;
    for (int slot = 0; slot <= max_used_item; ++slot) {
        if (g_Array[slot].extra2 != generation)
            return -1;
    }
    return generation;
}

}  // namespace

// A save killed at any moment leaves the previous file or the new one,
// complete, never a mix of the two.
TEST(EventFileCrash, KilledSaveLeavesTheOldOrTheNewStoreWhole)
{
    constexpr int kEvents = 10000;
    constexpr int kKills = 200;
    ScratchFolder folder;
    CSimpleMessage shown;
    ResetStore(kEvents);
    for (int i = 0; i < kEvents; ++i)
        ASSERT_TRUE(AddMessage(FullEvent(100000 + i, std::to_string(i))));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(SaveEventFile(folder.Path()).kind, FileOutcome::Saved);
    const auto saveMicros =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count();

    const unsigned seed = std::random_device()();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delay(0, 3 * saveMicros + 1000);
    int32_t lastGeneration = 0;
    int newFiles = 0;
    for (int kill = 1; kill <= kKills; ++kill) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0)
            SaveForever(folder.Path(), kill << 16);
        usleep(static_cast<useconds_t>(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed on its own";

        ResetStore();
        const FileOutcome outcome = LoadEventFile(shown, folder.Path());
        ASSERT_EQ(outcome.kind, FileOutcome::Loaded) << "after kill " << kill;
        ASSERT_EQ(max_messages, kEvents);
        ASSERT_EQ(max_used_item, kEvents - 1);
        const int32_t generation = CommonGeneration();
        ASSERT_GE(generation, lastGeneration) << "a mix of two saves, or an older one, after kill " << kill;
        newFiles += generation != lastGeneration;
        lastGeneration = generation;
    }
    EXPECT_GT(newFiles, 0) << "no save ever finished: the kills tested nothing";
    std::printf("%d kills, %d of them after a new file was in place\n", kKills, newFiles);
}
