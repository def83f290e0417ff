#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "core/Text.h"
#include "platform/ConfigDirectory.h"
#include "platform/FileSystem.h"

namespace kestrune {

namespace {

// The store file: a magic, then for each key its path, the count of its values and each value's
// name, type and data. Every length and count is 32 bits, little endian. Keys are listed
// together with every key on their path.
constexpr std::string_view kMagic = "KRG\x01";
constexpr const char* kStoreName = "/registry";
constexpr const char* kLockName = "/registry.lock";

struct StoredValue {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
};

struct StoredKey {
    std::string path;
    std::vector<StoredValue> values;
};

using Store = std::vector<StoredKey>;

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// ASCII case does not matter; a two-byte character is compared whole, so a second byte in the
// range of the letters is never folded.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = CharLengthAt(a, i);
        if (n != CharLengthAt(b, i)) {
            return false;
        }
        if (n == 1 ? Fold(a[i]) != Fold(b[i]) : a.compare(i, n, b, i, n) != 0) {
            return false;
        }
        i += n;
    }
    return true;
}

// The names of a key path; nothing for an empty path or an empty name (a leading, trailing or
// doubled backslash).
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
    if (path.empty() || FindLastChar(path, '\\') == static_cast<int>(path.size())) {
        return std::nullopt;
    }
    std::vector<std::string> names = SplitText(path, "\\");
    for (const auto& name : names) {
        if (name.empty()) {
            return std::nullopt;
        }
    }
    return names;
}

StoredKey* FindKey(Store& store, std::string_view path) {
    for (auto& key : store) {
        if (SameName(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

StoredValue* FindValue(StoredKey& key, std::string_view name) {
    for (auto& value : key.values) {
        if (SameName(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

class Reader {
public:
    explicit Reader(std::string_view bytes) : rest_(bytes) {}
    bool AtEnd() const { return rest_.empty(); }
    bool Number(std::uint32_t& n) {
        if (rest_.size() < 4) {
            return false;
        }
        n = 0;
        for (int i = 3; i >= 0; --i) {
            n = (n << 8) | static_cast<unsigned char>(rest_[static_cast<std::size_t>(i)]);
        }
        rest_.remove_prefix(4);
        return true;
    }
    bool Bytes(std::string& out) {
        std::uint32_t n = 0;
        if (!Number(n) || n > rest_.size()) {
            return false;
        }
        out.assign(rest_.substr(0, n));
        rest_.remove_prefix(n);
        return true;
    }

private:
    std::string_view rest_;
};

void PutNumber(std::string& out, std::uint32_t n) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    }
}

void PutBytes(std::string& out, std::string_view bytes) {
    PutNumber(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
}

std::optional<Store> Parse(std::string_view bytes) {
    if (bytes.substr(0, kMagic.size()) != kMagic) {
        return std::nullopt;
    }
    Reader reader(bytes.substr(kMagic.size()));
    Store store;
    while (!reader.AtEnd()) {
        StoredKey key;
        std::uint32_t count = 0;
        if (!reader.Bytes(key.path) || !SplitKeyPath(key.path) || !reader.Number(count)) {
            return std::nullopt;
        }
        // Each value takes at least 12 bytes, so a damaged count fails on the reads below long
        // before it could exhaust memory; no reserve from the count.
        for (std::uint32_t i = 0; i < count; ++i) {
            StoredValue value;
            if (!reader.Bytes(value.name) || !reader.Number(value.type) ||
                !reader.Bytes(value.data)) {
                return std::nullopt;
            }
            key.values.push_back(std::move(value));
        }
        store.push_back(std::move(key));
    }
    return store;
}

std::string Serialize(const Store& store) {
    std::string out(kMagic);
    for (const auto& key : store) {
        PutBytes(out, key.path);
        PutNumber(out, static_cast<std::uint32_t>(key.values.size()));
        for (const auto& value : key.values) {
            PutBytes(out, value.name);
            PutNumber(out, value.type);
            PutBytes(out, value.data);
        }
    }
    return out;
}

// The store as it is on disk: empty when the file does not exist yet, nothing when it cannot be
// read or is damaged.
std::optional<Store> Load(const std::string& directory) {
    const std::string path = directory + kStoreName;
    const auto bytes = ReadWholeFile(path);
    if (!bytes) {
        return ::access(path.c_str(), F_OK) != 0 && errno == ENOENT ? std::optional<Store>(Store{})
                                                                    : std::nullopt;
    }
    return Parse(*bytes);
}

// Holds the store's lock for one read-modify-write, so that two processes never lose each
// other's changes.
class StoreLock {
public:
    explicit StoreLock(const std::string& directory)
        : fd_(::open((directory + kLockName).c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC,
                     0600)) {
        while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                ::close(fd_);
                fd_ = -1;
            }
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_;
};

// Runs `change` on the store under the lock and writes the store back when it returns true.
template <typename Change>
bool Modify(Change change) {
    const auto directory = EnsureConfigDirectory();
    if (!directory) {
        return false;
    }
    const StoreLock lock(*directory);
    if (!lock.held()) {
        return false;
    }
    auto store = Load(*directory);
    if (!store || !change(*store)) {
        return false;
    }
    return ReplaceFileAtomically(*directory + kStoreName, Serialize(*store));
}

}  // namespace

std::optional<RegistryKey> RegistryKey::Open(std::string_view path, RegistryAccess access) {
    const auto directory = ConfigDirectoryPath();
    if (!directory || !SplitKeyPath(path)) {
        return std::nullopt;
    }
    auto store = Load(*directory);
    const StoredKey* key = store ? FindKey(*store, path) : nullptr;
    if (key == nullptr) {
        return std::nullopt;
    }
    return RegistryKey(key->path, access == RegistryAccess::Read, access == RegistryAccess::Write);
}

std::optional<RegistryKey> RegistryKey::Create(std::string_view path) {
    const auto names = SplitKeyPath(path);
    if (!names) {
        return std::nullopt;
    }
    std::string stored;
    const bool made = Modify([&](Store& store) {
        std::string prefix;
        for (const auto& name : *names) {
            prefix += prefix.empty() ? name : "\\" + name;
            if (StoredKey* key = FindKey(store, prefix)) {
                prefix = key->path;  // keep the case it was made with
            } else {
                store.push_back(StoredKey{prefix, {}});
            }
        }
        stored = prefix;
        return true;
    });
    if (!made) {
        return std::nullopt;
    }
    return RegistryKey(stored, true, true);
}

std::optional<RegistryValue> RegistryKey::QueryValue(std::string_view name) const {
    const auto directory = ConfigDirectoryPath();
    if (!open_ || !read_ || !directory) {
        return std::nullopt;
    }
    auto store = Load(*directory);
    StoredKey* key = store ? FindKey(*store, path_) : nullptr;
    const StoredValue* value = key != nullptr ? FindValue(*key, name) : nullptr;
    if (value == nullptr) {
        return std::nullopt;
    }
    return RegistryValue{value->type, value->data};
}

bool RegistryKey::SetValue(std::string_view name, RegistryType type, std::string_view data) {
    if (!open_ || !write_) {
        return false;
    }
    return Modify([&](Store& store) {
        StoredKey* key = FindKey(store, path_);
        if (key == nullptr) {
            return false;  // removed since it was opened
        }
        StoredValue* value = FindValue(*key, name);
        if (value == nullptr) {
            key->values.push_back(StoredValue{std::string(name), 0, {}});
            value = &key->values.back();
        }
        value->type = static_cast<std::uint32_t>(type);
        value->data.assign(data);
        return true;
    });
}

bool RegistryKey::SetDword(std::string_view name, std::uint32_t value) {
    std::string data;
    PutNumber(data, value);
    return SetValue(name, RegistryType::Dword, data);
}

}  // namespace kestrune
