#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

#include "core/Changelog.h"
#include "link/Linkobserver.h"

/// Marks every change the program sends to the station while a recording runs: it watches the
/// link, remembers what the station last reported or accepted, and records a short text of
/// what changed ("Tset 250.0 → 300.0 °C", "Heater PID: Kp 40 → 45") at the sample the change
/// precedes. A command that changes nothing known leaves no mark.
class ChangeMarks final : public LinkObserver {
  public:
    /// `sampleNow` gives the index the next sample will take while recording, nothing while
    /// not; `log` and the function must outlive this object.
    ChangeMarks(Changelog& log, std::function<std::optional<int>()> sampleNow)
        : log_(log), sampleNow_(std::move(sampleNow)) {}

    void Sent(const StationRecord& record) override;
    void Received(const StationRecord& record) override;

    /// The text of sending `record` after what is known now; empty when it changes nothing.
    std::string Describe(const StationRecord& record) const;

    /// Many commands under one name ("Write Params", "Settings: options"): while the batch
    /// lives, sent records update what is known but leave no mark of their own; when it ends,
    /// one mark with its name is recorded if any of them changed something.
    class Batch {
      public:
        Batch(ChangeMarks& marks, std::string name);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        ChangeMarks& marks_;
        std::string name_;
        Batch* outer_;
        bool changed_ = false;
        friend class ChangeMarks;
    };

  private:
    void Remember(const StationRecord& record);

    Changelog& log_;
    std::function<std::optional<int>()> sampleNow_;
    Batch* batch_ = nullptr;

    // What the station holds, as far as the program has seen.
    std::optional<std::int32_t> tset_, power_, vset_, pwm_;
    std::optional<PidGains> heaterPid_, fanPid_;
    std::optional<HeaterParams> heaterParams_;
    std::optional<Timers> timers_;
    std::optional<HeaterOptions> heaterOptions_;
    std::optional<FanOptions> fanOptions_;
    std::map<int, Preset> presets_;
};
