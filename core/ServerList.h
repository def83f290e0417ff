#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace kestrune {

enum class ServerStatus : std::int32_t { Online = 1, Offline = 2, Unknown = 3 };

struct ServerEntry {
    std::string address;
    std::string port;
    std::string account;
    std::string password;
    std::string remark;
    ServerStatus status = ServerStatus::Unknown;

    friend bool operator==(const ServerEntry&, const ServerEntry&) = default;
};

// A private identity of one entry: kept by ReplaceFields, never reused within the process. It
// lets a late status result land only on the entry it was taken from.
using EntryId = std::uint64_t;

struct IdentifiedEntry {
    EntryId id = 0;
    ServerEntry entry;
};

// The ordered, 1-based list of servers. It owns copies: what goes in is copied, what comes out is
// a copy. Every operation takes the list's lock, so probe workers may call Count, EntryAt,
// SnapshotAt and SetStatusIfSame while the GUI thread adds, edits and removes.
class ServerList {
public:
    int Count() const;
    void Append(ServerEntry entry);
    // A copy of the entry at p; an empty Unknown entry when p is outside 1..Count.
    ServerEntry EntryAt(int p) const;
    void ReplaceFields(int p, const std::string& address, const std::string& port,
                       const std::string& account, const std::string& password,
                       const std::string& remark);
    void SetStatus(int p, ServerStatus status);
    void RemoveAt(int p);
    // Copies of all entries in order: the iteration.
    std::vector<ServerEntry> Entries() const;

    // The entry at p together with its identity, or nothing when p is outside 1..Count.
    std::optional<IdentifiedEntry> SnapshotAt(int p) const;
    // True when position p still holds the entry `id`.
    bool Holds(int p, EntryId id) const;
    // Sets the status only when position p still holds the entry `id`; false when dropped.
    bool SetStatusIfSame(int p, EntryId id, ServerStatus status);

private:
    bool InRange(int p) const { return p >= 1 && p <= static_cast<int>(items_.size()); }
    IdentifiedEntry& At(int p) { return items_[static_cast<std::size_t>(p - 1)]; }
    const IdentifiedEntry& At(int p) const { return items_[static_cast<std::size_t>(p - 1)]; }

    mutable std::mutex mutex_;
    std::vector<IdentifiedEntry> items_;
};

}  // namespace kestrune
