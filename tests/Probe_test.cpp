#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "core/ProgramEnd.h"
#include "core/ServerList.h"
#include "probe/ProbeAll.h"
#include "probe/ProbeServer.h"
#include "probe/TryTcpConnect.h"
#include "tests/support/LoopbackSocket.h"

namespace kestrune {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackSocket;

// Only turns a hang into a failure; no test relies on it to pass.
constexpr auto kGuard = 60s;

constexpr int kUnknownImage = 2;
const std::string kUnknownText = "...";

// The list view of the main window, with the test's thread as the GUI thread: a worker's update
// waits until the test runs it with RunNext, as a posted event waits for the event loop.
class FakeListView : public ProbeView {
public:
    struct Row {
        int image = kUnknownImage;
        std::string text = kUnknownText;
        int imageUpdates = 0;
        int textUpdates = 0;
        // The stored status of the row's position when its image was set.
        ServerStatus statusAtImage = ServerStatus::Unknown;
    };

    explicit FakeListView(std::shared_ptr<ServerList> list)
        : list_(std::move(list)), gui_(std::this_thread::get_id()) {
        Rebuild();
    }
    ~FakeListView() override { released_.set_value(); }

    // Fulfilled when the last owner lets go of the view.
    std::future<void> Released() { return released_.get_future(); }

    int RowCount() const override {
        CheckGuiThread("RowCount");
        return static_cast<int>(rows_.size());
    }

    void ApplyOnGuiThread(const std::function<void()>& update) override {
        std::unique_lock lock(mutex_);
        if (closed_) {
            return;
        }
        Pending pending{&update};
        queue_.push_back(&pending);
        changed_.notify_all();
        changed_.wait(lock, [&] { return pending.done || closed_; });
        std::erase(queue_, &pending);
    }

    void SetRowStateImage(int row, int image) override {
        if (Row* r = UpdatedRow(row, "SetRowStateImage")) {
            r->image = image;
            ++r->imageUpdates;
            r->statusAtImage = list_->EntryAt(row + 1).status;
        }
    }

    void SetRowText(int row, int column, const std::string& text) override {
        if (column != kStatusColumn) {
            faults_.push_back("text outside the status column");
        }
        if (Row* r = UpdatedRow(row, "SetRowText")) {
            r->text = text;
            ++r->textUpdates;
        }
    }

    // The GUI thread's side.

    // Runs the next handed-over update, waiting for one.
    void RunNext() {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, kGuard, [&] { return !queue_.empty(); }))
            << "no row update came";
        Pending* pending = queue_.front();
        queue_.pop_front();
        lock.unlock();
        inUpdate_ = true;
        (*pending->update)();
        inUpdate_ = false;
        lock.lock();
        pending->done = true;
        changed_.notify_all();
    }

    void RunNext(int count) {
        for (int i = 0; i < count; ++i) {
            RunNext();
        }
    }

    // Waits until a worker waits for its update to be applied, without applying it.
    void WaitForPendingUpdate() {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, kGuard, [&] { return !queue_.empty(); }));
    }

    std::size_t PendingUpdates() const {
        std::lock_guard lock(mutex_);
        return queue_.size();
    }

    // The window is gone: waiting updates are dropped and later ones return at once.
    void Close() {
        std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }

    // As RefreshServerList: one row per entry, showing its stored status.
    void Rebuild() {
        rows_.clear();
        for (const ServerEntry& entry : list_->Entries()) {
            Row row;
            if (entry.status == ServerStatus::Online) {
                row = {kOnlineImage, kOnlineText};
            } else if (entry.status == ServerStatus::Offline) {
                row = {kOfflineImage, kOfflineText};
            }
            rows_.push_back(row);
        }
    }

    const std::vector<Row>& rows() const { return rows_; }
    const std::vector<std::string>& faults() const { return faults_; }

private:
    struct Pending {
        const std::function<void()>* update;
        bool done = false;
    };

    void CheckGuiThread(const char* what) const {
        if (std::this_thread::get_id() != gui_) {
            faults_.push_back(std::string(what) + " off the GUI thread");
        }
    }

    Row* UpdatedRow(int row, const char* what) {
        CheckGuiThread(what);
        if (!inUpdate_) {
            faults_.push_back(std::string(what) + " outside a handed-over update");
        }
        if (row < 0 || row >= static_cast<int>(rows_.size())) {
            faults_.push_back(std::string(what) + " outside the rows");
            return nullptr;
        }
        return &rows_[static_cast<std::size_t>(row)];
    }

    std::shared_ptr<ServerList> list_;
    const std::thread::id gui_;
    std::promise<void> released_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Pending*> queue_;
    bool closed_ = false;
    // GUI thread only.
    std::vector<Row> rows_;
    bool inUpdate_ = false;
    mutable std::vector<std::string> faults_;
};

// A connection attempt whose answer the test decides, keyed by port: a held port waits until
// released. Ports without an answer go to `next` when there is one, else fail.
class ScriptedAttempt : public std::enable_shared_from_this<ScriptedAttempt> {
public:
    explicit ScriptedAttempt(ConnectAttempt next = nullptr) : next_(std::move(next)) {}

    void Answer(std::int32_t port, bool online) {
        std::lock_guard lock(mutex_);
        answers_[port] = online;
    }
    void Hold(std::int32_t port) {
        std::lock_guard lock(mutex_);
        held_.insert(port);
    }
    void Release(std::int32_t port) {
        std::lock_guard lock(mutex_);
        held_.erase(port);
        changed_.notify_all();
    }
    void ReleaseAll() {
        std::lock_guard lock(mutex_);
        held_.clear();
        changed_.notify_all();
    }
    // Waits until an attempt on `port` waits for its release.
    void WaitUntilHeld(std::int32_t port) {
        std::unique_lock lock(mutex_);
        ASSERT_TRUE(changed_.wait_for(lock, kGuard, [&] { return waiting_.contains(port); }));
    }
    // The attempts made, as address and port, in call order.
    std::vector<std::pair<std::string, std::int32_t>> Calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }

    ConnectAttempt Function() {
        return [self = shared_from_this()](const std::string& address, std::int32_t port) {
            return self->Attempt(address, port);
        };
    }

private:
    bool Attempt(const std::string& address, std::int32_t port) {
        std::unique_lock lock(mutex_);
        calls_.emplace_back(address, port);
        waiting_.insert(port);
        changed_.notify_all();
        changed_.wait(lock, [&] { return !held_.contains(port); });
        waiting_.erase(waiting_.find(port));
        const auto answer = answers_.find(port);
        if (answer != answers_.end()) {
            return answer->second;
        }
        lock.unlock();
        return next_ && next_(address, port);
    }

    const ConnectAttempt next_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::map<std::int32_t, bool> answers_;
    std::set<std::int32_t> held_;
    std::multiset<std::int32_t> waiting_;
    std::vector<std::pair<std::string, std::int32_t>> calls_;
};

// Starts workers on joinable threads so that every test ends with none left running. A start
// can be made to fail, and starts can be kept back to be run one by one. Starts come from the
// probe's starter thread as well as from the test's thread.
class Workers {
public:
    ~Workers() { JoinAll(); }

    // The nth start (1-based) throws; the first start of a probe is its starter.
    void FailStart(int nth) {
        std::lock_guard lock(mutex_);
        failing_.insert(nth);
    }
    void KeepBack() {
        std::lock_guard lock(mutex_);
        keepBack_ = true;
    }

    std::function<void(std::function<void()>)> Starter() {
        return [this](std::function<void()> work) {
            std::lock_guard lock(mutex_);
            if (failing_.contains(++starts_)) {
                throw std::system_error(
                    std::make_error_code(std::errc::resource_unavailable_try_again));
            }
            if (keepBack_) {
                keptBack_.push_back(std::move(work));
            } else {
                Run(std::move(work));
            }
        };
    }

    int started() const {
        std::lock_guard lock(mutex_);
        return static_cast<int>(threads_.size() + keptBack_.size());
    }
    std::size_t keptBack() const {
        std::lock_guard lock(mutex_);
        return keptBack_.size();
    }
    // Runs the kept-back work `index` on a thread of its own.
    void RunKeptBack(std::size_t index) {
        std::lock_guard lock(mutex_);
        Run(std::move(keptBack_.at(index)));
    }

    // Waits until every running worker has ended, then joins them.
    void AwaitAll() {
        {
            std::unique_lock lock(mutex_);
            EXPECT_TRUE(ended_.wait_for(lock, kGuard, [&] { return finished_ == threads_.size(); }))
                << "a worker did not end";
        }
        JoinAll();
    }

    // Joins every thread, also those started while joining.
    void JoinAll() {
        for (std::size_t i = 0;; ++i) {
            std::thread* thread = nullptr;
            {
                std::lock_guard lock(mutex_);
                if (i >= threads_.size()) {
                    return;
                }
                thread = &threads_[i];
            }
            if (thread->joinable()) {
                thread->join();
            }
        }
    }

    void Clear() {
        JoinAll();
        std::lock_guard lock(mutex_);
        starts_ = 0;
        failing_.clear();
        keepBack_ = false;
        keptBack_.clear();
        threads_.clear();
        finished_ = 0;
    }

private:
    // Under mutex_.
    void Run(std::function<void()> work) {
        threads_.emplace_back([this, work = std::move(work)] {
            work();
            std::lock_guard lock(mutex_);
            ++finished_;
            ended_.notify_all();
        });
    }

    mutable std::mutex mutex_;
    std::condition_variable ended_;
    int starts_ = 0;
    std::set<int> failing_;
    bool keepBack_ = false;
    std::vector<std::function<void()>> keptBack_;
    std::deque<std::thread> threads_;  // a deque, so that a thread being joined never moves
    std::size_t finished_ = 0;
};

class ProbeTest : public ::testing::Test {
protected:
    void AddServer(const std::string& address, const std::string& port) {
        list_->Append({address, port, "user", "secret", "remark"});
    }

    // Fills the rows from the list and starts the probe, as the main window's created handler.
    void Start() {
        view_ = std::make_shared<FakeListView>(list_);
        ProbeAll(list_, view_, {workers_.Starter(), attempt_->Function()});
    }

    // A fresh list, attempt, view and workers, for a test that runs several cases.
    void SetUpFresh() {
        list_ = std::make_shared<ServerList>();
        attempt_ = std::make_shared<ScriptedAttempt>();
        view_.reset();
        workers_.Clear();
    }

    void TearDown() override {
        attempt_->ReleaseAll();
        if (view_) {
            view_->Close();
        }
        workers_.JoinAll();
        if (view_) {
            EXPECT_THAT(view_->faults(), ::testing::IsEmpty());
        }
    }

    ServerStatus StatusAt(int position) const { return list_->EntryAt(position).status; }
    const FakeListView::Row& RowAt(int row) const {
        return view_->rows().at(static_cast<std::size_t>(row));
    }

    std::shared_ptr<ServerList> list_ = std::make_shared<ServerList>();
    std::shared_ptr<ScriptedAttempt> attempt_ = std::make_shared<ScriptedAttempt>();
    std::shared_ptr<FakeListView> view_;
    Workers workers_;
};

TEST_F(ProbeTest, StartsOneWorkerPerRowOfTheViewInAscendingOrder) {
    for (const char* port : {"1", "2", "3"}) {
        AddServer("server", port);
    }
    view_ = std::make_shared<FakeListView>(list_);
    AddServer("added", "4");  // in the list, but not yet shown in a row
    workers_.KeepBack();
    ProbeAll(list_, view_, {workers_.Starter(), attempt_->Function()});

    // ProbeAll has returned, leaving the starts to its starter.
    ASSERT_EQ(workers_.keptBack(), 1u);
    workers_.RunKeptBack(0);
    workers_.AwaitAll();
    ASSERT_EQ(workers_.keptBack(), 4u);
    EXPECT_TRUE(attempt_->Calls().empty());
    // The workers were started in ascending order of position.
    for (std::size_t k = 1; k <= 3; ++k) {
        workers_.RunKeptBack(k);
        view_->RunNext(2);
        workers_.AwaitAll();
        ASSERT_EQ(attempt_->Calls().size(), k);
        EXPECT_EQ(attempt_->Calls()[k - 1].second, static_cast<std::int32_t>(k));
    }
    EXPECT_EQ(StatusAt(4), ServerStatus::Unknown);
}

TEST_F(ProbeTest, EmptyViewStartsNothing) {
    Start();
    EXPECT_EQ(workers_.started(), 0);
    EXPECT_TRUE(view_->rows().empty());
}

TEST_F(ProbeTest, EachResultGoesToItsOwnRowStatusFirstThenImageThenText) {
    AddServer("a", "1");
    AddServer("b", "2");
    AddServer("c", "3");
    attempt_->Answer(1, true);
    attempt_->Answer(2, false);
    attempt_->Answer(3, true);
    Start();
    view_->RunNext(6);
    workers_.AwaitAll();

    const ServerStatus statuses[] = {ServerStatus::Online, ServerStatus::Offline,
                                     ServerStatus::Online};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const bool online = statuses[row] == ServerStatus::Online;
        EXPECT_EQ(StatusAt(row + 1), statuses[row]);
        EXPECT_EQ(RowAt(row).image, online ? kOnlineImage : kOfflineImage);
        EXPECT_EQ(RowAt(row).text, online ? kOnlineText : kOfflineText);
        EXPECT_EQ(RowAt(row).imageUpdates, 1);
        EXPECT_EQ(RowAt(row).textUpdates, 1);
        EXPECT_EQ(RowAt(row).statusAtImage, statuses[row]);
    }
}

TEST_F(ProbeTest, EachImageUpdateIsAppliedBeforeTheTextIsHandedOver) {
    AddServer("a", "1");
    attempt_->Answer(1, true);
    Start();
    view_->RunNext();
    EXPECT_EQ(RowAt(0).imageUpdates, 1);
    EXPECT_EQ(RowAt(0).textUpdates, 0);
    view_->RunNext();
    EXPECT_EQ(RowAt(0).text, kOnlineText);
}

TEST_F(ProbeTest, RowWhoseWorkerCannotStartKeepsItsStatus) {
    AddServer("a", "1");
    AddServer("b", "2");
    AddServer("c", "3");
    // a's worker stays busy, so that b and c each need a thread of their own.
    attempt_->Hold(1);
    attempt_->Hold(3);
    workers_.FailStart(3);  // the starter, a's worker, then b's
    Start();
    attempt_->WaitUntilHeld(1);
    attempt_->WaitUntilHeld(3);
    attempt_->ReleaseAll();
    view_->RunNext(4);
    workers_.AwaitAll();

    EXPECT_EQ(workers_.started(), 3);
    EXPECT_THAT(attempt_->Calls(),
                ::testing::UnorderedElementsAre(::testing::Pair("a", 1), ::testing::Pair("c", 3)));
    EXPECT_EQ(StatusAt(2), ServerStatus::Unknown);
    EXPECT_EQ(RowAt(1).text, kUnknownText);
    EXPECT_EQ(RowAt(1).image, kUnknownImage);
    EXPECT_EQ(RowAt(0).text, kOfflineText);
    EXPECT_EQ(RowAt(2).text, kOfflineText);
}

// However many attempts wait on the network, every row's attempt is under way at once.
TEST_F(ProbeTest, EveryAttemptRunsAtOnce) {
    constexpr int kServers = 50;
    for (int port = 1; port <= kServers; ++port) {
        AddServer("s", std::to_string(port));
        attempt_->Hold(port);
    }
    Start();
    for (int port = 1; port <= kServers; ++port) {
        attempt_->WaitUntilHeld(port);
    }
    attempt_->ReleaseAll();
    view_->RunNext(2 * kServers);
    workers_.AwaitAll();
    for (int row = 0; row < kServers; ++row) {
        EXPECT_EQ(RowAt(row).textUpdates, 1);
    }
}

TEST_F(ProbeTest, WithoutAStarterTheGuiThreadStartsTheWorkers) {
    AddServer("a", "1");
    AddServer("b", "2");
    workers_.FailStart(1);
    Start();
    EXPECT_EQ(workers_.started(), 2);
    view_->RunNext(4);
    workers_.AwaitAll();
    EXPECT_EQ(RowAt(0).text, kOfflineText);
    EXPECT_EQ(RowAt(1).text, kOfflineText);
}

TEST_F(ProbeTest, LoopbackServersTurnOnlineOrOfflineEachInItsOwnRow) {
    const LoopbackSocket listener = LoopbackSocket::Listening();
    const LoopbackSocket refusing = LoopbackSocket::Refusing();
    const LoopbackSocket untouched = LoopbackSocket::Listening();
    const std::string port = std::to_string(listener.port());
    std::string fullWidthPort;
    for (const char digit : port) {
        fullWidthPort += "\xA3";
        fullWidthPort += static_cast<char>(0xB0 + (digit - '0'));
    }
    AddServer("127.0.0.1", port);
    AddServer("127.0.0.1", std::to_string(refusing.port()));
    AddServer("", std::to_string(untouched.port()));
    AddServer("127.0.0.1", port);  // the same server twice: two rows, two updates
    AddServer("127.0.0.1", std::to_string(listener.port() + 65536));
    AddServer("127.0.0.1", fullWidthPort);

    // The real thing: detached threads and real attempts.
    auto view = std::make_shared<FakeListView>(list_);
    std::future<void> released = view->Released();
    ProbeAll(list_, view);
    view->RunNext(12);

    const bool online[] = {true, false, false, true, true, true};
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        const auto& r = view->rows().at(static_cast<std::size_t>(row));
        EXPECT_EQ(r.text, online[row] ? kOnlineText : kOfflineText);
        EXPECT_EQ(r.image, online[row] ? kOnlineImage : kOfflineImage);
        EXPECT_EQ(r.imageUpdates, 1);
        EXPECT_EQ(r.textUpdates, 1);
        EXPECT_EQ(StatusAt(row + 1), online[row] ? ServerStatus::Online : ServerStatus::Offline);
    }
    EXPECT_FALSE(untouched.HasPendingConnection());
    EXPECT_THAT(view->faults(), ::testing::IsEmpty());

    // The workers let go of the view once done.
    view.reset();
    EXPECT_EQ(released.wait_for(kGuard), std::future_status::ready);
}

TEST_F(ProbeTest, RefusedServerAnswersWhileAnotherStillWaits) {
    const LoopbackSocket refusing = LoopbackSocket::Refusing();
    constexpr std::int32_t kHeld = 9;
    attempt_ = std::make_shared<ScriptedAttempt>(&TryTcpConnect);
    attempt_->Hold(kHeld);
    AddServer("127.0.0.1", std::to_string(kHeld));
    AddServer("127.0.0.1", std::to_string(refusing.port()));
    Start();
    attempt_->WaitUntilHeld(kHeld);
    view_->RunNext(2);

    EXPECT_EQ(RowAt(1).text, kOfflineText);
    EXPECT_EQ(StatusAt(2), ServerStatus::Offline);
    EXPECT_EQ(RowAt(0).text, kUnknownText);
    EXPECT_EQ(StatusAt(1), ServerStatus::Unknown);

    attempt_->Answer(kHeld, true);
    attempt_->Release(kHeld);
    view_->RunNext(2);
    EXPECT_EQ(RowAt(0).text, kOnlineText);
}

// A server deleted while its attempt waits: its late result lands nowhere, whether the
// position now holds another server or no server at all.
TEST_F(ProbeTest, LateResultOfADeletedServerIsDropped) {
    for (const int deleted : {1, 2}) {
        SCOPED_TRACE(deleted);
        SetUpFresh();
        AddServer("a", "1");
        AddServer("b", "2");
        attempt_->Hold(deleted);
        // The late answer differs from the survivor's, so that landing on it would show.
        attempt_->Answer(deleted, false);
        attempt_->Answer(3 - deleted, true);
        Start();
        attempt_->WaitUntilHeld(deleted);
        view_->RunNext(2);  // the other server's result

        list_->RemoveAt(deleted);
        view_->Rebuild();
        attempt_->Release(deleted);
        workers_.AwaitAll();

        EXPECT_EQ(view_->PendingUpdates(), 0u);
        ASSERT_EQ(view_->rows().size(), 1u);
        EXPECT_EQ(RowAt(0).text, kOnlineText);  // the survivor, as rebuilt
        EXPECT_EQ(RowAt(0).imageUpdates + RowAt(0).textUpdates, 0);
        EXPECT_EQ(list_->Count(), 1);
        EXPECT_EQ(StatusAt(1), ServerStatus::Online);
        TearDown();
    }
}

// The status was written, then the user deleted the server before its row updates were applied:
// the GUI thread drops them. The waiting worker holds no lock that the delete needs.
TEST_F(ProbeTest, RowUpdateOfAServerDeletedMeanwhileIsDroppedOnTheGuiThread) {
    AddServer("a", "1");
    AddServer("b", "2");
    attempt_->Answer(1, true);
    attempt_->Hold(2);
    Start();
    view_->WaitForPendingUpdate();
    EXPECT_EQ(StatusAt(1), ServerStatus::Online);

    list_->RemoveAt(1);
    view_->Rebuild();
    view_->RunNext(2);     // the image, then the text: both dropped
    attempt_->Release(2);  // b's probe was for position 2, which no longer exists
    workers_.AwaitAll();

    EXPECT_EQ(view_->PendingUpdates(), 0u);
    ASSERT_EQ(view_->rows().size(), 1u);
    EXPECT_EQ(RowAt(0).text, kUnknownText);
    EXPECT_EQ(RowAt(0).imageUpdates + RowAt(0).textUpdates, 0);
    EXPECT_EQ(StatusAt(1), ServerStatus::Unknown);
}

TEST_F(ProbeTest, ServersAddedOrEditedAfterTheStart) {
    AddServer("a", "1");
    attempt_->Hold(1);
    attempt_->Answer(1, true);
    Start();
    attempt_->WaitUntilHeld(1);

    // Edited while its probe waits: the result still lands, as the entry is the same one.
    list_->ReplaceFields(1, "a2", "1", "user2", "secret2", "edited");
    AddServer("added", "5");
    view_->Rebuild();
    attempt_->Release(1);
    view_->RunNext(2);
    workers_.AwaitAll();

    EXPECT_EQ(RowAt(0).text, kOnlineText);
    EXPECT_EQ(StatusAt(1), ServerStatus::Online);
    // The added server is not probed: it keeps the unknown status.
    EXPECT_EQ(RowAt(1).text, kUnknownText);
    EXPECT_EQ(RowAt(1).image, kUnknownImage);
    EXPECT_EQ(StatusAt(2), ServerStatus::Unknown);
    EXPECT_EQ(attempt_->Calls().size(), 1u);

    // Edited after its probe: it keeps the probed status.
    list_->ReplaceFields(1, "a3", "2", "", "", "");
    view_->Rebuild();
    EXPECT_EQ(RowAt(0).text, kOnlineText);
    EXPECT_EQ(RowAt(0).image, kOnlineImage);
}

// Closing the window and ending the program never waits for a worker: the process ends while an
// attempt is still held, and the worker touches nothing released. It runs in a process of its
// own, as it leaves the worker behind.
TEST(ProbeEndDeathTest, ProgramEndsWhileAnAttemptWaits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            auto list = std::make_shared<ServerList>();
            list->Append({"127.0.0.1", "9", "", "", ""});
            auto view = std::make_shared<FakeListView>(list);
            auto attempt = std::make_shared<ScriptedAttempt>();
            attempt->Hold(9);
            ProbeAll(list, view, {DefaultProbeEnvironment().startThread, attempt->Function()});
            attempt->WaitUntilHeld(9);
            if (::testing::Test::HasFailure()) {
                std::_Exit(3);
            }
            // The window closes; the exit clean-up releases the process-wide state.
            view->Close();
            RegisterExitCleanup([&list, &view] {
                list.reset();
                view.reset();
            });
            EndProgram(0);
        },
        ::testing::ExitedWithCode(0), ::testing::Not(::testing::HasSubstr("Sanitizer")));
}

}  // namespace
}  // namespace kestrune
