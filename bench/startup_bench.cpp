// The start of the program with a settings file of N servers against an empty one, measured in
// one run: each start is a fresh process (this program again, in child mode) that runs the
// start-up routine on the offscreen platform; the time runs from just before the process is
// created until the list view has painted its filled rows. The servers are loopback addresses
// on a refused port, so the probes the start launches cost their least. Peak memory is the
// child's maximum resident set, to the end of its probes.
//
//   startup_bench [servers] [runs]      (default: 10000 5)

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QEvent>
#include <QTableView>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/StartSequence.h"
#include "core/AppState.h"
#include "core/LaunchOptions.h"
#include "core/SettingsFile.h"
#include "platform/DescriptorLimit.h"
#include "ui/MainWindow.h"

namespace kestrune {
namespace {

using Clock = std::chrono::steady_clock;

// Child: reports on `reportFd` once the list has painted, then stays until every row has an
// answer (or a guard has passed) so that the peak memory covers the probes too.
class PaintWatch : public QObject {
public:
    PaintWatch(QTableView* list, int reportFd) : list_(list), reportFd_(reportFd) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!reported_ && watched == list_->viewport() && event->type() == QEvent::Paint) {
            // The rows are being painted: the window shows its filled list.
            reported_ = true;
            const char done = 'p';
            (void)::write(reportFd_, &done, 1);
            ::close(reportFd_);
        }
        return false;
    }

private:
    QTableView* list_;
    int reportFd_;
    bool reported_ = false;
};

bool AllAnswered(const QTableView& list) {
    const QAbstractItemModel* m = list.model();
    for (int r = 0; r < m->rowCount(); ++r) {
        if (m->index(r, 3).data().toString() == QStringLiteral("...")) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void RunChild(int argc, char** argv, const char* dir, int reportFd) {
    if (::chdir(dir) != 0) {
        std::_Exit(2);
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    (void)RaiseDescriptorLimit();
    QApplication app(argc, argv);
    auto* state = new AppState();
    if (!RunStartupRoutine(*state)) {
        std::_Exit(3);
    }
    MainWindow* window = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* m = qobject_cast<MainWindow*>(w)) {
            window = m;
        }
    }
    auto* list = window->findChild<QTableView*>(QStringLiteral("超级列表框1"));
    PaintWatch watch(list, reportFd);
    list->viewport()->installEventFilter(&watch);
    list->viewport()->update();

    const auto guard = Clock::now() + std::chrono::seconds(60);
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (AllAnswered(*list) || Clock::now() > guard) {
            std::fflush(nullptr);
            std::_Exit(0);
        }
    });
    poll.start(50);
    QApplication::exec();
    std::_Exit(0);
}

struct Start {
    double ms = 0;
    long peakKiB = 0;
};

Start MeasureStart(const std::string& dir) {
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("pipe");
        std::exit(1);
    }
    const std::string fd = std::to_string(fds[1]);
    const Clock::time_point begin = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        ::execl("/proc/self/exe", "startup_bench", "--child", dir.c_str(), fd.c_str(),
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    ::close(fds[1]);
    char done = 0;
    const ssize_t got = ::read(fds[0], &done, 1);
    const Clock::time_point shown = Clock::now();
    ::close(fds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (got != 1 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "a start failed (status %d)\n", status);
        std::exit(1);
    }
    return {std::chrono::duration<double, std::milli>(shown - begin).count(), usage.ru_maxrss};
}

void WriteSettings(const std::string& dir, int servers) {
    std::filesystem::create_directories(dir);
    std::vector<ServerEntry> entries;
    for (int i = 0; i < servers; ++i) {
        ServerEntry e;
        e.address = "127.0.0.1";
        e.port = "9";  // refused on loopback
        e.account = "Administrator";
        e.password = "pw" + std::to_string(i);
        e.remark = "server " + std::to_string(i);
        entries.push_back(e);
    }
    LaunchOptionValues options;
    const std::string plain = ComposeSettingsText(entries, options, "");
    std::ofstream(dir + "/ms.ini", std::ios::binary) << SettingsCodec(plain, kSettingsKey);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int RunParent(int servers, int runs) {
    const std::string base = std::filesystem::temp_directory_path() /
                             ("kestrune-startup-bench-" + std::to_string(::getpid()));
    const std::string emptyDir = base + "/empty";
    const std::string fullDir = base + "/full";
    std::filesystem::create_directories(emptyDir);
    WriteSettings(fullDir, servers);

    (void)MeasureStart(emptyDir);  // warm the file cache
    std::vector<double> emptyMs;
    std::vector<double> fullMs;
    long emptyPeak = 0;
    long fullPeak = 0;
    for (int i = 0; i < runs; ++i) {
        const Start e = MeasureStart(emptyDir);
        const Start f = MeasureStart(fullDir);
        emptyMs.push_back(e.ms);
        fullMs.push_back(f.ms);
        emptyPeak = std::max(emptyPeak, e.peakKiB);
        fullPeak = std::max(fullPeak, f.peakKiB);
    }
    std::filesystem::remove_all(base);

    const double e = Median(emptyMs);
    const double f = Median(fullMs);
    std::printf("start until the list has painted (median of %d starts each)\n", runs);
    std::printf("  empty ms.ini           %8.1f ms   peak RSS %6ld KiB\n", e, emptyPeak);
    std::printf("  %6d servers         %8.1f ms   peak RSS %6ld KiB\n", servers, f, fullPeak);
    std::printf("  ratio                  %8.2f      (aim: below 1.50)\n", f / e);
    return 0;
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child") {
        kestrune::RunChild(1, argv, argv[2], std::atoi(argv[3]));
    }
    const int servers = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    return kestrune::RunParent(servers, runs);
}
