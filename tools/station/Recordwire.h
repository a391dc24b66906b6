#pragma once

#include "link/Records.h"
#include "tools/station/Wirebytes.h"

// The station's side of the record layouts: fields in wire order, 16-bit fields little-endian.
namespace recordwire {

PidGains ReadPid(WireReader& in);
void WritePid(WireWriter& out, const PidGains& g);

/// The SetParH layout: every field but LastPreset.
HeaterParams ReadHeaterParams(WireReader& in);
/// The GetParH layout: every field and LastPreset.
void WriteHeaterParams(WireWriter& out, const HeaterParams& p);

Timers ReadTimers(WireReader& in);
void WriteTimers(WireWriter& out, const Timers& t);

HeaterOptions ReadHeaterOptions(WireReader& in);
void WriteHeaterOptions(WireWriter& out, const HeaterOptions& o);

FanOptions ReadFanOptions(WireReader& in);
void WriteFanOptions(WireWriter& out, const FanOptions& o);

void WriteHeatStatus(WireWriter& out, const HeatStatus& s);
void WriteFanStatus(WireWriter& out, const FanStatus& s);

}  // namespace recordwire
