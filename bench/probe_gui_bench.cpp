// The probe of a long list in the real main window (offscreen), on loopback with half the
// servers listening and half refusing: the time from the window's creation until the last row
// shows its answer, the longest stall of the GUI thread meanwhile, and the peaks of threads and
// memory.
//
//   QT_QPA_PLATFORM=offscreen probe_gui_bench [servers...]      (default: 1000 10000)

#include <QAbstractItemModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/LoopbackServers.h"
#include "bench/ProcessPeaks.h"
#include "core/AppState.h"
#include "platform/DescriptorLimit.h"
#include "probe/ProbeAll.h"
#include "ui/MainWindow.h"

namespace kestrune {
namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

void RunOnce(int servers, bench::LoopbackServers& loopback) {
    AppState state;
    for (int i = 0; i < servers; ++i) {
        const auto k = static_cast<std::size_t>(i / 2);
        const std::uint16_t port = i % 2 == 0 ? loopback.ListeningPort(k) : loopback.RefusingPort();
        state.serverList->Append({"127.0.0.1", std::to_string(port), "", "", ""});
    }
    bench::ResetPeakResident();
    bench::Sampler sampler;

    // A 1 ms heartbeat on the GUI thread: how late it fires is how long input would wait.
    Clock::duration stall{};
    Clock::time_point lastBeat = Clock::now();
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        stall = std::max(stall, now - lastBeat - std::chrono::milliseconds(1));
        lastBeat = now;
    });

    const auto created = Clock::now();
    auto window = std::make_unique<MainWindow>(state);
    window->RefreshServerList();
    const auto filled = Clock::now();
    ProbeAll(state.serverList, window->ProbeViewHandle());
    const auto probing = Clock::now();
    window->show();

    QAbstractItemModel& rows =
        *window->findChild<QTableView*>(QStringLiteral("超级列表框1"))->model();
    int answered = 0;
    Clock::time_point last{};
    QObject::connect(&rows, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex&) {
                         if (from.column() == 3 && ++answered == servers) {
                             last = Clock::now();
                             QApplication::exit(0);
                         }
                     });
    lastBeat = Clock::now();
    heartbeat.start();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(1); });
    guard.start(300000);
    const int result = QApplication::exec();
    heartbeat.stop();

    int wrong = 0;
    for (int i = 1; i <= servers; ++i) {
        const ServerStatus expected = i % 2 == 1 ? ServerStatus::Online : ServerStatus::Offline;
        const QString text = rows.data(rows.index(i - 1, 3), Qt::DisplayRole).toString();
        const QString wanted =
            expected == ServerStatus::Online ? QStringLiteral("在线") : QStringLiteral("离线");
        if (state.serverList->EntryAt(i).status != expected || text != wanted) {
            ++wrong;
        }
    }
    std::printf(
        "%6d servers: last answer %.1f ms after creation (window and rows %.1f ms, ProbeAll "
        "%.1f ms); longest GUI stall after show %.1f ms; peak %ld threads; peak resident %ld "
        "MiB, virtual %ld MiB; %d rows wrong%s\n",
        servers, result == 0 ? Ms(last - created) : -1.0, Ms(filled - created),
        Ms(probing - filled), Ms(stall), sampler.peakThreads(), bench::StatusField("VmHWM") / 1024,
        sampler.peakVirtualKiB() / 1024, wrong, result == 0 ? "" : " (not all rows answered)");
    window->close();
}

// Shows and paints one window before any measuring, so that Qt's one-time start-up (fonts,
// styles) does not count as a stall of the probe.
void WarmUp() {
    AppState state;
    MainWindow window(state);
    window.RefreshServerList();
    window.show();
    QTimer::singleShot(50, [] { QApplication::exit(0); });
    QApplication::exec();
    window.close();
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    RaiseDescriptorLimit();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {1000, 10000};
    }
    bench::LoopbackServers loopback(16);
    WarmUp();
    for (const int servers : sizes) {
        RunOnce(servers, loopback);
    }
    // Workers of the last run may still be ending: leave without static destructors.
    std::fflush(nullptr);
    std::_Exit(0);
}
