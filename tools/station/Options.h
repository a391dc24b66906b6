#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "link/Records.h"
#include "tools/station/Faults.h"
#include "tools/station/Stationmodel.h"

/// A command line the station cannot run with; the message says which argument.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct StationOptions {
    bool help = false;
    bool version = false;
    std::string link;
    DeviceKind kind = DeviceKind::Krf51;
    std::string identity;  // empty: the model's default
    int wireBaud = 0;      // 0: unpaced
    int turnaroundUs = 0;  // reply delay after a request's last byte, with --wire-baud
    std::uint32_t seed = 1;
    std::string logPath;
    std::optional<int> simStepMs;  // time per request instead of the wall clock
    FaultOptions faults;
    HeaterPlant plant;
};

/// Parses the arguments after the program name. Throws UsageError.
StationOptions ParseStationOptions(const std::vector<std::string>& args);

/// The one-line usage, the full --help text and the --version line.
const char* StationUsage();
const char* StationHelp();
std::string StationVersion();
