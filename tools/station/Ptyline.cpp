#include "tools/station/Ptyline.h"

#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

void PtyLine::Purge() {
    (void)::tcflush(master_, TCIOFLUSH);
}

bool PtyLine::ReadByte(std::uint8_t& value) {
    if (stopped_) return false;
    pollfd fds[2] = {{master_, POLLIN, 0}, {stop_, POLLIN, 0}};
    const nfds_t count = stop_ >= 0 ? 2 : 1;
    for (;;) {
        const int ready = ::poll(fds, count, ReadTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        if (count == 2 && (fds[1].revents & POLLIN)) {
            stopped_ = true;
            return false;
        }
        if (!(fds[0].revents & POLLIN)) return false;
        const ssize_t n = ::read(master_, &value, 1);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n != 1) return false;
        if (captured_.empty()) firstRead_ = std::chrono::steady_clock::now();
        captured_.push_back(value);
        return true;
    }
}

bool PtyLine::WaitWritable() {
    pollfd pfd{master_, POLLOUT, 0};
    for (;;) {
        const int ready = ::poll(&pfd, 1, WriteTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0 && (pfd.revents & POLLOUT);
    }
}

long PtyLine::WriteAll(const std::uint8_t* data, std::size_t size) {
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(master_, data + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            // Nobody drains the terminal: give the reply up rather than hang the station.
            if (!WaitWritable()) break;
        } else {
            break;
        }
    }
    return written == 0 && size != 0 ? -1 : static_cast<long>(written);
}

long PtyLine::WritePaced(const std::uint8_t* data, std::size_t size) {
    using namespace std::chrono;
    const nanoseconds byte(1'000'000'000LL * BitsPerByte / baud_);
    // A pseudo-terminal hands the whole request over at once; on the line its last byte
    // arrives one byte time per byte after its first.
    auto start = steady_clock::now();
    if (!captured_.empty())
        start =
            std::max(start, firstRead_ + byte * static_cast<long>(captured_.size()) + turnaround_);
    // steady_clock is CLOCK_MONOTONIC on Linux.
    const nanoseconds since = duration_cast<nanoseconds>(start.time_since_epoch()) + byte;
    timespec due{};
    due.tv_sec = static_cast<time_t>(since.count() / 1'000'000'000LL);
    due.tv_nsec = static_cast<long>(since.count() % 1'000'000'000LL);
    const long long byteNs = byte.count();
    for (std::size_t i = 0; i < size; ++i) {
        // Absolute deadlines keep the rate exact however long each write takes.
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr) == EINTR) {
        }
        if (WriteAll(data + i, 1) != 1) return i == 0 ? -1 : static_cast<long>(i);
        due.tv_nsec += byteNs;
        due.tv_sec += due.tv_nsec / 1'000'000'000LL;
        due.tv_nsec %= 1'000'000'000LL;
    }
    return static_cast<long>(size);
}

long PtyLine::Write(const std::uint8_t* data, std::size_t size) {
    return baud_ > 0 ? WritePaced(data, size) : WriteAll(data, size);
}
