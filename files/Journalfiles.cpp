#include "files/Journalfiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "files/Atomicfile.h"

namespace fs = std::filesystem;

namespace journal {
namespace {

constexpr std::string_view DataExtension = ".dat";
constexpr std::string_view EventsExtension = ".events";
constexpr size_t StampLength = 15;   // YYYYMMDD-HHMMSS
constexpr int MaxSameSecond = 100;   // set-asides within one second before giving up
constexpr mode_t FolderMode = 0700;  // recordings are the user's alone

std::string Reason(int error) {
    return std::system_category().message(error);
}

std::string Stamp(std::time_t now) {
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[StampLength + 1];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return text;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// A set-aside journal's name: recording-YYYYMMDD-HHMMSS[-N].dat. The stamp and N sort them.
struct AsideName {
    std::string stamp;
    int number = 1;
    fs::path path;
};

std::optional<AsideName> ParseAside(const fs::path& path) {
    const std::string filename = path.filename().string();
    std::string_view name = filename;
    const std::string prefix = std::string(BaseName) + "-";
    if (!name.starts_with(prefix) || !name.ends_with(DataExtension)) return std::nullopt;
    name.remove_prefix(prefix.size());
    name.remove_suffix(DataExtension.size());
    if (name.size() < StampLength) return std::nullopt;
    const std::string_view stamp = name.substr(0, StampLength);
    if (!AllDigits(stamp.substr(0, 8)) || stamp[8] != '-' || !AllDigits(stamp.substr(9)))
        return std::nullopt;
    AsideName aside{std::string(stamp), 1, path};
    std::string_view rest = name.substr(StampLength);
    if (!rest.empty()) {
        if (rest.front() != '-' || !AllDigits(rest.substr(1))) return std::nullopt;
        rest.remove_prefix(1);
        std::from_chars(rest.data(), rest.data() + rest.size(), aside.number);
    }
    return aside;
}

void Rename(const fs::path& from, const fs::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        throw JournalError("Unable to move " + from.string() + " to " + to.string() + " (" +
                           Reason(errno) + ")");
    }
}

/// Makes every missing folder of `folder` readable by the user alone; folders that exist keep
/// the permissions they have.
void MakeFolders(const fs::path& folder) {
    fs::path path;
    for (const fs::path& part : folder) {
        path /= part;
        if (::mkdir(path.c_str(), FolderMode) == 0 || errno == EEXIST) continue;
        throw JournalError("Unable to make the folder " + path.string() + " (" + Reason(errno) +
                           ")");
    }
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        throw JournalError("Unable to make the folder " + folder.string() + " (" + Reason(ENOTDIR) +
                           ")");
}

/// Cuts the text after its last line end: a row the crash cut short is not a row.
std::string WholeLines(std::string text) {
    const size_t end = text.find_last_of("\r\n");
    text.resize(end == std::string::npos ? 0 : end + 1);
    return text;
}

}  // namespace

fs::path DefaultFolder() {
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state)
        return fs::path(state) / "tavolin";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local" / "state" / "tavolin";
}

Claim Claim::Take(const fs::path& folder) {
    MakeFolders(folder);
    for (int window = 1; window <= MaxWindows; ++window) {
        std::string name(BaseName);
        // Appended piece by piece: GCC 12's -Wrestrict misreads "-" + std::to_string(n) at -O3.
        if (window > 1) {
            name += '-';
            name += std::to_string(window);
        }
        const fs::path lockPath = folder / (name + ".lock");
        // A link planted at the lock's name would make the window create or lock a file of
        // someone else's choosing.
        UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!lock && errno == ELOOP) {
            throw JournalError("Unable to use " + lockPath.string() +
                               ": it is a symbolic link, which is not followed");
        }
        if (!lock) {
            throw JournalError("Unable to open " + lockPath.string() + " (" + Reason(errno) + ")");
        }
        if (::flock(lock.get(), LOCK_EX | LOCK_NB) == 0)
            return Claim(folder, name, std::move(lock));
        if (errno != EWOULDBLOCK) {
            throw JournalError("Unable to lock " + lockPath.string() + " (" + Reason(errno) + ")");
        }
    }
    throw JournalError("Every recording journal in " + folder.string() +
                       " is taken by another window");
}

fs::path MoveAside(const fs::path& file, std::string_view stem, std::time_t now) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const std::string base = std::string(stem) + "-" + Stamp(now);
    const std::string extension = file.extension().string();
    for (int n = 1; n <= MaxSameSecond; ++n) {
        std::string leaf = base;
        if (n > 1) {
            leaf += '-';
            leaf += std::to_string(n);
        }
        const fs::path target = folder / (leaf + extension);
        std::error_code ec;
        if (fs::exists(fs::symlink_status(target, ec))) continue;
        Rename(file, target);
        return target;
    }
    throw JournalError("Unable to move " + file.string() + ": too many files named " + base);
}

fs::path SetAside(const Claim& claim, std::time_t now) {
    const fs::path data = MoveAside(claim.dataFile(), BaseName, now);
    const fs::path events = claim.eventsFile();
    std::error_code ec;
    if (fs::exists(events, ec)) Rename(events, fs::path(data).replace_extension(EventsExtension));
    PruneAside(claim.folder());
    return data;
}

void PruneAside(const fs::path& folder, int keep) {
    std::vector<AsideName> aside;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, ec)) {
        if (auto parsed = ParseAside(entry.path())) aside.push_back(std::move(*parsed));
    }
    std::sort(aside.begin(), aside.end(), [](const AsideName& a, const AsideName& b) {
        return std::tie(a.stamp, a.number) > std::tie(b.stamp, b.number);
    });
    for (size_t i = static_cast<size_t>(std::max(keep, 0)); i < aside.size(); ++i) {
        // A file another process removed first is gone as wanted.
        fs::remove(aside[i].path, ec);
        fs::remove(fs::path(aside[i].path).replace_extension(EventsExtension), ec);
    }
}

Recovered Recover(const fs::path& path, TraceStore& store) {
    Recovered recovered;
    int error = 0;
    std::optional<std::string> text = ReadWholeFile(path, error);
    if (!text) {
        recovered.detail = Reason(error);
        return recovered;
    }
    const datafile::DataFileText file = datafile::CheckHeader(WholeLines(std::move(*text)));
    if (!file.ok) {
        recovered.detail = file.detail;
        return recovered;
    }
    // A damaged row ends the recording there; the store holds the rows before it.
    const datafile::LoadResult load = datafile::LoadRows(file, store);
    recovered.ok = true;
    recovered.detail = load.detail;
    recovered.visible = file.visible;
    recovered.samplePeriodMs = load.samplePeriodMs;
    recovered.rows = store.count();
    return recovered;
}

}  // namespace journal
