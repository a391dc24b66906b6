#pragma once

#include <QTest>

#include <chrono>

/// Runs the event loop until `condition` holds or `timeout` has passed, and says whether it
/// holds. QTest's QTRY_ macros are no use in a GoogleTest test: on a time-out they write to
/// QTest's own log and leave the test function, so the test passes having checked nothing.
template <class Condition>
[[nodiscard]] bool Eventually(Condition condition,
                              std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
    return QTest::qWaitFor(condition, static_cast<int>(timeout.count()));
}
