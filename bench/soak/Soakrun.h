#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "bench/soak/Soakcheck.h"

namespace soak {

/// Per-reply probabilities of the station's faults.
struct FaultRates {
    double noise = 0.05;  ///< harmless: noise bytes before a good frame
    double noiseLong = 0.005;
    double badCrc = 0.005;
    double drop = 0.005;
    int errorCode = 2;  ///< busy
    double errorRate = 0.005;
    double wrongAddress = 0.005;
    double wrongCommand = 0.005;
    double fendNoise = 0.02;  ///< harmless too: a frame start in the noise, cut by the reply
    double late = 0.005;      ///< the reply comes after the client gave up on it ...
    int lateMs = 150;         ///< ... by this much, while the next request waits
};

struct SoakOptions {
    std::chrono::seconds duration{300};
    std::chrono::milliseconds period{20};
    std::uint32_t seed = 1;
    std::string model = "KRF-51";
    int wireBaud = 19200;  ///< 0: the station answers unpaced
    FaultRates faults;
};

/// Requests the station leaves unanswered, as an unplugged station would.
struct SilentWindow {
    int first = 0;
    int last = 0;
};

/// The window a run of `options` gets: about a third into the run, for about one request in
/// fifty of the ticks planned.
SilentWindow SilentWindowFor(const SoakOptions& options);

/// The station's command line options for `options`.
std::vector<std::string> StationArguments(const SoakOptions& options, SilentWindow silent);

struct SoakReport {
    SoakOptions options;
    SilentWindow silent;
    int ticks = 0;
    int requests = 0;
    int samples = 0;
    std::map<std::string, int> faults;  ///< by kind, from the station's log
    /// Samples recorded after the station's last silent reply: it came back.
    int samplesAfterSilence = 0;
    int offLine = 0;
    /// Times off line by the fault of the last reply before it; "none" when that reply went
    /// out clean, which is what a stale reply taken for a fresh one would cost.
    std::map<std::string, int> offLineByFault;
    int reconnections = 0;
    std::vector<Mismatch> mismatches;
    /// Anything else that went wrong: the station's exit, the loop stopping, the store.
    std::vector<std::string> problems;

    bool ok() const noexcept { return mismatches.empty() && problems.empty(); }
};

/// Runs the acquisition core, recording, against the station emulator with every fault on
/// for `options.duration`, then checks every recorded sample against the station's log.
/// Throws std::runtime_error when the station does not start.
SoakReport RunSoak(const SoakOptions& options);

/// The figures, one per line, and the first mismatches and problems.
void PrintReport(std::ostream& out, const SoakReport& report);

}  // namespace soak
