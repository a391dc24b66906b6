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
