#include <gtest/gtest.h>

#include <cerrno>

#include "link/Portdiagnosis.h"
#include "link/Portreason.h"

namespace {

using Kind = PortReason::Kind;

TEST(PortReason, permissionNamesTheGroupAndWhatToDo) {
    struct Case {
        PortReason::Access access;
        const char* text;
    };
    const Case cases[] = {
        {{.owner = "root", .group = "dialout", .mode = 0660},
         "permission denied: add your user to the group 'dialout' (sudo usermod -aG dialout "
         "$USER), then log in again"},
        {{.owner = "root", .group = "uucp", .mode = 0660, .groupListed = true},
         "permission denied: your user is in the group 'uucp' but this session started before "
         "that; log in again"},
        {{.owner = "root",
          .group = "dialout",
          .mode = 0600,
          .groupInSession = true,
          .groupListed = true},
         "permission denied: the device is root:dialout with mode 0600, which does not let the "
         "group read and write it"},
        {{.owner = "root", .group = "root", .mode = 0600},
         "permission denied: the device is root:root with mode 0600, which does not let the "
         "group read and write it"},
        {{.deviceReadable = false},
         "permission denied: a folder on the way to the device is closed to your user"},
    };
    for (const Case& c : cases) {
        const PortReason reason = PortReason::PermissionDenied(c.access);
        EXPECT_EQ(reason.kind(), Kind::PermissionDenied);
        EXPECT_EQ(reason.text(), c.text);
    }
}

TEST(PortReason, eachKindSaysItInOneLine) {
    struct Case {
        PortReason reason;
        Kind kind;
        const char* text;
    };
    const Case cases[] = {
        {PortReason::Busy({}), Kind::Busy, "in use by another program"},
        {PortReason::Busy({{812, "minicom"}}), Kind::Busy,
         "in use by another program: minicom (PID 812)"},
        {PortReason::Busy({{812, "minicom"}, {900, "screen"}}), Kind::Busy,
         "in use by another program: minicom (PID 812), screen (PID 900)"},
        {PortReason::Missing(), Kind::Missing, "the device is missing"},
        {PortReason::NoAnswer(19200), Kind::NoAnswer, "no answer at 19200 baud"},
        {PortReason::ForeignIdentity("Modem\tv2\r\n"), Kind::ForeignIdentity,
         "not a KRT-51 or KRF-51: \"Modem v2  \""},
        {PortReason::LinkError("Error of command GetInfo:\rinvalid packet."), Kind::LinkError,
         "link error: Error of command GetInfo: invalid packet."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.reason.kind(), c.kind) << c.text;
        EXPECT_EQ(c.reason.text(), c.text);
    }
}

TEST(PortDiagnosis, theOpenErrorNumberTellsTheReason) {
    // No device at this path: the checks that read the device find nothing to read.
    const std::string port = "/nonexistent/ttyUSB0";
    struct Case {
        int osError;
        Kind kind;
    };
    for (const Case& c :
         {Case{ENOENT, Kind::Missing}, Case{ENODEV, Kind::Missing}, Case{ENXIO, Kind::Missing},
          Case{EACCES, Kind::PermissionDenied}, Case{EPERM, Kind::PermissionDenied},
          Case{EBUSY, Kind::Busy}, Case{EWOULDBLOCK, Kind::Busy}, Case{EIO, Kind::LinkError}}) {
        const EPortError error("Port " + port + " open error.", c.osError);
        EXPECT_EQ(DiagnosePortError(port, error, 19200).kind(), c.kind) << c.osError;
    }
    EXPECT_EQ(DiagnosePortError(port, EPortError("Port x setup error.", EIO), 19200).text(),
              "link error: Port x setup error. (Input/output error)");
}

TEST(PortDiagnosis, aSilentLineIsNoAnswerAndAnyOtherLinkErrorIsQuoted) {
    EXPECT_EQ(DiagnosePortError("/dev/ttyS0", EInOutError("No data to receive."), 9600),
              PortReason::NoAnswer(9600));
    EXPECT_EQ(DiagnosePortError("/dev/ttyS0", EInOutError("WAKE CRC error."), 19200),
              PortReason::LinkError("WAKE CRC error."));
}

TEST(PortDiagnosis, lockHoldersAreReadFromProcLocks) {
    const std::string locks =
        "1: FLOCK  ADVISORY  WRITE 4121 00:18:3 0 EOF\n"
        "1: -> FLOCK  ADVISORY  WRITE 5000 00:18:3 0 EOF\n"
        "2: POSIX  ADVISORY  WRITE 733 fd:01:3 0 EOF\n"
        "3: FLOCK  ADVISORY  WRITE 99 00:18:30 0 EOF\n"
        "4: OFDLCK ADVISORY  READ  -1 00:18:3 0 EOF\n"
        "5: FLOCK  ADVISORY  WRITE 4122 00:18:3 0 EOF\n"
        "garbage\n";
    struct Case {
        unsigned major, minor;
        unsigned long inode;
        std::vector<int> pids;
    };
    for (const Case& c : {Case{0, 0x18, 3, {4121, 4122}}, Case{0xfd, 1, 3, {733}},
                          Case{0, 0x18, 30, {99}}, Case{0, 0x18, 4, {}}}) {
        EXPECT_EQ(LockHolders(locks, c.major, c.minor, c.inode), c.pids) << c.inode;
    }
}

}  // namespace
