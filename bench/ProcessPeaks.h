#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace kestrune::bench {

// Samples the process's thread count and memory from /proc while a run lasts.
class Sampler {
public:
    Sampler()
        : thread_([this] {
              while (!stop_) {
                  Sample();
                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
              }
          }) {}
    ~Sampler() {
        stop_ = true;
        thread_.join();
    }
    long peakThreads() const { return peakThreads_; }
    long peakVirtualKiB() const { return peakVirtual_; }

private:
    void Sample() {
        std::ifstream status("/proc/self/status");
        std::string key;
        long value = 0;
        while (status >> key) {
            if (key == "Threads:" && status >> value) {
                peakThreads_ = std::max(peakThreads_.load(), value);
            } else if (key == "VmSize:" && status >> value) {
                peakVirtual_ = std::max(peakVirtual_.load(), value);
            }
        }
    }

    std::atomic<bool> stop_{false};
    std::atomic<long> peakThreads_{0};
    std::atomic<long> peakVirtual_{0};
    std::thread thread_;
};

inline long StatusField(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        long value = 0;
        if (key == name + ":" && status >> value) {
            return value;
        }
    }
    return -1;
}

// Resets the peak resident size of the process, so that the next run has its own.
inline void ResetPeakResident() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

}  // namespace kestrune::bench
