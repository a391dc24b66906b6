#pragma once

#include <stdexcept>
#include <string>

#include "link/Linkcounts.h"

/// Every failure of the station link: the message is the exact text shown to the user.
class EInOutError : public std::runtime_error {
  public:
    explicit EInOutError(const std::string& message) : std::runtime_error(message) {}
};

/// A failure of the line or of a frame on it, with what it means for the link's counts.
class ELinkFault : public EInOutError {
  public:
    ELinkFault(const std::string& message, LinkOutcome outcome)
        : EInOutError(message), outcome_(outcome) {}
    LinkOutcome outcome() const noexcept { return outcome_; }

  private:
    LinkOutcome outcome_;
};

/// A port that could not be opened or set up. The message stays the link's own ("Port <name>
/// open error."); the system's error number rides along so that the reason can be told.
class EPortError : public EInOutError {
  public:
    EPortError(const std::string& message, int osError) : EInOutError(message), osError_(osError) {}
    /// The errno of the failed call.
    int osError() const noexcept { return osError_; }

  private:
    int osError_;
};
