#include "probe/ProbeAll.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <utility>

#include "probe/ProbeServer.h"

namespace kestrune {

namespace {

// Gives each row's probe a worker the moment its turn comes: a worker that has finished its own
// row and waits for another when there is one, a new thread otherwise. So every attempt starts
// at once and runs beside all others, however many wait on the network, while on a fast network
// a few threads serve thousands of rows instead of paying for a new thread each.
class RowDispatcher : public std::enable_shared_from_this<RowDispatcher> {
public:
    RowDispatcher(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view,
                  ProbeEnvironment environment)
        : list_(std::move(list)), view_(std::move(view)), environment_(std::move(environment)) {}

    // Starter: positions 1..rows in ascending order. A row for which no worker is waiting and
    // no thread can be started is skipped; it keeps its status.
    void DispatchAll(int rows) {
        for (int position = 1; position <= rows; ++position) {
            if (!HandToWaitingWorker(position)) {
                StartWorker(position);
            }
        }
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }

private:
    bool HandToWaitingWorker(int position) {
        std::lock_guard lock(mutex_);
        if (waiting_ <= handed_.size()) {
            return false;
        }
        handed_.push_back(position);
        changed_.notify_one();
        return true;
    }

    void StartWorker(int position) {
        try {
            environment_.startThread(
                [self = shared_from_this(), position] { self->Work(position); });
        } catch (const std::system_error&) {
        } catch (const std::bad_alloc&) {
        }
    }

    // A worker: probes its row, then the rows handed to it while the starter is still busy.
    void Work(int position) {
        for (;;) {
            ProbeServer(position, list_, view_, environment_.tryConnect);
            std::unique_lock lock(mutex_);
            ++waiting_;
            changed_.wait(lock, [&] { return !handed_.empty() || finished_; });
            --waiting_;
            if (handed_.empty()) {
                return;
            }
            position = handed_.front();
            handed_.pop_front();
        }
    }

    const std::shared_ptr<ServerList> list_;
    const std::shared_ptr<ProbeView> view_;
    const ProbeEnvironment environment_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t waiting_ = 0;  // workers waiting for a row, handed_ ones included
    std::deque<int> handed_;
    bool finished_ = false;
};

}  // namespace

void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view) {
    ProbeAll(std::move(list), std::move(view), DefaultProbeEnvironment());
}

void ProbeAll(std::shared_ptr<ServerList> list, std::shared_ptr<ProbeView> view,
              const ProbeEnvironment& environment) {
    if (!list || !view) {
        return;
    }
    const int rows = view->RowCount();
    if (rows <= 0) {
        return;
    }
    auto dispatcher =
        std::make_shared<RowDispatcher>(std::move(list), std::move(view), environment);
    // Starting the workers takes a while on a long list: a starter thread does it, so that the
    // GUI thread goes on at once. Without one, the GUI thread does it itself.
    try {
        environment.startThread([dispatcher, rows] { dispatcher->DispatchAll(rows); });
    } catch (const std::system_error&) {
        dispatcher->DispatchAll(rows);
    } catch (const std::bad_alloc&) {
        dispatcher->DispatchAll(rows);
    }
}

}  // namespace kestrune
