#include "tools/cli/Stopsignals.h"

#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace {

timespec Timespec(std::chrono::nanoseconds left) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((left - seconds).count())};
}

}  // namespace

StopSignals::StopSignals() {
    sigemptyset(&stopSet_);
    sigaddset(&stopSet_, SIGINT);
    sigaddset(&stopSet_, SIGTERM);
    const int rc = ::pthread_sigmask(SIG_BLOCK, &stopSet_, &previous_);
    if (rc != 0) throw std::system_error(rc, std::generic_category(), "pthread_sigmask");
}

StopSignals::~StopSignals() {
    // Unblocking a pending SIGINT would kill the process with its default action after its
    // work is done; the user asked it to stop, and it is stopping anyway.
    const timespec now{0, 0};
    while (::sigtimedwait(&stopSet_, nullptr, &now) > 0) {
    }
    ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

bool StopSignals::WaitUntil(Clock::time_point deadline) {
    while (!stopped_) {
        const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
        const timespec timeout = Timespec(left);
        if (::sigtimedwait(&stopSet_, nullptr, &timeout) > 0) {
            stopped_ = true;
            ++count_;
        } else if (errno == EAGAIN) {
            return false;
        } else if (errno != EINTR) {
            throw std::system_error(errno, std::generic_category(), "sigtimedwait");
        }
    }
    return true;
}

bool StopSignals::WaitForNextUntil(Clock::time_point deadline) {
    for (;;) {
        const auto left = std::max(Clock::duration::zero(), deadline - Clock::now());
        const timespec timeout = Timespec(left);
        if (::sigtimedwait(&stopSet_, nullptr, &timeout) > 0) {
            stopped_ = true;
            ++count_;
            return true;
        }
        if (errno == EAGAIN) return false;
        if (errno != EINTR) throw std::system_error(errno, std::generic_category(), "sigtimedwait");
    }
}
