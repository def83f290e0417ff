#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core/ServerList.h"

namespace kestrune {
namespace {

ServerEntry Server(const std::string& address) {
    return ServerEntry{address, "3389", "user", "pw", "remark of " + address};
}

std::vector<std::string> Addresses(const ServerList& list) {
    std::vector<std::string> out;
    for (const ServerEntry& e : list.Entries()) {
        out.push_back(e.address);
    }
    return out;
}

void AppendAll(ServerList& list, const std::vector<std::string>& addresses) {
    for (const std::string& a : addresses) {
        list.Append(Server(a));
    }
}

using Names = std::vector<std::string>;

TEST(ServerList, NewListIsEmpty) {
    ServerList list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_FALSE(list.SnapshotAt(1).has_value());
    list.RemoveAt(1);
    EXPECT_EQ(list.Count(), 0);
}

TEST(ServerList, AppendKeepsOrderAndRemoveMovesLaterEntriesUp) {
    ServerList list;
    AppendAll(list, {"A", "B", "C"});
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.EntryAt(1).address, "A");
    EXPECT_EQ(list.EntryAt(3).address, "C");
    EXPECT_EQ(list.EntryAt(2), Server("B"));
    EXPECT_EQ(list.EntryAt(2).status, ServerStatus::Unknown);

    list.RemoveAt(2);
    EXPECT_EQ(Addresses(list), (Names{"A", "C"}));
    list.RemoveAt(2);
    list.RemoveAt(1);
    EXPECT_EQ(list.Count(), 0);
}

TEST(ServerList, RemoveAtOutsideTheListChangesNothing) {
    for (int p : {0, -1, -2147483647 - 1, 4, 2147483647}) {
        ServerList list;
        AppendAll(list, {"A", "B", "C"});
        list.RemoveAt(p);
        EXPECT_EQ(Addresses(list), (Names{"A", "B", "C"})) << "position " << p;
    }
}

TEST(ServerList, ReplaceFieldsOverwritesTheTextsAndKeepsTheStatus) {
    ServerList list;
    AppendAll(list, {"A", "B"});
    list.SetStatus(2, ServerStatus::Online);
    list.ReplaceFields(2, "h", "1", "acc", "", "");
    EXPECT_EQ(list.EntryAt(2), (ServerEntry{"h", "1", "acc", "", "", ServerStatus::Online}));
    EXPECT_EQ(list.EntryAt(1), Server("A"));
}

TEST(ServerList, HoldsCopiesOnly) {
    ServerList list;
    ServerEntry mine = Server("A");
    list.Append(mine);
    mine.address = "changed after append";
    ServerEntry copy = list.EntryAt(1);
    copy.remark = "changed copy";
    std::vector<ServerEntry> all = list.Entries();
    all[0].port = "1";
    EXPECT_EQ(list.EntryAt(1), Server("A"));

    // A copy taken earlier does not follow later changes of the list.
    list.SetStatus(1, ServerStatus::Offline);
    EXPECT_EQ(copy.status, ServerStatus::Unknown);
}

TEST(ServerList, AnEntryOfEmptyTextsIsAnEntry) {
    ServerList list;
    list.Append(ServerEntry{});
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.EntryAt(1), ServerEntry{});
}

TEST(ServerList, AStatusLandsOnlyOnTheEntryItWasTakenFrom) {
    ServerList list;
    AppendAll(list, {"A", "B", "C"});
    const EntryId a = list.SnapshotAt(1)->id;
    const EntryId b = list.SnapshotAt(2)->id;
    const EntryId c = list.SnapshotAt(3)->id;
    EXPECT_NE(a, b);
    EXPECT_NE(b, c);

    // Editing keeps the identity.
    list.ReplaceFields(1, "A2", "", "", "", "");
    EXPECT_TRUE(list.Holds(1, a));
    EXPECT_TRUE(list.SetStatusIfSame(1, a, ServerStatus::Online));
    EXPECT_EQ(list.EntryAt(1).status, ServerStatus::Online);

    // B removed: C moves into position 2, and B's result must not land on it.
    list.RemoveAt(2);
    EXPECT_FALSE(list.Holds(2, b));
    EXPECT_FALSE(list.SetStatusIfSame(2, b, ServerStatus::Offline));
    EXPECT_EQ(list.EntryAt(2).status, ServerStatus::Unknown);
    // C's result for its old position 3 is dropped: there is no position 3 any more.
    EXPECT_FALSE(list.SetStatusIfSame(3, c, ServerStatus::Offline));
    EXPECT_EQ(list.Count(), 2);

    // C removed and another entry appended into the same position: a new identity.
    list.RemoveAt(2);
    list.Append(Server("D"));
    EXPECT_FALSE(list.SetStatusIfSame(2, c, ServerStatus::Offline));
    EXPECT_EQ(list.EntryAt(2).status, ServerStatus::Unknown);

    // Identities are never reused, not even by another list.
    ServerList other;
    AppendAll(other, {"A"});
    EXPECT_NE(other.SnapshotAt(1)->id, a);
    EXPECT_FALSE(other.Holds(1, a));
}

TEST(ServerList, SnapshotCarriesTheWholeEntry) {
    ServerList list;
    AppendAll(list, {"A"});
    list.SetStatus(1, ServerStatus::Offline);
    const auto snap = list.SnapshotAt(1);
    ASSERT_TRUE(snap.has_value());
    EXPECT_EQ(snap->entry, list.EntryAt(1));
    EXPECT_FALSE(list.SnapshotAt(0).has_value());
    EXPECT_FALSE(list.SnapshotAt(2).has_value());
}

// Workers do what a probe does (Count, SnapshotAt, SetStatusIfSame) while another thread adds
// and removes entries. ThreadSanitizer checks the accesses; the end state checks that every
// status landed on an entry that was probed.
TEST(ServerList, WorkersAndEditorsMayRunAtTheSameTime) {
    ServerList list;
    AppendAll(list, {"seed-1", "seed-2", "seed-3"});
    std::atomic<bool> editing{true};
    std::vector<std::thread> workers;
    for (int w = 0; w < 3; ++w) {
        workers.emplace_back([&list, &editing] {
            do {
                const int n = list.Count();
                for (int p = 1; p <= n; ++p) {
                    if (const auto snap = list.SnapshotAt(p)) {
                        // Only entries named "probe-me" may end Online.
                        const bool probeable = snap->entry.address.rfind("probe-me", 0) == 0;
                        list.SetStatusIfSame(
                            p, snap->id, probeable ? ServerStatus::Online : ServerStatus::Offline);
                        (void)list.Holds(p, snap->id);
                    }
                }
            } while (editing.load());
        });
    }
    std::thread editor([&list, &editing] {
        for (int i = 0; i < 2000; ++i) {
            list.Append(Server(i % 2 == 0 ? "probe-me" : "other"));
            if (i % 3 == 0) {
                list.RemoveAt(1);
            }
            if (i % 5 == 0) {
                list.ReplaceFields(list.Count(), "probe-me-edited", "", "", "", "");
            }
        }
        editing.store(false);
    });
    editor.join();
    for (std::thread& t : workers) {
        t.join();
    }

    EXPECT_EQ(list.Count(), 3 + 2000 - 667);
    for (const ServerEntry& e : list.Entries()) {
        if (e.status == ServerStatus::Online) {
            EXPECT_EQ(e.address.rfind("probe-me", 0), 0u) << e.address;
        }
    }
}

}  // namespace
}  // namespace kestrune
