// The line time of one poll per model, from the command table, and the periods it rules out.
#include <gtest/gtest.h>

#include "core/Polltime.h"

namespace {

TEST(PollTime, eachModelsPollFromTheCommandTable) {
    struct Case {
        DeviceKind kind;
        std::size_t transactions;
        int bytes;      // frames of 4 bytes around the data, the reply's error code
        double lineMs;  // 10 bits a byte at 19200 baud
    };
    const Case cases[] = {
        {DeviceKind::None, 0, 0, 0.0},
        {DeviceKind::Krt51, 1, 4 + 4 + 1 + 12, 21 * 10 / 19.2},
        {DeviceKind::Krf51, 2, 4 + 4 + 1 + 12 + 4 + 4 + 1 + 5, 35 * 10 / 19.2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ModelName(c.kind));
        EXPECT_EQ(polltime::PollCommands(c.kind).size(), c.transactions);
        EXPECT_EQ(polltime::PollBytes(c.kind), c.bytes);
        EXPECT_DOUBLE_EQ(polltime::PollLineMs(c.kind), c.lineMs);
        EXPECT_DOUBLE_EQ(polltime::ShortestPeriodMs(c.kind),
                         c.lineMs + polltime::TurnaroundMarginMs * c.transactions);
    }
}

TEST(PollTime, onlyAKrf51At20MsIsTooFastAmongTheOfferedPeriods) {
    struct Case {
        int periodMs;
        DeviceKind kind;
        bool tooFast;
    };
    const Case cases[] = {
        {20, DeviceKind::Krf51, true},  {21, DeviceKind::Krf51, false},
        {40, DeviceKind::Krf51, false}, {20, DeviceKind::Krt51, false},
        {11, DeviceKind::Krt51, true},  {12, DeviceKind::Krt51, false},
        {20, DeviceKind::None, false},  {1, DeviceKind::None, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(polltime::TooFast(c.periodMs, c.kind), c.tooFast)
            << c.periodMs << " ms, " << ModelName(c.kind);
}

}  // namespace
