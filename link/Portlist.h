#pragma once

#include <string>
#include <vector>

/// The machine's serial ports: devices under /sys/class/tty that have hardware behind them
/// (legacy ttyS entries without a UART are skipped), plus `extra` names (emulators, virtual
/// ports). /dev/ttyS0 and /dev/ttyS1 when nothing is found. Sorted as text, ignoring case.
std::vector<std::string> ListPorts(const std::vector<std::string>& extra = {},
                                   const std::string& sysClassTty = "/sys/class/tty");

/// Sorts port names as text, ignoring case (ttyUSB10 before ttyUSB2), dropping duplicates.
void SortPortNames(std::vector<std::string>& names);
