#pragma once

#include <string>

#include "link/Uniquefd.h"

/// A pseudo-terminal pair. The station serves the non-blocking master; clients open the slave
/// device. The slave is set raw (no echo, no line editing) and one descriptor of it stays open
/// here, so that the master never reads end-of-file or EIO when a client closes.
class Pseudoterminal {
  public:
    /// Throws std::system_error when the system has no pseudo-terminal to give.
    Pseudoterminal();

    int Master() const noexcept { return master_.get(); }
    /// The slave device, for example /dev/pts/3.
    const std::string& SlavePath() const noexcept { return slavePath_; }

  private:
    UniqueFd master_;
    UniqueFd slave_;
    std::string slavePath_;
};
