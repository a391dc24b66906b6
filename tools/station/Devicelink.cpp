#include "tools/station/Devicelink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace {

bool IsLinkTo(const std::string& path, const std::string& target) {
    char buffer[4096];
    const ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer);
    return n >= 0 && std::string(buffer, static_cast<std::size_t>(n)) == target;
}

}  // namespace

DeviceLink::DeviceLink(std::string path, std::string target)
    : path_(std::move(path)), target_(std::move(target)) {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode))
            throw std::system_error(EEXIST, std::generic_category(), path_ + " is not a link");
        if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
            throw std::system_error(errno, std::generic_category(), "unlink " + path_);
    }
    if (::symlink(target_.c_str(), path_.c_str()) != 0)
        throw std::system_error(errno, std::generic_category(), "symlink " + path_);
}

DeviceLink::~DeviceLink() {
    if (IsLinkTo(path_, target_)) (void)::unlink(path_.c_str());
}
