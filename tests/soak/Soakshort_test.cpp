#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "bench/soak/Soakrun.h"

namespace {

// Long enough for every fault kind and the silent window with the default rates and seed,
// short enough for CI; the five-minute run is `soak` itself.
constexpr std::chrono::seconds ShortSoak{20};

TEST(Soak, recordingThroughEveryLineFaultKeepsOnlySamplesTheStationSentClean) {
    soak::SoakOptions options;
    options.duration = ShortSoak;
    soak::SoakReport report = soak::RunSoak(options);
    std::ostringstream figures;
    soak::PrintReport(figures, report);

    EXPECT_TRUE(report.problems.empty()) << figures.str();
    EXPECT_TRUE(report.mismatches.empty()) << figures.str();
    EXPECT_GT(report.samples, 0) << figures.str();
    for (const char* kind : {"noise", "long noise", "bad CRC", "dropped", "error code",
                             "wrong address", "wrong command", "silent", "noise with FEND", "late"})
        EXPECT_GT(report.faults[kind], 0) << kind << "\n" << figures.str();
    EXPECT_GT(report.offLine, 0) << figures.str();
    EXPECT_GT(report.reconnections, 0) << figures.str();
    EXPECT_GT(report.samplesAfterSilence, 0) << figures.str();
}

}  // namespace
