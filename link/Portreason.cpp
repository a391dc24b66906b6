#include "link/Portreason.h"

#include <algorithm>
#include <cstdio>

namespace {

// A reason is one line: a tab or line break inside a quoted text would split it.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return text;
}

}  // namespace

PortReason PortReason::PermissionDenied(const Access& access) {
    std::string text = "permission denied: ";
    const std::string group = "'" + access.group + "'";
    if (!access.deviceReadable) {
        text += "a folder on the way to the device is closed to your user";
    } else if (access.groupInSession || (access.mode & 0060) != 0060) {
        // Joining the group would not help: the mode does not give the group read and write.
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", access.mode & 07777);
        text += std::string("the device is ") + access.owner + ":" + access.group + " with mode " +
                mode + ", which does not let the group read and write it";
    } else if (access.groupListed) {
        text += "your user is in the group " + group +
                " but this session started before that; log in again";
    } else {
        text += "add your user to the group " + group + " (sudo usermod -aG " + access.group +
                " $USER), then log in again";
    }
    return {Kind::PermissionDenied, text};
}

PortReason PortReason::Busy(const std::vector<Holder>& holders) {
    std::string text = "in use by another program";
    for (std::size_t i = 0; i < holders.size(); ++i) {
        text += i == 0 ? ": " : ", ";
        text += holders[i].program + " (PID " + std::to_string(holders[i].pid) + ")";
    }
    return {Kind::Busy, text};
}

PortReason PortReason::Missing() {
    return {Kind::Missing, "the device is missing"};
}

PortReason PortReason::NoAnswer(int baud) {
    return {Kind::NoAnswer, "no answer at " + std::to_string(baud) + " baud"};
}

PortReason PortReason::ForeignIdentity(const std::string& identity) {
    return {Kind::ForeignIdentity, "not a KRT-51 or KRF-51: \"" + OneLine(identity) + "\""};
}

PortReason PortReason::LinkError(const std::string& message) {
    return {Kind::LinkError, "link error: " + OneLine(message)};
}
