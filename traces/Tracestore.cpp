#include "traces/Tracestore.h"

#include <algorithm>

namespace {

constexpr int FanTraces[] = {Vset, Vget, Pwm};

bool IsFanTrace(int trace) {
    return std::find(std::begin(FanTraces), std::end(FanTraces), trace) != std::end(FanTraces);
}

}  // namespace

void TraceStore::Clear() noexcept {
    for (auto& column : columns_) column.fill(0);
    count_ = 0;
}

bool TraceStore::Append(const TraceSample& sample, bool withFan) noexcept {
    if (count_ >= TraceCapacity) return false;
    for (int trace = 0; trace < TraceCount; ++trace) {
        // A heater-only station has no fan: those slots keep what they held (0 after Clear).
        if (!withFan && IsFanTrace(trace)) continue;
        columns_[trace][count_] = sample[trace];
    }
    ++count_;
    return true;
}

bool TraceStore::CutLeft(int k) noexcept {
    if (k < 0 || k >= count_) return false;
    const int kept = count_ - k;
    if (k > 0) {
        for (auto& column : columns_) {
            // Overlapping ranges moving down: copying from the front is safe.
            std::copy(column.begin() + k, column.begin() + count_, column.begin());
            std::fill(column.begin() + kept, column.begin() + count_, 0);
        }
    }
    count_ = kept;
    modified_ = true;
    return true;
}

bool TraceStore::CutRight(int k) noexcept {
    if (k < 0 || k >= count_) return false;
    for (auto& column : columns_) std::fill(column.begin() + k + 1, column.begin() + count_, 0);
    count_ = k + 1;
    modified_ = true;
    return true;
}
