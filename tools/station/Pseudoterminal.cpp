#include "tools/station/Pseudoterminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>

#include <cerrno>
#include <system_error>

namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

Pseudoterminal::Pseudoterminal() {
    master_.reset(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!master_) Fail("posix_openpt");
    if (::grantpt(master_.get()) != 0) Fail("grantpt");
    if (::unlockpt(master_.get()) != 0) Fail("unlockpt");
    char name[128];
    if (::ptsname_r(master_.get(), name, sizeof name) != 0) Fail("ptsname");
    slavePath_ = name;
    slave_.reset(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!slave_) Fail("open slave");
    termios settings{};
    if (::tcgetattr(slave_.get(), &settings) != 0) Fail("tcgetattr");
    ::cfmakeraw(&settings);
    if (::tcsetattr(slave_.get(), TCSANOW, &settings) != 0) Fail("tcsetattr");
}
