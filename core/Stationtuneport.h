#pragma once

#include "core/Connection.h"
#include "core/Tuneport.h"

/// The tuner's station: the window's own connection and link, the way the panel talks to it.
/// Unlike the panel's sends, a call while off line is not dropped: it throws, because the
/// tuner must know that its command did not arrive.
class StationTunePort final : public TuneStation {
  public:
    static constexpr const char* OffLineMessage = "The station is off line.";

    explicit StationTunePort(Connection& connection) : connection_(connection) {}

    PidGains GetPIDH() override;
    void SetPIDH(const PidGains& gains) override;
    void SetT(int tset, int power) override;
    HeatStatus GetHeat() override;
    int PowerLimit() override;
    /// Reopens the remembered port and identifies the station again.
    void Reconnect() override;

  private:
    TWakePort& OnLineLink();

    Connection& connection_;
};
