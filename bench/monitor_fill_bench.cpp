// The Monitor refill's logic over a full store of 10000 events.
#include <benchmark/benchmark.h>

#include "list_reduction.h"
#include "monitor_store.h"

namespace {

void Fill(benchmark::State& state, CMonitorSettings settings)
{
    FillBenchStore();
    const TodayFn today = LocalToday;
    size_t rows = 0;
    for (auto _ : state) {
        CMonitorRows result = BuildMonitorRows(settings, today);
        rows = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}

CMonitorSettings Mode(int32_t list, const std::string& lockStr = "", int32_t warn = 0)
{
    CMonitorSettings s;
    s.list = list;
    s.lockStr = lockStr;
    s.warn = warn;
    return s;
}

}  // namespace

BENCHMARK_CAPTURE(Fill, all_today, Mode(0))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fill, all_warnings_door1, Mode(0, "Door 1", 2))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fill, last_per_locking, Mode(1))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fill, last_per_transponder, Mode(2))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fill, last_per_transponder_per_locking, Mode(3))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Fill, last_per_locking_with_time_window, ([] {
                      CMonitorSettings s = Mode(1);
                      s.time1 = "12:00:00";
                      s.time2 = "17:00:00";
                      return s;
                  }()))
    ->Unit(benchmark::kMillisecond);
