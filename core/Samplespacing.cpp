#include "core/Samplespacing.h"

#include <algorithm>
#include <cmath>

namespace {

using Milliseconds = std::chrono::duration<double, std::milli>;

}  // namespace

void SampleSpacing::Begin(int setPeriodMs) {
    *this = SampleSpacing();
    setPeriodMs_ = setPeriodMs;
}

void SampleSpacing::Appended(Clock::time_point tickStart) {
    if (hasLast_ && tickStart > last_) {
        const double gapMs = Milliseconds(tickStart - last_).count();
        total_ += tickStart - last_;
        ++gaps_;
        if (gapMs > setPeriodMs_ * (1 + KeptTolerance)) ++overruns_;
    }
    last_ = tickStart;
    hasLast_ = true;
}

double SampleSpacing::meanMs() const noexcept {
    if (gaps_ == 0) return setPeriodMs_;
    return Milliseconds(total_).count() / gaps_;
}

bool SampleSpacing::kept() const noexcept {
    const double driftMs = std::abs(meanMs() - setPeriodMs_) * gaps_;
    return driftMs <= std::max(setPeriodMs_ * KeptTolerance * gaps_, SpanJitterMs);
}

int SampleSpacing::recordPeriodMs() const noexcept {
    if (kept()) return setPeriodMs_;
    return std::max(1, static_cast<int>(std::lround(meanMs())));
}
