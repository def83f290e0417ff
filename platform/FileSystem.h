#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kestrune {

// The whole file, or nothing when it cannot be opened or read or is not a regular file.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces `path` atomically with `bytes`, mode 0600: a temporary file beside it (beside its
// target when `path` is a symbolic link), written, synced, renamed into place, and the directory
// synced. On any failure the temporary file is removed, the old file stays whole, and the result
// is false; a loop of symbolic links is such a failure. A failure of the last step (the directory
// sync) comes after the rename: the new file is in place, yet its durability is not assured, so
// the result is false too.
bool ReplaceFileAtomically(const std::string& path, std::string_view bytes);

// Creates `path` as a new file, mode 0600, never through an existing file or link, and writes
// `bytes` to it. Taken when the name exists already, as a file, a directory or a link.
enum class NewFileResult { Written, Taken, Failed };
NewFileResult WriteNewFile(const std::string& path, std::string_view bytes);

// The steps of ReplaceFileAtomically, so that a test can make one of them fail.
enum class FileStep { None, CreateTemporary, Write, Sync, Rename, SyncDirectory };
void InjectFileFailureForTesting(FileStep step);

}  // namespace kestrune
