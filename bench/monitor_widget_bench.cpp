// The Monitor window's refill with 10000 rows, drawn once (offscreen).
#include <QApplication>

#include <benchmark/benchmark.h>

#include "monitor_dlg.h"
#include "monitor_store.h"
#include "settings.h"

namespace {

void RefillWindow(benchmark::State& state)
{
    FillBenchStore();
    ResetSettings();
    QWidget navigator;
    CMonitorDlg monitor(&navigator);
    monitor.show();
    QApplication::processEvents();
    for (auto _ : state) {
        monitor.FillList();
        monitor.repaint();
        QApplication::processEvents();
    }
}

}  // namespace

BENCHMARK(RefillWindow)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
