#include "files/Atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr int MaxLinkDepth = 40;      // the kernel's own limit on nested symbolic links
constexpr int MaxNameAttempts = 64;   // names taken by other writers before giving up
constexpr mode_t NewFileMode = 0666;  // narrowed by the umask, like any newly created file
constexpr size_t ReadChunk = 1 << 16;

fs::path FolderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

/// The kernel's protected_symlinks rule, kept also where it is switched off: in a folder that
/// everyone may write to and only owners may delete from (/tmp), a link owned by another user
/// than the folder's owner and this process may have been planted to aim a save elsewhere.
bool PlantedLink(const fs::path& link) {
    struct stat folder {};
    struct stat self {};
    if (::stat(FolderOf(link).c_str(), &folder) != 0 || ::lstat(link.c_str(), &self) != 0)
        return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return shared && self.st_uid != ::geteuid() && self.st_uid != folder.st_uid;
}

fs::path FollowLinks(fs::path path) {
    std::error_code ec;
    for (int depth = 0; depth < MaxLinkDepth && fs::is_symlink(path, ec); ++depth) {
        if (PlantedLink(path)) {
            throw AtomicFileError("Unable to save " + path.string() +
                                  ": a symbolic link another user owns in a shared folder is "
                                  "not followed");
        }
        const fs::path link = fs::read_symlink(path, ec);
        if (ec) break;
        path = link.is_absolute() ? link : path.parent_path() / link;
    }
    return path;
}

/// ".name.tmpPID-N-TICKS": hidden, beside the target, unique among this process's saves.
std::string TempName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string name(".");
    name += target.filename().string();
    name += ".tmp";
    name += std::to_string(::getpid());
    name += '-';
    name += std::to_string(counter++);
    name += '-';
    name += std::to_string(static_cast<unsigned long long>(ticks) % 1000000u);
    return name;
}

}  // namespace

AtomicFile::AtomicFile(const fs::path& target) : target_(FollowLinks(target)) {
    const fs::path folder = FolderOf(target_);
    int error = 0;
    for (int attempt = 0; attempt < MaxNameAttempts; ++attempt) {
        fs::path candidate = folder / TempName(target_);
        const int fd =
            ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NewFileMode);
        if (fd >= 0) {
            fd_.reset(fd);
            temp_ = std::move(candidate);
            break;
        }
        error = errno;
        if (error != EEXIST) break;
    }
    if (!fd_) Fail("cannot create a file in the folder", error);
    struct stat old {};
    // Keep the permissions a user gave the old file; a new file gets the umask's.
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd_.get(), old.st_mode & 07777);
}

AtomicFile::~AtomicFile() {
    if (committed_ || temp_.empty()) return;
    fd_.reset();
    ::unlink(temp_.c_str());
}

void AtomicFile::Write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t written = ::write(fd_.get(), data.data(), data.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            Fail("cannot write", errno);
        }
        data.remove_prefix(static_cast<size_t>(written));
    }
}

void AtomicFile::Commit() {
    if (::fsync(fd_.get()) != 0) Fail("cannot flush", errno);
    if (::close(fd_.release()) != 0) Fail("cannot close", errno);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) Fail("cannot replace", errno);
    committed_ = true;
    // The rename itself is durable only once the folder is flushed. Some file systems refuse
    // fsync on a folder; the new file is in place either way, so that is not a failure.
    UniqueFd folder(::open(FolderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder) ::fsync(folder.get());
}

void AtomicFile::Fail(const char* what, int error) const {
    const std::string reason = std::system_category().message(error);
    throw AtomicFileError(target_.string() + ": " + what + " (" + reason + ")");
}

void WriteFileAtomic(const fs::path& path, std::string_view data) {
    AtomicFile file(path);
    file.Write(data);
    file.Commit();
}

std::optional<std::string> ReadWholeFile(const fs::path& path, int& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        error = errno;
        return std::nullopt;
    }
    std::string text;
    struct stat info {};
    if (::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode))
        text.reserve(static_cast<size_t>(info.st_size));
    char chunk[ReadChunk];
    for (;;) {
        const ssize_t got = ::read(fd.get(), chunk, sizeof chunk);
        if (got == 0) return text;
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            return std::nullopt;
        }
        text.append(chunk, static_cast<size_t>(got));
    }
}
