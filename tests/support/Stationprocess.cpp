#include "support/Stationprocess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "link/Inouterror.h"
#include "link/Uniquefd.h"
#include "link/Wakeframe.h"
#include "support/Fakeserialline.h"
#include "support/Runprocess.h"

namespace {

#ifdef TAVOLIN_STATION_BUILT
constexpr const char* BuiltStation = TAVOLIN_STATION_BUILT;
#else
constexpr const char* BuiltStation = nullptr;
#endif

// Bounds a station that never starts; a started one answers in milliseconds.
constexpr std::chrono::seconds StartLimit{20};

std::string TempFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavolin-station-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp: " + std::string(std::strerror(errno)));
    return pattern;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Reads the first line the station prints, up to the deadline; empty at end of file.
std::string ReadFirstLine(int fd, std::chrono::steady_clock::time_point deadline) {
    std::string line;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd pfd{fd, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, std::max<int>(0, static_cast<int>(left.count())));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return {};
        char c = 0;
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return {};
        if (c == '\n') return line;
        line += c;
    }
}

int ParseHexByte(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (ec != std::errc() || end != text.data() + text.size() || text.size() != 2)
        throw std::runtime_error("station log: not a hex byte: " + std::string(text));
    return value;
}

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto end = std::min(text.find(' ', begin), text.size());
        if (end > begin) words.push_back(text.substr(begin, end - begin));
        begin = end + 1;
    }
    return words;
}

/// The data of a logged frame, decoded by the link's own reader.
std::optional<std::vector<std::uint8_t>> DecodeFrame(const std::vector<std::uint8_t>& frame) {
    if (frame.empty()) return std::nullopt;
    FakeSerialLine line;
    line.script()->Feed(frame);
    std::uint8_t data[wake::MaxData];
    try {
        const wake::Frame f = wake::ReceiveFrame(line, data);
        return std::vector<std::uint8_t>(data, data + f.count);
    } catch (const EInOutError&) {
        return std::nullopt;
    }
}

StationLogEntry ParseLine(std::string_view line) {
    const auto bar = line.find(" |");
    const auto words = Words(line.substr(0, bar));
    if (words.size() < 2 || (words[0] != "RX" && words[0] != "TX"))
        throw std::runtime_error("station log: bad line: " + std::string(line));
    StationLogEntry e;
    e.direction =
        words[0] == "RX" ? StationLogEntry::Direction::Rx : StationLogEntry::Direction::Tx;
    e.command = words[1] == "--" ? -1 : ParseHexByte(words[1]);
    for (std::size_t i = 2; i < words.size(); ++i) {
        if (words[i].rfind("N=", 0) == 0) {
            std::from_chars(words[i].data() + 2, words[i].data() + words[i].size(), e.request);
        } else if (words[i].rfind("T=", 0) == 0) {
            double ms = 0;
            const auto end = words[i].data() + words[i].size();
            if (std::from_chars(words[i].data() + 2, end, ms).ptr != end)
                throw std::runtime_error("station log: bad time: " + std::string(line));
            e.timeMs = ms;
        } else {
            e.tags.emplace_back(words[i]);
        }
    }
    if (bar != std::string_view::npos) {
        for (const auto word : Words(line.substr(bar + 2)))
            e.frame.push_back(static_cast<std::uint8_t>(ParseHexByte(word)));
    }
    e.data = DecodeFrame(e.frame);
    return e;
}

}  // namespace

bool StationLogEntry::Has(std::string_view name) const {
    return std::any_of(tags.begin(), tags.end(), [&](const std::string& tag) {
        return tag == name || (tag.size() > name.size() && tag.compare(0, name.size(), name) == 0 &&
                               tag[name.size()] == '=');
    });
}

std::optional<std::string> StationLogEntry::Value(std::string_view name) const {
    for (const auto& tag : tags) {
        if (tag.size() > name.size() && tag.compare(0, name.size(), name) == 0 &&
            tag[name.size()] == '=')
            return tag.substr(name.size() + 1);
    }
    return std::nullopt;
}

std::vector<StationLogEntry> ParseStationLog(std::string_view text) {
    std::vector<StationLogEntry> entries;
    std::size_t begin = 0;
    for (auto end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', begin)) {
        entries.push_back(ParseLine(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return entries;
}

std::string StationProcess::Executable() {
    return ToolPath("TAVOLIN_STATION", BuiltStation);
}

StationProcess::StationProcess(StationConfig config) {
    const std::string exe = Executable();
    folder_ = TempFolder();
    try {
        Start(exe, config);
    } catch (...) {
        if (pid_ > 0) Stop();
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
        throw;
    }
}

void StationProcess::Start(const std::string& exe, const StationConfig& config) {
    link_ = config.link.empty() ? folder_ + "/link" : config.link;
    logPath_ = folder_ + "/station.log";
    errPath_ = folder_ + "/stderr.txt";
    std::vector<std::string> args{"--link", link_, "--log", logPath_, "--model", config.model};
    if (!config.identity.empty()) args.insert(args.end(), {"--identity", config.identity});
    args.insert(args.end(), config.extra.begin(), config.extra.end());

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);
    const UniqueFd err(::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    pid_ = SpawnProcess(exe, args, writeEnd.get(), err.get());
    writeEnd.reset();
    device_ = ReadFirstLine(readEnd.get(), std::chrono::steady_clock::now() + StartLimit);
    if (device_.empty()) {
        const int code = Stop();
        throw std::runtime_error("tavolin-station did not start (exit " + std::to_string(code) +
                                 "): " + Stderr());
    }
}

StationProcess::~StationProcess() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
}

int StationProcess::Stop() {
    if (exitCode_) return *exitCode_;
    ::kill(pid_, SIGTERM);
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    exitCode_ = ExitCodeOf(status);
    return *exitCode_;
}

std::vector<StationLogEntry> StationProcess::Log() const {
    return ParseStationLog(ReadFile(logPath_));
}

std::vector<StationLogEntry> StationProcess::Received() const {
    auto entries = Log();
    std::erase_if(entries,
                  [](const auto& e) { return e.direction != StationLogEntry::Direction::Rx; });
    return entries;
}

std::vector<StationLogEntry> StationProcess::Sent() const {
    auto entries = Log();
    std::erase_if(entries,
                  [](const auto& e) { return e.direction != StationLogEntry::Direction::Tx; });
    return entries;
}

std::string StationProcess::Stderr() const {
    return ReadFile(errPath_);
}

std::optional<StationLogEntry> StationProcess::WaitForEntry(
    const std::function<bool(const StationLogEntry&)>& match,
    std::chrono::milliseconds limit) const {
    const UniqueFd watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    if (!watch || ::inotify_add_watch(watch.get(), logPath_.c_str(), IN_MODIFY) < 0)
        throw std::runtime_error("inotify on " + logPath_ + ": " + std::strerror(errno));
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        // The watch is in place before the log is read, so no change can slip between them.
        for (const auto& entry : Log()) {
            if (match(entry)) return entry;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd pfd{watch.get(), POLLIN, 0};
        if (::poll(&pfd, 1, static_cast<int>(left.count())) > 0) {
            char events[4096];
            while (::read(watch.get(), events, sizeof events) > 0) {
            }
        }
    }
}
