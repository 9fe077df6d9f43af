// Saving and loading a full 10000-slot store, beside one plain write + fsync
// of the same bytes, so the difference is what the encoding, the temporary
// file and the rename cost.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "event_file.h"
#include "event_file_format.h"
#include "event_store.h"

namespace {

constexpr int kSlots = 10000;

// A folder on the disk the data file would live on (not a RAM-backed /tmp),
// beside the working directory.
class BenchFolder {
public:
    BenchFolder() : m_path(std::filesystem::absolute("model_bench_data").string())
    {
        std::filesystem::create_directories(m_path);
    }
    ~BenchFolder() { std::filesystem::remove_all(m_path); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

const BenchFolder& Folder()
{
    static BenchFolder folder;
    return folder;
}

void FillStore()
{
    ResetStore(kSlots);
    for (int i = 0; i < kSlots; ++i) {
        AddMessage("8,1," + std::to_string(1299506709 + i) + ",Anna,Door " + std::to_string(i) +
                   " opened,Site 1,Main entrance,1," + std::to_string(i % 300) +
                   ",7,3,0,4711,0,Key 4711,5,0,1,0,0,0,235");
    }
}

void BM_SaveEventFile(benchmark::State& state)
{
    FillStore();
    for (auto _ : state) {
        if (SaveEventFile(Folder().Path()).kind != FileOutcome::Saved)
            state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(state.iterations() * int64_t(EncodeEventFile().size()));
}
BENCHMARK(BM_SaveEventFile)->Unit(benchmark::kMillisecond);

void BM_WriteOnceAndFsync(benchmark::State& state)
{
    FillStore();
    const std::string bytes = EncodeEventFile();
    const std::string path = Folder().Path() + "/plain.dat";
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != ssize_t(bytes.size()) || ::fsync(fd) != 0)
            state.SkipWithError("write failed");
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(bytes.size()));
}
BENCHMARK(BM_WriteOnceAndFsync)->Unit(benchmark::kMillisecond);

void BM_LoadEventFile(benchmark::State& state)
{
    FillStore();
    SaveEventFile(Folder().Path());
    const int64_t size = int64_t(EncodeEventFile().size());
    CSimpleMessage shown;
    for (auto _ : state) {
        if (LoadEventFile(shown, Folder().Path()).kind != FileOutcome::Loaded)
            state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(state.iterations() * size);
}
BENCHMARK(BM_LoadEventFile)->Unit(benchmark::kMillisecond);

// The CPU part alone: the bytes of the store, and the store from its bytes.
void BM_EncodeEventFile(benchmark::State& state)
{
    FillStore();
    for (auto _ : state)
        benchmark::DoNotOptimize(EncodeEventFile());
}
BENCHMARK(BM_EncodeEventFile)->Unit(benchmark::kMillisecond);

void BM_DecodeEventFile(benchmark::State& state)
{
    FillStore();
    const std::string bytes = EncodeEventFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeEventFile(bytes));
}
BENCHMARK(BM_DecodeEventFile)->Unit(benchmark::kMillisecond);

}  // namespace
