#include "link/Portdiagnosis.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/Wakeframe.h"

namespace fs = std::filesystem;

namespace {

std::string GroupName(gid_t gid) {
    const group* g = ::getgrgid(gid);
    return g ? g->gr_name : std::to_string(gid);
}

std::string UserName(uid_t uid) {
    const passwd* p = ::getpwuid(uid);
    return p ? p->pw_name : std::to_string(uid);
}

bool InSession(gid_t gid) {
    if (::getegid() == gid) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

/// Whether the group database makes the user a member: as the primary group or in the list.
bool Listed(gid_t gid) {
    const passwd* user = ::getpwuid(::geteuid());
    if (!user) return false;
    if (user->pw_gid == gid) return true;
    const std::string name = user->pw_name;
    const group* g = ::getgrgid(gid);
    if (!g) return false;
    for (char** member = g->gr_mem; *member; ++member) {
        if (name == *member) return true;
    }
    return false;
}

std::string ReadLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

bool IsPid(const std::string& name) {
    return !name.empty() &&
           std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

PortReason::Holder HolderOf(const fs::path& proc, int pid) {
    std::string program = ReadLine(proc / std::to_string(pid) / "comm");
    return {pid, program.empty() ? "unknown program" : program};
}

/// Processes other than this one with a descriptor on the character device `device`.
std::vector<int> Openers(const fs::path& proc, dev_t device) {
    std::vector<int> pids;
    const std::string self = std::to_string(::getpid());
    std::error_code ec;
    for (const auto& process : fs::directory_iterator(proc, ec)) {
        const std::string name = process.path().filename().string();
        if (!IsPid(name) || name == self) continue;
        std::error_code fdError;
        for (const auto& fd : fs::directory_iterator(process.path() / "fd", fdError)) {
            struct stat st {};
            if (::stat(fd.path().c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
                st.st_rdev == device) {
                pids.push_back(std::stoi(name));
                break;
            }
        }
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

}  // namespace

std::vector<int> LockHolders(std::string_view locks, unsigned major, unsigned minor,
                             unsigned long inode) {
    // "1: FLOCK  ADVISORY  WRITE 1234 00:18:3 0 EOF"; a blocked waiter's line has "->".
    std::vector<int> pids;
    std::istringstream in{std::string(locks)};
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string number, type, advisory, access, file;
        int pid = 0;
        if (!(fields >> number) || line.find("->") != std::string::npos) continue;
        if (!(fields >> type >> advisory >> access >> pid >> file)) continue;
        unsigned fileMajor = 0, fileMinor = 0;
        unsigned long fileInode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%lu", &fileMajor, &fileMinor, &fileInode) != 3)
            continue;
        if (fileMajor == major && fileMinor == minor && fileInode == inode && pid > 0 &&
            std::find(pids.begin(), pids.end(), pid) == pids.end())
            pids.push_back(pid);
    }
    return pids;
}

std::vector<PortReason::Holder> DeviceHolders(const std::string& port, const std::string& proc) {
    struct stat st {};
    if (::stat(port.c_str(), &st) != 0) return {};
    std::ifstream file(fs::path(proc) / "locks");
    std::ostringstream locks;
    locks << file.rdbuf();
    std::vector<int> pids =
        LockHolders(locks.str(), ::major(st.st_dev), ::minor(st.st_dev), st.st_ino);
    if (pids.empty() && S_ISCHR(st.st_mode)) pids = Openers(proc, st.st_rdev);
    std::vector<PortReason::Holder> holders;
    for (const int pid : pids) holders.push_back(HolderOf(proc, pid));
    return holders;
}

PortReason::Access DeviceAccess(const std::string& port) {
    PortReason::Access access;
    struct stat st {};
    if (::stat(port.c_str(), &st) != 0) {
        access.deviceReadable = false;
        return access;
    }
    access.owner = UserName(st.st_uid);
    access.group = GroupName(st.st_gid);
    access.mode = st.st_mode & 07777;
    access.groupInSession = InSession(st.st_gid);
    access.groupListed = Listed(st.st_gid);
    return access;
}

PortReason DiagnosePortError(const std::string& port, const EInOutError& error, int baud) {
    if (const auto* portError = dynamic_cast<const EPortError*>(&error)) {
        switch (portError->osError()) {
            case ENOENT:
            case ENODEV:
            case ENXIO:
            case ENOTDIR:
                return PortReason::Missing();
            case EACCES:
            case EPERM:
                return PortReason::PermissionDenied(DeviceAccess(port));
            case EBUSY:
            case EWOULDBLOCK:
                return PortReason::Busy(DeviceHolders(port));
            default:
                return PortReason::LinkError(std::string(error.what()) + " (" +
                                             std::strerror(portError->osError()) + ")");
        }
    }
    if (error.what() == std::string_view(wake::NoDataMessage)) return PortReason::NoAnswer(baud);
    return PortReason::LinkError(error.what());
}
