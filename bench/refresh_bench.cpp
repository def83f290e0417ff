// RefreshServerList of a long list in the main window (offscreen platform): the rebuild alone,
// and the rebuild followed by the repaint of the visible rows.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableView>
#include <cstdlib>
#include <string>

#include "core/AppState.h"
#include "ui/MainWindow.h"

namespace kestrune {
namespace {

void FillList(AppState& state, int servers) {
    for (int i = 0; i < servers; ++i) {
        ServerEntry e;
        e.address = "10.0." + std::to_string(i / 256 % 256) + "." + std::to_string(i % 256);
        e.port = "3389";
        e.account = "Administrator";
        state.serverList->Append(e);
    }
}

void RefreshServerList(benchmark::State& run) {
    AppState state;
    FillList(state, static_cast<int>(run.range(0)));
    MainWindow window(state);
    window.show();
    QApplication::processEvents();
    for (auto _ : run) {
        window.RefreshServerList();
    }
    run.SetItemsProcessed(run.iterations() * run.range(0));
}
BENCHMARK(RefreshServerList)->Arg(10000)->Unit(benchmark::kMillisecond);

void RefreshServerListAndRepaint(benchmark::State& run) {
    AppState state;
    FillList(state, static_cast<int>(run.range(0)));
    MainWindow window(state);
    window.show();
    auto* list = window.findChild<QTableView*>(QStringLiteral("超级列表框1"));
    QApplication::processEvents();
    for (auto _ : run) {
        window.RefreshServerList();
        list->viewport()->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(RefreshServerListAndRepaint)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
