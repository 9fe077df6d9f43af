// One keystroke in the Monitor's quick search over 10000 listed events: the
// model's work without the drawing. Typing goes on with the texts already
// made; the first keystroke after a refill makes them.
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include "list_reduction.h"
#include "monitor_model.h"
#include "monitor_store.h"
#include "search_proxy.h"

namespace {

// What a user types, a keystroke at a time, and takes back again.
const QStringList kTyping = {"d", "do", "doo", "door", "door ", "door 1", "door 12", "door 1", "door ", "door"};

CMonitorRows ListedRows()
{
    FillBenchStore();
    CMonitorSettings all;
    all.today = 0;
    return BuildMonitorRows(all, LocalToday);
}

void Keystroke(benchmark::State& state)
{
    CMonitorModel model;
    model.SetRows(ListedRows());
    CSearchProxy shown(&model);
    qsizetype next = 0;
    for (auto _ : state) {
        shown.SetSearchText(kTyping[next++ % kTyping.size()]);
        benchmark::DoNotOptimize(shown.rowCount());
    }
    state.counters["listed"] = model.rowCount();
}

void FirstKeystrokeAfterARefill(benchmark::State& state)
{
    const CMonitorRows rows = ListedRows();
    CMonitorModel model;
    CSearchProxy shown(&model);
    qsizetype next = 0;
    for (auto _ : state) {
        state.PauseTiming();
        shown.SetSearchText({});
        model.SetRows(rows);
        state.ResumeTiming();
        shown.SetSearchText(kTyping[next++ % kTyping.size()]);
        benchmark::DoNotOptimize(shown.rowCount());
    }
}

}  // namespace

BENCHMARK(Keystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(FirstKeystrokeAfterARefill)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // the level icons are pixmaps
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
