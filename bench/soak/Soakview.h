#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/Appcore.h"
#include "bench/soak/Soakcheck.h"

namespace soak {

/// The window as the soak sees it: every drawn sample with the station log's length at that
/// moment, and the connection's changes between on line and off line.
class SoakView final : public MainView {
  public:
    explicit SoakView(std::filesystem::path stationLog) : log_(std::move(stationLog)) {}

    /// The core whose store and connection the drawn samples come from; before the first tick.
    void Attach(AppCore& core) { core_ = &core; }

    void ShowConnection(const std::string& text) override;
    void DrawSample(int index) override;
    void AutoScrollAfterAppend(int) override {}
    void LogCleared() override {}
    void StateChanged(AcqState state) override { state_ = state; }

    const std::vector<RecordedSample>& samples() const noexcept { return samples_; }
    AcqState state() const noexcept { return state_; }
    /// Changes from on line to off line.
    int offLine() const noexcept { return offLine_; }
    /// The station log's length at each change from on line to off line.
    const std::vector<std::size_t>& offLineLogBytes() const noexcept { return offLineAt_; }
    /// Changes from off line back to on line, after the first connect.
    int reconnections() const noexcept { return reconnections_; }
    /// A drawn sample whose store slot no longer holds what was drawn, when any.
    std::optional<std::string> CompareStore(std::size_t firstSample) const;

  private:
    std::size_t LogBytes() const;

    std::filesystem::path log_;
    AppCore* core_ = nullptr;
    std::vector<RecordedSample> samples_;
    AcqState state_ = AcqState::Stopped;
    bool onLine_ = false;
    bool wasOnLine_ = false;
    int offLine_ = 0;
    std::vector<std::size_t> offLineAt_;
    int reconnections_ = 0;
};

}  // namespace soak
