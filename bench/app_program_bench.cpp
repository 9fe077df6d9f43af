// The program as a user starts it, with a full store of 10000 events in its
// data file: how long until it listens, and how much memory it then holds.

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <string>

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include "event_file.h"
#include "event_store.h"
#include "program_run.h"

namespace {

constexpr int kEvents = 10000;

// One home with a data file holding kEvents events, for all runs.
const CProgramHome& FullHome()
{
    static const CProgramHome home;
    static const bool filled = [] {
        ResetStore(kMaxCapacity);
        for (int i = 0; i < kEvents; ++i) {
            AddMessage("8,0," + std::to_string(1299500000 + i) + ",Anna,Door opened " + std::to_string(i)
                       + ",Site 1,Door " + std::to_string(i % 40) + ",1,12,7,3," + std::to_string(i % 3)
                       + ",4711,0,Key 4711,5,0,1,0,0,0,235");
        }
        return SaveEventFile(home.DataFolder()).kind == FileOutcome::Saved;
    }();
    if (!filled)
        std::abort();
    return home;
}

long ResidentKilobytes(qint64 pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

void BM_StartUpToListening(benchmark::State& state)
{
    const CProgramHome& home = FullHome();
    long rss = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        CProgramRun run(home);
        if (!run.WaitListening()) {
            state.SkipWithError("the program did not start listening");
            break;
        }
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        rss = ResidentKilobytes(run.m_Process.processId());
        run.Stop(SIGTERM);
    }
    state.counters["resident_MB"] = rss / 1024.0;
}
BENCHMARK(BM_StartUpToListening)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

BENCHMARK_MAIN();
