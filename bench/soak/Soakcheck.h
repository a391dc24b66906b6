#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "support/Stationprocess.h"
#include "traces/Tracestore.h"

/// Checking a soak run against the station's log: which replies really went out, which were
/// damaged, and whether every recorded sample is one that went out clean.
namespace soak {

/// One line of the station's log and where it ends in the file.
struct LogLine {
    std::size_t end = 0;  ///< byte offset just past the line's newline
    StationLogEntry entry;
};

/// The complete lines of a station log with their end offsets. Throws std::runtime_error on
/// a line that does not parse.
std::vector<LogLine> ParseLog(std::string_view text);

/// A sample as the store held it when it was drawn, and how far the station's log reached
/// at that moment. A reply's log line is written before the reply goes out, so every reply
/// the sample was built from ends at or before `logBytes`.
struct RecordedSample {
    TraceSample values{};
    std::size_t logBytes = 0;
    bool withFan = true;
};

/// Faults the station injected, by kind ("bad CRC", "dropped", ...), from the reply tags.
std::map<std::string, int> CountFaults(const std::vector<LogLine>& log);

/// For each offset into the log (the log's length when the client went off line), the fault
/// of the last reply logged by then, counted by kind; "none" when that reply went out clean.
std::map<std::string, int> AttributeOffLine(const std::vector<LogLine>& log,
                                            const std::vector<std::size_t>& offsets);

/// Requests the station received (frames it counted).
int CountRequests(const std::vector<LogLine>& log);

struct Mismatch {
    int sample = 0;  ///< index among the recorded samples
    std::string why;
};

/// Each sample must hold the fields of the last GetHeat reply (and, with the fan, of the last
/// GetFan reply after it) logged since the previous sample, and those replies must have gone
/// out undamaged. Returns every sample that breaks this.
std::vector<Mismatch> CheckSamples(const std::vector<LogLine>& log,
                                   const std::vector<RecordedSample>& samples);

}  // namespace soak
