#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "link/Uniquefd.h"

/// A failed atomic save. The message is "Unable to save " and the reason: the file, the step
/// that failed and the system's reason, e.g. "/a/log.dat: cannot write (No space left on
/// device)".
class AtomicFileError : public std::runtime_error {
  public:
    explicit AtomicFileError(const std::string& reason)
        : std::runtime_error("Unable to save " + reason), reason_(reason) {}
    const std::string& reason() const noexcept { return reason_; }

  private:
    std::string reason_;
};

/// Replaces a file as a whole, so that a failed save never destroys the previous file: the new
/// contents go to a temporary file in the target's folder, which is flushed to disk and then
/// renamed over the target. Until Commit succeeds the target is untouched; a temporary file that
/// was not committed is removed when the object goes.
class AtomicFile {
  public:
    /// Creates the temporary file beside `target`. A symbolic link is followed, so the file it
    /// points to is the one replaced, except one in a sticky folder that everyone may write to
    /// whose owner is neither this process nor the folder's owner. An existing target's
    /// permission bits carry over. Throws AtomicFileError when such a link is met or the
    /// temporary file cannot be created.
    explicit AtomicFile(const std::filesystem::path& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    /// Appends `data` to the new contents. Throws AtomicFileError.
    void Write(std::string_view data);
    /// Flushes the new contents to disk and renames them over the target. Throws
    /// AtomicFileError; the target is then as it was before. Call at most once.
    void Commit();

    /// The file that Commit replaces (after following symbolic links).
    const std::filesystem::path& target() const noexcept { return target_; }

  private:
    [[noreturn]] void Fail(const char* what, int error) const;

    std::filesystem::path target_;
    std::filesystem::path temp_;
    UniqueFd fd_;
    bool committed_ = false;
};

/// Writes `data` as the whole new contents of `path` through an AtomicFile.
/// Throws AtomicFileError; `path` is then as it was before.
void WriteFileAtomic(const std::filesystem::path& path, std::string_view data);

/// Reads the whole of `path`. Empty with `error` set to the errno value when it cannot be
/// opened or read (a folder cannot be read).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, int& error);
