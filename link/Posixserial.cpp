#include "link/Posixserial.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "link/Inouterror.h"

namespace {

speed_t SpeedOf(int baud) {
    switch (baud) {
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        default: return B0;
    }
}

}  // namespace

void PosixSerialLine::Fail(const char* what, int osError) const {
    throw EPortError("Port " + name_ + " " + what, osError);
}

void PosixSerialLine::Open(const std::string& name, int baud) {
    Close();
    name_ = name;
    // Only device paths are ports; a bare name would open a file in the working folder.
    if (name.empty() || name.front() != '/') Fail("open error.", ENOENT);
    fd_.reset(::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK));
    if (!fd_) Fail("open error.", errno);
    if (::tcgetattr(fd_.get(), &saved_) != 0) {
        const int error = errno;
        fd_.reset();
        Fail("DCB read error.", error);
    }
    // Another program holding the port makes it busy, as the station can serve only one.
    if (::flock(fd_.get(), LOCK_EX | LOCK_NB) != 0 || ::ioctl(fd_.get(), TIOCEXCL) != 0) {
        // flock says EWOULDBLOCK; either way the port is someone else's.
        fd_.reset();
        Fail("open error.", EBUSY);
    }
    savedValid_ = true;

    termios settings = saved_;
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    settings.c_cflag &= ~(CRTSCTS | CSTOPB | PARENB | CSIZE);
    settings.c_cflag |= CS8;
    settings.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    settings.c_cc[VMIN] = 0;
    settings.c_cc[VTIME] = 0;
    const speed_t speed = SpeedOf(baud);
    if (speed == B0 || ::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0)
        Fail("set baud error.", speed == B0 ? EINVAL : errno);
    if (::tcsetattr(fd_.get(), TCSANOW, &settings) != 0) Fail("setup error.", errno);

    // RTS only while sending: the kernel's RS-485 mode where the driver has it, else by hand.
    rs485_ = false;
    if (::ioctl(fd_.get(), TIOCGRS485, &savedRs485_) == 0) {
        serial_rs485 rs485 = savedRs485_;
        rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
        rs485.flags &= ~SER_RS485_RTS_AFTER_SEND;
        rs485_ = ::ioctl(fd_.get(), TIOCSRS485, &rs485) == 0;
    }
    // A pseudo-terminal has no modem lines; refusing these is not an error.
    int dtr = TIOCM_DTR;
    (void)::ioctl(fd_.get(), TIOCMBIC, &dtr);
    SetRts(false);
    Purge();
}

void PosixSerialLine::Close() noexcept {
    if (!fd_) return;
    if (rs485_) (void)::ioctl(fd_.get(), TIOCSRS485, &savedRs485_);
    SetRts(false);
    if (savedValid_) (void)::tcsetattr(fd_.get(), TCSANOW, &saved_);
    (void)::ioctl(fd_.get(), TIOCNXCL);
    savedValid_ = false;
    rs485_ = false;
    fd_.reset();
}

void PosixSerialLine::SetBaud(int baud) {
    if (!fd_) return;
    termios settings{};
    const speed_t speed = SpeedOf(baud);
    if (speed == B0 || ::tcgetattr(fd_.get(), &settings) != 0 ||
        ::cfsetispeed(&settings, speed) != 0 || ::cfsetospeed(&settings, speed) != 0 ||
        ::tcsetattr(fd_.get(), TCSANOW, &settings) != 0)
        Fail("set baud error.", speed == B0 ? EINVAL : errno);
}

void PosixSerialLine::Purge() {
    if (fd_) (void)::tcflush(fd_.get(), TCIOFLUSH);
}

void PosixSerialLine::SetRts(bool high) noexcept {
    if (!fd_ || rs485_) return;
    int rts = TIOCM_RTS;
    (void)::ioctl(fd_.get(), high ? TIOCMBIS : TIOCMBIC, &rts);
}

bool PosixSerialLine::ReadByte(std::uint8_t& value) {
    if (!fd_) return false;
    pollfd pfd{fd_.get(), POLLIN, 0};
    for (;;) {
        const int ready = ::poll(&pfd, 1, ReadTimeoutMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0 || !(pfd.revents & POLLIN)) return false;
        const ssize_t n = ::read(fd_.get(), &value, 1);
        if (n < 0 && errno == EINTR) continue;
        return n == 1;
    }
}

long PosixSerialLine::Write(const std::uint8_t* data, std::size_t size) {
    if (!fd_) return -1;
    SetRts(true);
    std::size_t written = 0;
    bool failed = false;
    while (written < size) {
        const ssize_t n = ::write(fd_.get(), data + written, size - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd pfd{fd_.get(), POLLOUT, 0};
            if (::poll(&pfd, 1, ReadTimeoutMs) <= 0) {
                failed = true;
                break;
            }
        } else {
            failed = true;
            break;
        }
    }
    // RTS drops only once the last bit has left the shift register.
    (void)::tcdrain(fd_.get());
    SetRts(false);
    return failed && written == 0 ? -1 : static_cast<long>(written);
}
