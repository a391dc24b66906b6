#pragma once

#include <string>
#include <vector>

/// Why a port has no station, as the last attempt on it found: one line of text for the
/// Connect dialog, the status bar's tool tip and the command-line tool.
class PortReason {
  public:
    enum class Kind { PermissionDenied, Busy, Missing, NoAnswer, ForeignIdentity, LinkError };

    /// How the device's group stands with the user who asked (see DeviceAccess).
    struct Access {
        std::string owner;            ///< the device's owner by name, or its number
        std::string group;            ///< the device's group by name, or its number
        unsigned mode = 0;            ///< permission bits, e.g. 0660
        bool groupInSession = false;  ///< this process already holds the group
        bool groupListed = false;     ///< the group database lists the user in the group
        bool deviceReadable = true;   ///< the device itself could be looked at
    };

    /// A program that has the device open.
    struct Holder {
        int pid = 0;
        std::string program;  ///< its command name, as /proc shows it

        bool operator==(const Holder&) const = default;
    };

    static PortReason PermissionDenied(const Access& access);
    /// `holders` empty when /proc does not tell who holds the device.
    static PortReason Busy(const std::vector<Holder>& holders);
    static PortReason Missing();
    static PortReason NoAnswer(int baud);
    /// `identity` is the text the device answered to GetInfo.
    static PortReason ForeignIdentity(const std::string& identity);
    /// `message` is the link error's own text; its line breaks become spaces.
    static PortReason LinkError(const std::string& message);

    Kind kind() const noexcept { return kind_; }
    /// One line, e.g. "permission denied: add your user to the group 'dialout' ...".
    const std::string& text() const noexcept { return text_; }

    bool operator==(const PortReason&) const = default;

  private:
    PortReason(Kind kind, std::string text) : kind_(kind), text_(std::move(text)) {}

    Kind kind_;
    std::string text_;
};
