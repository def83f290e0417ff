#include "platform/FileSystem.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/posix/Descriptor.h"

namespace kestrune {

namespace {

std::atomic<FileStep> injectedFailure{FileStep::None};

bool Fails(FileStep step) {
    return injectedFailure.load() == step;
}

std::string DirectoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows symbolic links so that the file is replaced beside its final target and the link
// keeps pointing at the new content. Nothing for a loop of links: replacing one of its links with
// a file would silently undo the user's setup.
std::optional<std::string> FinalTarget(std::string path) {
    constexpr int kMaxHops = 40;
    for (int hops = 0; hops < kMaxHops; ++hops) {
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
        if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) {
            return path;
        }
        std::string target(buffer, static_cast<std::size_t>(n));
        path = (target.front() == '/') ? target : DirectoryOf(path) + "/" + target;
    }
    return std::nullopt;
}

}  // namespace

void InjectFileFailureForTesting(FileStep step) {
    injectedFailure.store(step);
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // Only a regular file is read: a FIFO would block the reader for good and a device such as
    // /dev/zero would never end. O_NONBLOCK keeps the open itself from waiting for a writer.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    std::string out;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return std::nullopt;
        }
        if (n == 0) {
            return out;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
    const std::optional<std::string> target = FinalTarget(path);
    if (!target) {
        return false;
    }
    const std::string directory = DirectoryOf(*target);
    std::string temporary = *target + ".XXXXXX";
    Descriptor fd(Fails(FileStep::CreateTemporary) ? -1 : ::mkostemp(temporary.data(), O_CLOEXEC));
    if (fd.get() < 0) {
        return false;
    }
    // mkostemp's mode depends on the umask; the settings hold passwords, so owner only, exactly.
    const bool written = ::fchmod(fd.get(), S_IRUSR | S_IWUSR) == 0 && !Fails(FileStep::Write) &&
                         WriteAll(fd.get(), bytes) && !Fails(FileStep::Sync) &&
                         ::fsync(fd.get()) == 0 && fd.Close() && !Fails(FileStep::Rename) &&
                         ::rename(temporary.c_str(), target->c_str()) == 0;
    if (!written) {
        ::unlink(temporary.c_str());
        return false;
    }
    // The new name is in place; the directory sync makes the rename itself durable.
    Descriptor dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return !Fails(FileStep::SyncDirectory) && dir.get() >= 0 && ::fsync(dir.get()) == 0;
}

NewFileResult WriteNewFile(const std::string& path, std::string_view bytes) {
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (fd.get() < 0) {
        return errno == EEXIST ? NewFileResult::Taken : NewFileResult::Failed;
    }
    return WriteAll(fd.get(), bytes) && fd.Close() ? NewFileResult::Written : NewFileResult::Failed;
}

}  // namespace kestrune
