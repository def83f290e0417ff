#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kestrune {

// Value types, numbered as the system numbers them.
enum class RegistryType : std::uint32_t {
    None = 0,
    String = 1,
    ExpandString = 2,
    Binary = 3,
    Dword = 4,
    MultiString = 7,
    Qword = 11,
};

struct RegistryValue {
    std::uint32_t type = 0;
    std::string data;
};

enum class RegistryAccess { Read, Write };

// A key of the per-user registry store, which stands in for the current user's hive: one file in
// the user's configuration folder. A key path is names separated by backslashes (stepping by code
// page 936 characters); names are compared without regard to ASCII case, and an empty value name
// is the key's default value. Paths and names are only data: none of them is ever a file path.
// Every change rewrites the file atomically; a damaged file is never used nor replaced, so every
// operation on it fails.
class RegistryKey {
public:
    // An existing key; nothing when it does not exist or the store cannot be read.
    static std::optional<RegistryKey> Open(std::string_view path, RegistryAccess access);
    // The key, made together with every missing key on its path; opened for reading and writing.
    static std::optional<RegistryKey> Create(std::string_view path);

    // The value's type and data; nothing when it does not exist, the key is not open for reading
    // or the store cannot be read.
    std::optional<RegistryValue> QueryValue(std::string_view name) const;
    // Sets (adds or replaces) a value; false when the key is not open for writing, no longer
    // exists, or the store cannot be read or written.
    bool SetValue(std::string_view name, RegistryType type, std::string_view data);
    bool SetDword(std::string_view name, std::uint32_t value);
    void Close() { open_ = false; }

private:
    RegistryKey(std::string path, bool read, bool write)
        : path_(std::move(path)), read_(read), write_(write) {}

    std::string path_;
    bool read_;
    bool write_;
    bool open_ = true;
};

}  // namespace kestrune
