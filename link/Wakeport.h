#pragma once

#include <string>

#include "link/Linkobserver.h"
#include "link/Records.h"
#include "link/Wakecom.h"

/// The station's command set: one method per command, each one transaction to address 0
/// under the link's lock. Failures throw EInOutError naming the command; a getter that fails
/// returns nothing.
class TWakePort : public TWakeCom {
public:
    TWakePort();
    explicit TWakePort(std::unique_ptr<SerialLine> line);

    /// Kind of station that answers with `identity`: the first six characters, exactly.
    static DeviceKind Identify(const std::string& identity) noexcept;

    /// Tset and Power in tenths.
    void SetT(int tset, int power);
    HeatStatus GetHeat();
    void SetPIDH(const PidGains& gains);
    PidGains GetPIDH();
    /// Sends every field but LastPreset.
    void SetParH(const HeaterParams& params);
    HeaterParams GetParH();
    void SetV(int vset, int pwm);
    FanStatus GetFan();
    void SetPIDF(const PidGains& gains);
    PidGains GetPIDF();
    void SetPreset(const Preset& preset);
    /// The preset at `index`; the result carries that index.
    Preset GetPreset(int index);
    void SetTimers(const Timers& timers);
    Timers GetTimers();
    void SetOptionsH(const HeaterOptions& options);
    HeaterOptions GetOptionsH();
    void SetOptionsF(const FanOptions& options);
    FanOptions GetOptionsF();

    /// Tells `observer` (or nobody, with null) of every record sent or received from now on;
    /// it must outlive the port or be taken away first.
    void SetObserver(LinkObserver* observer) noexcept { observer_ = observer; }

  private:
    void Sent(const StationRecord& record) {
        if (observer_ && IsOpen()) observer_->Sent(record);
    }
    template <typename Record>
    Record Received(const Record& record) {
        if (observer_ && IsOpen()) observer_->Received(record);
        return record;
    }
    void PutPid(const PidGains& gains);
    PidGains GetPid();
    std::int32_t GetSignedWord() noexcept;
    bool GetBool() noexcept { return GetByte() != 0; }

    LinkObserver* observer_ = nullptr;
};
