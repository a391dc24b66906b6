#include "tools/station/Stationlog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <system_error>

std::string Hex2(unsigned value) {
    static constexpr char Digits[] = "0123456789ABCDEF";
    return {Digits[(value >> 4) & 0xF], Digits[value & 0xF]};
}

StationLog::StationLog(const std::string& path) {
    if (path.empty()) return;
    fd_.reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644));
    if (!fd_) throw std::system_error(errno, std::generic_category(), "open " + path);
}

void StationLog::Rx(int command, const std::vector<std::string>& tags, const Bytes& frame) {
    Write("RX", command, tags, frame);
}

void StationLog::Tx(int command, const std::vector<std::string>& tags, const Bytes& frame) {
    Write("TX", command, tags, frame);
}

void StationLog::Write(const char* direction, int command, const std::vector<std::string>& tags,
                       const Bytes& frame) {
    if (!fd_) return;
    std::string line = direction;
    line += ' ';
    line += command == NoCommand ? std::string("--") : Hex2(static_cast<unsigned>(command));
    for (const auto& tag : tags) line += ' ' + tag;
    // Microsecond resolution: the tests measure the poll's spacing from these times.
    const std::chrono::duration<double, std::milli> at = std::chrono::steady_clock::now() - opened_;
    char time[32];
    const auto end =
        std::to_chars(time, time + sizeof time, at.count(), std::chars_format::fixed, 3).ptr;
    line += " T=" + std::string(time, end);
    if (!frame.empty()) {
        line += " |";
        for (const auto b : frame) line += ' ' + Hex2(b);
    }
    line += '\n';
    // A log that cannot be written must not stop the station serving.
    std::size_t written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(fd_.get(), line.data() + written, line.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        written += static_cast<std::size_t>(n);
    }
}
