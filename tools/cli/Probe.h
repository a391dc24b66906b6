#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/Inouterror.h"
#include "link/Wakeport.h"

/// A link error that made the tool fail, with the lines that say why the port holds no
/// station: "<reason>" for the port given, "<port>: <reason>" per port probed.
class CliLinkError : public EInOutError {
  public:
    CliLinkError(const std::string& message, std::vector<std::string> hints)
        : EInOutError(message), hints_(std::move(hints)) {}
    const std::vector<std::string>& hints() const noexcept { return hints_; }

  private:
    std::vector<std::string> hints_;
};

/// The port to connect to: `name` when given, else the first of the machine's ports whose
/// station answers GetInfo. Throws CliLinkError "No station found." when none answers, with
/// each port's reason as a hint.
std::string ChoosePort(TWakePort& port, const std::optional<std::string>& name);
