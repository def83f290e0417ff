// The probe of a long list on loopback, half the servers listening and half refusing: the time
// from the window's creation until the last row has its answer, the longest stall of the GUI
// thread meanwhile, and the peaks of threads and memory. On loopback an attempt takes
// microseconds, so the figures are the probe machinery's own cost.
//
//   probe_bench [servers...]      (default: 1000 10000)

#include <pthread.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <semaphore>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "bench/LoopbackServers.h"
#include "bench/ProcessPeaks.h"
#include "core/ServerList.h"
#include "platform/DescriptorLimit.h"
#include "probe/ProbeAll.h"
#include "probe/ProbeServer.h"

namespace kestrune {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A stand-in for the GUI thread: runs posted tasks one at a time and measures how late a
// 1 ms heartbeat is served, which is how long input or painting would have to wait.
class GuiThread {
public:
    GuiThread() : thread_([this] { Loop(); }) {}
    ~GuiThread() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            changed_.notify_all();
        }
        thread_.join();
    }

    void Post(std::function<void()> task) {
        std::lock_guard lock(mutex_);
        queue_.push_back({std::move(task), nullptr});
        changed_.notify_one();
    }

    // Runs `task` on the GUI thread and returns once it has run.
    void Run(const std::function<void()>& task) {
        std::binary_semaphore done{0};
        {
            std::lock_guard lock(mutex_);
            queue_.push_back({task, &done});
            changed_.notify_one();
        }
        done.acquire();
    }

    void ResetStall() {
        std::lock_guard lock(mutex_);
        maxStall_ = {};
    }
    Clock::duration MaxStall() const {
        std::lock_guard lock(mutex_);
        return maxStall_;
    }

private:
    struct Task {
        std::function<void()> run;
        std::binary_semaphore* done;
    };

    void Loop() {
        auto beat = Clock::now() + 1ms;
        std::unique_lock lock(mutex_);
        while (!stop_) {
            changed_.wait_until(lock, beat, [&] { return stop_ || !queue_.empty(); });
            const auto now = Clock::now();
            if (now >= beat) {
                maxStall_ = std::max(maxStall_, now - beat);
                beat = now + 1ms;
            }
            if (!queue_.empty()) {
                Task task = std::move(queue_.front());
                queue_.pop_front();
                lock.unlock();
                task.run();
                if (task.done != nullptr) {
                    task.done->release();
                }
                lock.lock();
            }
        }
    }

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Task> queue_;
    bool stop_ = false;
    Clock::duration maxStall_{};
    std::thread thread_;
};

// The list view: rows in memory, touched only on the GUI thread.
class BenchView : public ProbeView {
public:
    BenchView(int rows, GuiThread& gui)
        : gui_(gui),
          images_(static_cast<std::size_t>(rows), 2),
          texts_(static_cast<std::size_t>(rows), "...") {}

    int RowCount() const override { return static_cast<int>(images_.size()); }
    void ApplyOnGuiThread(const std::function<void()>& update) override { gui_.Run(update); }
    void SetRowStateImage(int row, int image) override {
        images_[static_cast<std::size_t>(row)] = image;
    }
    void SetRowText(int row, int, const std::string& text) override {
        texts_[static_cast<std::size_t>(row)] = text;
        std::lock_guard lock(mutex_);
        if (++answered_ == images_.size()) {
            last_ = Clock::now();
            allAnswered_.notify_all();
        }
    }

    // The time the last row got its answer; nothing when not all did within the guard.
    std::optional<Clock::time_point> AwaitLastAnswer() {
        std::unique_lock lock(mutex_);
        if (!allAnswered_.wait_for(lock, 300s, [&] { return answered_ == images_.size(); })) {
            return std::nullopt;
        }
        return last_;
    }

    const std::vector<int>& images() const { return images_; }

private:
    GuiThread& gui_;
    std::vector<int> images_;
    std::vector<std::string> texts_;
    std::mutex mutex_;
    std::condition_variable allAnswered_;
    std::size_t answered_ = 0;
    Clock::time_point last_;
};

void RunOnce(int servers, bench::LoopbackServers& loopback) {
    auto list = std::make_shared<ServerList>();
    for (int i = 0; i < servers; ++i) {
        const auto k = static_cast<std::size_t>(i / 2);
        const std::uint16_t port = i % 2 == 0 ? loopback.ListeningPort(k) : loopback.RefusingPort();
        list->Append({"127.0.0.1", std::to_string(port), "", "", ""});
    }

    // Counts the workers alive, and the starts that failed, around the default start.
    std::atomic<int> alive{0};
    std::atomic<int> peakAlive{0};
    std::atomic<int> failedStarts{0};
    ProbeEnvironment environment = DefaultProbeEnvironment();
    environment.startThread = [&, start = environment.startThread](std::function<void()> work) {
        const int now = ++alive;
        int peak = peakAlive.load();
        while (now > peak && !peakAlive.compare_exchange_weak(peak, now)) {
        }
        try {
            start([&alive, work = std::move(work)] {
                work();
                --alive;
            });
        } catch (const std::system_error&) {
            --alive;
            ++failedStarts;
            throw;
        }
    };

    bench::ResetPeakResident();
    GuiThread gui;
    auto view = std::make_shared<BenchView>(servers, gui);
    Clock::time_point created;
    Clock::duration probeAllTook{};
    {
        bench::Sampler sampler;
        gui.Post([&] {
            created = Clock::now();
            ProbeAll(list, view, environment);
            probeAllTook = Clock::now() - created;
        });
        const auto last = view->AwaitLastAnswer();
        while (alive.load() != 0) {
            std::this_thread::sleep_for(1ms);
        }
        const Clock::duration stall = gui.MaxStall();

        int wrong = 0;
        for (int i = 1; i <= servers; ++i) {
            const ServerStatus expected = i % 2 == 1 ? ServerStatus::Online : ServerStatus::Offline;
            const int image = expected == ServerStatus::Online ? kOnlineImage : kOfflineImage;
            if (list->EntryAt(i).status != expected ||
                view->images()[static_cast<std::size_t>(i - 1)] != image) {
                ++wrong;
            }
        }
        std::printf(
            "%6d servers: last answer %.1f ms after creation (ProbeAll itself %.1f ms); longest "
            "GUI "
            "stall %.1f ms; peak %d workers, %ld threads; peak resident %ld MiB, virtual %ld "
            "MiB; %d starts failed, %d rows wrong\n",
            servers, last ? Ms(*last - created) : -1.0, Ms(probeAllTook), Ms(stall),
            peakAlive.load(), sampler.peakThreads(), bench::StatusField("VmHWM") / 1024,
            sampler.peakVirtualKiB() / 1024, failedStarts.load(), wrong);
    }
}

}  // namespace
}  // namespace kestrune

int main(int argc, char** argv) {
    using namespace kestrune;
    RaiseDescriptorLimit();
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        sizes.push_back(std::atoi(argv[i]));
    }
    if (sizes.empty()) {
        sizes = {1000, 10000};
    }
    pthread_attr_t attributes;
    std::size_t stack = 0;
    if (pthread_getattr_default_np(&attributes) == 0) {
        pthread_attr_getstacksize(&attributes, &stack);
        pthread_attr_destroy(&attributes);
    }
    std::printf("default thread stack %zu KiB, %u cores\n", stack / 1024,
                std::thread::hardware_concurrency());
    bench::LoopbackServers loopback(16);
    for (const int servers : sizes) {
        RunOnce(servers, loopback);
    }
}
