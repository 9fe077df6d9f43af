// The navigator's refresh over a full store of 10000 events: the idle tick
// that only compares, and the tick that hands an arrival over (re-sort,
// display, and the Monitor refill when one is open).

#include <string>

#include <QApplication>

#include <benchmark/benchmark.h>

#include "event_store.h"
#include "navigator_dlg.h"
#include "settings.h"
#include "shell_services.h"

namespace {

constexpr int kEvents = 10000;

void FillStore()
{
    ResetStore(kMaxCapacity);
    for (int i = 0; i < kEvents; ++i) {
        AddMessage("8,0," + std::to_string(1299500000 + (i * 7919) % kEvents) + ",Anna,Door opened "
                   + std::to_string(i) + ",Site 1,Door " + std::to_string(i % 40) + ",1,12,7,3,0,4711,0,,5,0,1,0,0,0,0");
    }
}

void BM_RefreshIdle(benchmark::State& state)
{
    FillStore();
    CNavigatorDlg navigator;
    navigator.RefreshView();
    for (auto _ : state)
        navigator.RefreshView();
}
BENCHMARK(BM_RefreshIdle);

void BM_RefreshWithArrival(benchmark::State& state)
{
    FillStore();
    gBeep = gPop = 0;
    gToday = 0;
    CNavigatorDlg navigator;
    if (state.range(0) != 0)
        navigator.OnMonitor();
    navigator.RefreshView();
    for (auto _ : state) {
        new_arrived = 1;
        navigator.RefreshView();
    }
}
BENCHMARK(BM_RefreshWithArrival)->Arg(0)->Arg(1)->ArgName("monitor")->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ShellServices().beep = [] {};
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
