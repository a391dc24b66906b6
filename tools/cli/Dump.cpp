#include "tools/cli/Dump.h"

#include <string>

#include "link/Convert.h"
#include "tools/cli/Clicore.h"
#include "tools/cli/Display.h"

namespace {

constexpr int Tenths = convert::Tenths;
constexpr int Thousandths = convert::Thousandths;
constexpr int Unscaled = convert::Unscaled;

/// Writes the fields of one record under its name.
class RecordWriter {
  public:
    RecordWriter(std::ostream& out, std::string record) : out_(out), record_(std::move(record)) {}
    RecordWriter& operator()(const char* field, std::int32_t wire, int scale = Unscaled) {
        out_ << record_ << '.' << field << '=' << FormatScaled(wire, scale) << '\n';
        return *this;
    }
    RecordWriter& operator()(const char* field, bool value) {
        return (*this)(field, value ? 1 : 0);
    }

  private:
    std::ostream& out_;
    std::string record_;
};

void DumpPid(std::ostream& out, const char* record, const PidGains& g) {
    RecordWriter(out, record)("Kp", g.Kp)("Ki", g.Ki)("Kd", g.Kd)("Enable", g.Enable);
}

void DumpHeater(std::ostream& out, TWakePort& port) {
    const HeaterParams p = port.GetParH();
    RecordWriter(out, "HeaterParams")("Mode", p.Mode)("Delay", p.Delay)("Kp", p.Kp)("Ki", p.Ki)(
        "Error", p.Error)("Plim", p.Plim, Tenths)("Comp", p.Comp)("Shift", p.Shift, Tenths)(
        "Gain", p.Gain, Thousandths)("Tcjn", p.Tcjn, Tenths)("LastPreset", p.LastPreset);
    // The preset list: OFF, COOL, STB, then the numbered presets 0..LastPreset.
    const int count = 3 + p.LastPreset + 1;
    for (int index = 0; index < count; ++index) {
        static const char* const Named[] = {"OFF", "COOL", "STB"};
        const std::string name = index < 3 ? Named[index] : FormatScaled(index - 3, Unscaled);
        const Preset preset = port.GetPreset(index);
        RecordWriter(out, "Preset[" + name + "]")("T", preset.T, Tenths)("V", preset.V)("C",
                                                                                        preset.C);
    }
}

void DumpOptionsH(std::ostream& out, const HeaterOptions& o) {
    RecordWriter(out, "HeaterOptions")("InitialOn", o.InitialOn)("EncoderVar", o.EncoderVar)(
        "EncoderSpeed", o.EncoderSpeed)("ReadyDelay", o.ReadyDelay)("ReadydT", o.ReadydT, Tenths)(
        "UnreadydT", o.UnreadydT, Tenths)("StepTnorm", o.StepTnorm, Tenths)(
        "StepTlarge", o.StepTlarge, Tenths)("EnableErH", o.EnableErH)("EnableErO", o.EnableErO)(
        "EnableErS", o.EnableErS)("ErHdelay", o.ErHdelay)("ErHdT", o.ErHdT, Tenths)(
        "ErHvT", o.ErHvT, Tenths);
}

}  // namespace

int RunDump(CliContext& context) {
    if (!context.args.empty()) throw CliUsageError("unexpected argument " + context.args.front());
    CliCore cli(AutoRead::Off);
    cli.Connect(context.port);
    TWakePort& port = cli.core().link();
    const bool fan = cli.core().connection().kind() == DeviceKind::Krf51;
    auto& out = context.out;
    const HeatStatus h = port.GetHeat();
    RecordWriter(out, "HeatStatus")("Tset", h.Tset, Tenths)("Tget", h.Tget, Tenths)(
        "Tcj", h.Tcj, Tenths)("Power", h.Power, Tenths)("PllErr", h.PllErr)("PllPer", h.PllPer);
    if (fan) {
        const FanStatus f = port.GetFan();
        RecordWriter(out, "FanStatus")("Vset", f.Vset)("Vget", f.Vget)("Pwm", f.Pwm);
    }
    DumpPid(out, "PidGainsH", port.GetPIDH());
    if (fan) DumpPid(out, "PidGainsF", port.GetPIDF());
    DumpHeater(out, port);
    const Timers t = port.GetTimers();
    RecordWriter(out, "Timers")("TmStb", t.TmStb)("TmOff", t.TmOff)("ThAct", t.ThAct);
    DumpOptionsH(out, port.GetOptionsH());
    if (fan) {
        const FanOptions o = port.GetOptionsF();
        RecordWriter(out, "FanOptions")("StepVnorm", o.StepVnorm)("StepVlarge", o.StepVlarge)(
            "EnableErF", o.EnableErF)("ErFdelay", o.ErFdelay)("ErFdV", o.ErFdV);
    }
    return 0;
}
