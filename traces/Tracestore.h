#pragma once

#include <array>
#include <cstdint>
#include <string_view>

/// The nine traces, in storage order: the order of the data file's columns, of the graph's
/// drawing passes and of the cursor readout.
enum Trace : int { Tset, Tget, Tcj, Power, Vset, Vget, Pwm, PllErr, PllPer };
inline constexpr int TraceCount = 9;
/// Sample indices 0..18000.
inline constexpr int TraceCapacity = 18001;

/// Column keys as the data file's header spells them.
inline constexpr std::array<std::string_view, TraceCount> TraceKeys = {
    "Tset", "Tget", "Tcj", "Power", "Vset", "Vget", "Pwm", "PllErr", "PllPer"};

/// One sample: nine values in storage order, in the station's wire units.
using TraceSample = std::array<std::int32_t, TraceCount>;

/// The in-memory log: one fixed block of nine columns; nothing is allocated per sample.
/// Slots at `count` and above hold 0.
class TraceStore {
public:
    TraceStore() noexcept { Clear(); }

    int count() const noexcept { return count_; }
    bool modified() const noexcept { return modified_; }
    void setModified(bool value) noexcept { modified_ = value; }

    /// Value of `trace` at `index`, 0 <= index < TraceCapacity (slots past `count` read 0).
    std::int32_t value(int trace, int index) const noexcept { return columns_[trace][index]; }
    const std::array<std::int32_t, TraceCapacity>& column(int trace) const noexcept {
        return columns_[trace];
    }

    /// Zeroes every slot; count 0. `modified` is left alone.
    void Clear() noexcept;

    /// Stores `sample` at index `count`; the fan columns (Vset, Vget, Pwm) only when
    /// `withFan`. Returns false, storing nothing, when the store is full.
    bool Append(const TraceSample& sample, bool withFan = true) noexcept;

    /// Keeps the samples from `k` on, re-timed from 0. Returns whether it cut (0 <= k < count);
    /// a cut sets `modified`.
    bool CutLeft(int k) noexcept;
    /// Keeps the samples up to and including `k`. Returns whether it cut (k < count); a cut
    /// sets `modified`.
    bool CutRight(int k) noexcept;

private:
    std::array<std::array<std::int32_t, TraceCapacity>, TraceCount> columns_;
    int count_ = 0;
    bool modified_ = false;
};
