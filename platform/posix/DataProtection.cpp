#include "platform/DataProtection.h"

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/ConfigDirectory.h"
#include "platform/posix/Descriptor.h"

namespace kestrune {

namespace {

constexpr unsigned char kFormatVersion = 1;
constexpr std::size_t kKeyBytes = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr std::size_t kNonceBytes = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
constexpr std::size_t kTagBytes = crypto_aead_xchacha20poly1305_ietf_ABYTES;
// Version byte and the description's length in bytes (32 bits, little endian).
constexpr std::size_t kFixedHeaderBytes = 5;
constexpr const char* kKeyFileName = "/protection.key";

// Wipes the key on every way out of scope.
struct Key {
    std::array<unsigned char, kKeyBytes> bytes{};
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() { sodium_memzero(bytes.data(), bytes.size()); }
};

enum class ReadResult { Ok, Absent, Unusable };

// Reads a key file of exactly kKeyBytes. A link, a non-regular file or a file of another size is
// unusable: it is neither read nor replaced, since replacing it would lose every stored blob.
ReadResult ReadKey(const std::string& path, Key& key) {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        return errno == ENOENT ? ReadResult::Absent : ReadResult::Unusable;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size != static_cast<off_t>(kKeyBytes)) {
        return ReadResult::Unusable;
    }
    std::size_t got = 0;
    while (got < kKeyBytes) {
        const ssize_t n = ::read(fd.get(), key.bytes.data() + got, kKeyBytes - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return ReadResult::Unusable;
        }
        got += static_cast<std::size_t>(n);
    }
    return ReadResult::Ok;
}

// Makes a new key beside `path` and links it into place. When another process linked its key
// first, link fails with EEXIST and the caller reads back that key instead, so two processes
// never hold different keys.
void CreateKey(const std::string& directory, const std::string& path) {
    Key key;
    randombytes_buf(key.bytes.data(), key.bytes.size());
    std::string temporary = directory + "/.protection.key.XXXXXX";
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));  // mode 0600
    if (fd.get() < 0) {
        return;
    }
    const bool written =
        ::fchmod(fd.get(), 0600) == 0 &&
        WriteAll(fd.get(), {reinterpret_cast<const char*>(key.bytes.data()), key.bytes.size()});
    if (written && ::fsync(fd.get()) == 0) {
        ::link(temporary.c_str(), path.c_str());
        Descriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) {
            ::fsync(dir.get());
        }
    }
    ::unlink(temporary.c_str());
}

bool LoadKey(Key& key) {
    if (sodium_init() < 0) {
        return false;
    }
    const auto directory = EnsureConfigDirectory();
    if (!directory) {
        return false;
    }
    const std::string path = *directory + kKeyFileName;
    switch (ReadKey(path, key)) {
        case ReadResult::Ok:
            return true;
        case ReadResult::Unusable:
            return false;
        case ReadResult::Absent:
            break;
    }
    CreateKey(*directory, path);
    return ReadKey(path, key) == ReadResult::Ok;
}

const unsigned char* Bytes(std::string_view s) {
    return reinterpret_cast<const unsigned char*>(s.data());
}

unsigned char* Bytes(std::string& s) {
    return reinterpret_cast<unsigned char*>(s.data());
}

}  // namespace

std::optional<std::string> ProtectData(std::string_view data, std::u16string_view description) {
    Key key;
    if (!LoadKey(key) || description.size() > UINT32_MAX / 2) {
        return std::nullopt;
    }
    // Header: version, description length, description in UTF-16LE. It is the additional data,
    // so it cannot be changed without the blob failing to open.
    std::string blob;
    const auto descriptionBytes = static_cast<std::uint32_t>(description.size() * 2);
    blob.push_back(static_cast<char>(kFormatVersion));
    for (int shift = 0; shift < 32; shift += 8) {
        blob.push_back(static_cast<char>((descriptionBytes >> shift) & 0xFF));
    }
    for (const char16_t unit : description) {
        blob.push_back(static_cast<char>(unit & 0xFF));
        blob.push_back(static_cast<char>(unit >> 8));
    }
    const std::size_t headerBytes = blob.size();
    blob.resize(headerBytes + kNonceBytes + data.size() + kTagBytes);
    unsigned char* nonce = Bytes(blob) + headerBytes;
    randombytes_buf(nonce, kNonceBytes);
    unsigned long long cipherBytes = 0;
    if (crypto_aead_xchacha20poly1305_ietf_encrypt(nonce + kNonceBytes, &cipherBytes, Bytes(data),
                                                   data.size(), Bytes(blob), headerBytes, nullptr,
                                                   nonce, key.bytes.data()) != 0) {
        return std::nullopt;
    }
    blob.resize(headerBytes + kNonceBytes + cipherBytes);
    return blob;
}

std::optional<std::string> UnprotectData(std::string_view blob) {
    if (blob.size() < kFixedHeaderBytes || static_cast<unsigned char>(blob[0]) != kFormatVersion) {
        return std::nullopt;
    }
    std::size_t descriptionBytes = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        descriptionBytes |= static_cast<std::size_t>(static_cast<unsigned char>(blob[1 + i]))
                            << (8 * i);
    }
    const std::size_t headerBytes = kFixedHeaderBytes + descriptionBytes;
    if (descriptionBytes > blob.size() || blob.size() - descriptionBytes < kFixedHeaderBytes ||
        blob.size() - headerBytes < kNonceBytes + kTagBytes) {
        return std::nullopt;
    }
    Key key;
    if (!LoadKey(key)) {
        return std::nullopt;
    }
    const unsigned char* nonce = Bytes(blob) + headerBytes;
    const std::size_t cipherBytes = blob.size() - headerBytes - kNonceBytes;
    std::string data(cipherBytes - kTagBytes, '\0');
    unsigned long long dataBytes = 0;
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(Bytes(data), &dataBytes, nullptr,
                                                   nonce + kNonceBytes, cipherBytes, Bytes(blob),
                                                   headerBytes, nonce, key.bytes.data()) != 0) {
        sodium_memzero(data.data(), data.size());
        return std::nullopt;
    }
    data.resize(dataBytes);
    return data;
}

}  // namespace kestrune
