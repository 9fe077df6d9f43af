// The archive's writer alone, on the texts a site sends: first a
// 1,000,000-text archive is built through the writer (that rate is the
// writer's from empty to full), then the same writer goes on into it, with
// synchronous NORMAL and FULL; the durable wait's latency with 1 and 16
// senders; the opening of the full archive against an empty one; the read
// of the last 10,000 texts that a replay would do. Runs in a few minutes
// and needs about 1 GB in the temporary folder.
//
//   eventdb_bench [--texts=N] [benchmark options]   N: the archive's size
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "archive_open.h"
#include "archive_reads.h"
#include "event_archive.h"

namespace {

using namespace std::chrono;
namespace fs = std::filesystem;

int64_t g_nArchiveTexts = 1000000;

// What a site sends: a few hundred doors, a few thousand keys, mostly plain
// messages, event times a second or so apart.
class CSiteTraffic {
public:
    std::string Next()
    {
        static const char* const kWhat[] = {"Door opened", "Door closed", "Access denied", "Battery low",
                                             "Door open too long", "Manipulation detected", "Key blocked",
                                             "Time profile changed"};
        const uint32_t r = m_random();
        const int level = r % 50 == 0 ? 2 : r % 12 == 0 ? 1 : 0;
        const int door = static_cast<int>((r >> 8) % 240);
        const int key = static_cast<int>((r >> 16) % 3000);
        m_time += 1 + static_cast<int>(r % 3);
        char text[256];
        std::snprintf(text, sizeof text,
                      "8,%d,%d,%s,%s,Site %d,Door %d %s,1,%d,7,3,%d,%d,0,Key %d,%d,0,1,0,0,0,0", (r >> 4) % 4 + 1,
                      m_time, kPeople[key % 6], kWhat[(r >> 20) % 8], door / 80 + 1, door, kWing[door % 5], door,
                      level, key, key, (r >> 24) % 2049);
        return text;
    }

private:
    static constexpr const char* kPeople[] = {"Anna Berg", "Jonas Vik", "Mira Holm", "Lars Ek", "Sara Lind",
                                              "Erik Dahl"};
    static constexpr const char* kWing[] = {"North", "South", "Archive", "Lab", "Garage"};
    std::mt19937 m_random{20260308};
    int m_time = 1767225600;
};

struct CBench {
    fs::path m_folder;
    int64_t m_nSeq = 0;
    CSiteTraffic m_traffic;

    CBench()
    {
        m_folder = fs::temp_directory_path() / ("tellvane-eventdb-bench-" + std::to_string(std::random_device()()));
        fs::create_directories(m_folder);
    }
    ~CBench()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }
    std::string Folder() const { return m_folder.string(); }
};

CBench& Bench()
{
    static CBench bench;
    return bench;
}

// The process's processor time, all threads: on a shared machine the
// writer's rate per second of processor time says more than per second.
double ProcessCpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// The bytes the process has handed to write calls (the log, checkpoints):
// unlike time, the same on a busy machine as on a quiet one.
double WrittenBytes()
{
    std::FILE* io = std::fopen("/proc/self/io", "r");
    if (!io)
        return 0;
    unsigned long long read = 0, written = 0;
    const int fields = std::fscanf(io, "rchar: %llu wchar: %llu", &read, &written);
    std::fclose(io);
    return fields == 2 ? static_cast<double>(written) : 0;
}

std::vector<std::string> MakeTexts(int64_t count)
{
    std::vector<std::string> texts(static_cast<size_t>(count));
    for (std::string& text : texts)
        text = Bench().m_traffic.Next();
    return texts;
}

// Appends the texts as fast as the writer takes them, never more than half
// the queue ahead of its commits, and waits for the last commit. The texts
// are made beforehand, so that the time is the writer's (and Append's).
void Feed(CEventArchive& archive, std::vector<std::string>& texts, double& cpuSeconds, double& writtenBytes)
{
    const double cpuBefore = ProcessCpuSeconds();
    const double writtenBefore = WrittenBytes();
    const uint64_t committedBefore = archive.Stats().m_nCommittedTexts;
    for (size_t i = 0; i < texts.size(); ++i) {
        if (i % 1024 == 0) {
            while (i - (archive.Stats().m_nCommittedTexts - committedBefore) > kArchiveQueueLimit / 2)
                std::this_thread::sleep_for(milliseconds(1));
        }
        archive.Append(++Bench().m_nSeq, ArchiveNowMs(), {4242, 1000}, std::move(texts[i]));
    }
    archive.Flush(hours(1));
    cpuSeconds += ProcessCpuSeconds() - cpuBefore;
    writtenBytes += WrittenBytes() - writtenBefore;
}

int64_t FileSize(const fs::path& path)
{
    std::error_code error;
    const auto size = fs::file_size(path, error);
    return error ? 0 : static_cast<int64_t>(size);
}

CEventArchiveOptions Options(bool fullSync)
{
    CEventArchiveOptions options;
    options.m_strFolder = Bench().Folder();
    options.m_bFullSync = fullSync;
    return options;
}

// The archive built from empty to its full size through the writer. Its
// bytes are counted after the writer closed it (the log checkpointed).
void BM_BuildArchive(benchmark::State& state)
{
    double cpuSeconds = 0, writtenBytes = 0;
    std::vector<std::string> texts = MakeTexts(g_nArchiveTexts);
    for (auto _ : state) {
        CEventArchive archive(Options(false));
        Feed(archive, texts, cpuSeconds, writtenBytes);
        state.PauseTiming();
        archive.Stop();
        state.ResumeTiming();
    }
    const fs::path file = ArchivePath(Bench().Folder());
    state.counters["texts"] = static_cast<double>(Bench().m_nSeq);
    state.counters["texts/cpu_s"] = static_cast<double>(g_nArchiveTexts) / cpuSeconds;
    state.counters["written/text"] = writtenBytes / static_cast<double>(g_nArchiveTexts);
    state.counters["texts/s"] = benchmark::Counter(static_cast<double>(g_nArchiveTexts), benchmark::Counter::kIsRate);
    state.counters["bytes/text"] =
        static_cast<double>(FileSize(file) + FileSize(file.string() + "-wal")) / static_cast<double>(Bench().m_nSeq);
}
BENCHMARK(BM_BuildArchive)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The writer going on into the full archive (its FTS index included).
void BM_WriteIntoFullArchive(benchmark::State& state)
{
    const bool fullSync = state.range(0) != 0;
    const int64_t count = state.range(1);
    CEventArchive archive(Options(fullSync));
    double cpuSeconds = 0, writtenBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> texts = MakeTexts(count);
        state.ResumeTiming();
        Feed(archive, texts, cpuSeconds, writtenBytes);
    }
    state.counters["texts/cpu_s"] = static_cast<double>(count * state.iterations()) / cpuSeconds;
    state.counters["written/text"] = writtenBytes / static_cast<double>(count * state.iterations());
    state.counters["texts/s"] =
        benchmark::Counter(static_cast<double>(count * state.iterations()), benchmark::Counter::kIsRate);
    state.counters["commits"] = static_cast<double>(archive.Stats().m_nCommits);
}
BENCHMARK(BM_WriteIntoFullArchive)
    ->ArgNames({"full_sync", "texts"})
    ->Args({0, 200000})
    ->Args({1, 100000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// gDurableOk=1: each sender appends and waits for the commit before it
// answers; synchronous FULL. The latency of that wait, per text.
void BM_DurableWait(benchmark::State& state)
{
    const int senders = static_cast<int>(state.range(0));
    const int perSender = static_cast<int>(state.range(1));
    CEventArchive archive(Options(true));
    std::mutex numbering;  // the program numbers and appends under one lock
    std::vector<double> latencies;
    std::mutex gathered;
    for (auto _ : state) {
        std::vector<std::thread> threads;
        for (int s = 0; s < senders; ++s) {
            threads.emplace_back([&] {
                std::vector<double> mine;
                for (int i = 0; i < perSender; ++i) {
                    const auto start = steady_clock::now();
                    uint64_t ticket;
                    {
                        std::lock_guard<std::mutex> lock(numbering);
                        ticket = archive.Append(++Bench().m_nSeq, ArchiveNowMs(), {4242, 1000}, Bench().m_traffic.Next());
                    }
                    if (!archive.WaitCommitted(ticket, seconds(10)))
                        std::fprintf(stderr, "durable wait failed\n");
                    mine.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
                }
                std::lock_guard<std::mutex> lock(gathered);
                latencies.insert(latencies.end(), mine.begin(), mine.end());
            });
        }
        for (std::thread& thread : threads)
            thread.join();
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) { return latencies[static_cast<size_t>(q * static_cast<double>(latencies.size() - 1))]; };
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["max_ms"] = latencies.back();
    state.counters["texts/s"] =
        benchmark::Counter(static_cast<double>(latencies.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DurableWait)
    ->ArgNames({"senders", "each"})
    ->Args({1, 2000})
    ->Args({16, 500})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Start-up's part: the opening with its checks and the highest number, on
// the full archive and on an empty one.
void BM_OpenArchive(benchmark::State& state)
{
    const bool full = state.range(0) != 0;
    const fs::path folder = full ? Bench().m_folder : Bench().m_folder / "empty";
    for (auto _ : state) {
        CArchiveOpening opening = OpenArchive(folder.string(), false);
        if (!opening.m_db)
            state.SkipWithError(opening.m_strReason.c_str());
        state.PauseTiming();
        opening = CArchiveOpening();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenArchive)->ArgName("full")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Start-up's read for a replay of the last 10,000 texts.
void BM_ReadLastTenThousand(benchmark::State& state)
{
    size_t texts = 0;
    for (auto _ : state) {
        std::string error;
        texts = 0;
        ReadTextsAfter(Bench().Folder(), Bench().m_nSeq - 10000, [&](CArchivedText&&) { ++texts; }, error);
    }
    state.counters["texts"] = static_cast<double>(texts);
}
BENCHMARK(BM_ReadLastTenThousand)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--texts=", 8) == 0) {
            g_nArchiveTexts = std::atoll(argv[i] + 8);
            std::copy(argv + i + 1, argv + argc + 1, argv + i);  // hide it from the library
            --argc;
            --i;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
