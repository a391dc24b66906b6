#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <stdexcept>

/// A full disk for this process: files cannot grow beyond `bytes` while the object lives
/// (writes past it fail with EFBIG instead of raising SIGXFSZ). Restores the old limit.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        if (::getrlimit(RLIMIT_FSIZE, &previous_) != 0)
            throw std::runtime_error("getrlimit failed");
        previousHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("setrlimit failed");
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        ::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
    sighandler_t previousHandler_ = SIG_DFL;
};
