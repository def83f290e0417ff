#include "core/ServerList.h"

#include <atomic>
#include <utility>

namespace kestrune {

namespace {
// Process-wide, so that an identity is never reused, not even by another list.
std::atomic<EntryId> nextId{1};
}  // namespace

int ServerList::Count() const {
    std::lock_guard lock(mutex_);
    return static_cast<int>(items_.size());
}

void ServerList::Append(ServerEntry entry) {
    IdentifiedEntry item{nextId.fetch_add(1, std::memory_order_relaxed), std::move(entry)};
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
}

ServerEntry ServerList::EntryAt(int p) const {
    std::lock_guard lock(mutex_);
    return InRange(p) ? At(p).entry : ServerEntry{};
}

void ServerList::ReplaceFields(int p, const std::string& address, const std::string& port,
                               const std::string& account, const std::string& password,
                               const std::string& remark) {
    std::lock_guard lock(mutex_);
    if (!InRange(p)) {
        return;
    }
    ServerEntry& e = At(p).entry;
    e.address = address;
    e.port = port;
    e.account = account;
    e.password = password;
    e.remark = remark;
}

void ServerList::SetStatus(int p, ServerStatus status) {
    std::lock_guard lock(mutex_);
    if (InRange(p)) {
        At(p).entry.status = status;
    }
}

void ServerList::RemoveAt(int p) {
    std::lock_guard lock(mutex_);
    if (InRange(p)) {
        items_.erase(items_.begin() + (p - 1));
    }
}

std::vector<ServerEntry> ServerList::Entries() const {
    std::lock_guard lock(mutex_);
    std::vector<ServerEntry> out;
    out.reserve(items_.size());
    for (const IdentifiedEntry& item : items_) {
        out.push_back(item.entry);
    }
    return out;
}

std::optional<IdentifiedEntry> ServerList::SnapshotAt(int p) const {
    std::lock_guard lock(mutex_);
    if (!InRange(p)) {
        return std::nullopt;
    }
    return At(p);
}

bool ServerList::Holds(int p, EntryId id) const {
    std::lock_guard lock(mutex_);
    return InRange(p) && At(p).id == id;
}

bool ServerList::SetStatusIfSame(int p, EntryId id, ServerStatus status) {
    std::lock_guard lock(mutex_);
    if (!InRange(p) || At(p).id != id) {
        return false;
    }
    At(p).entry.status = status;
    return true;
}

}  // namespace kestrune
