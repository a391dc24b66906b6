#include "core/Changemarks.h"

#include <charconv>
#include <cmath>
#include <span>
#include <vector>

namespace {

constexpr const char* Arrow = " \u2192 ";

/// How one field of a record reads: its name, its value in display units and its unit.
template <typename Record>
struct FieldSpec {
    const char* name;
    std::int32_t (*get)(const Record&);
    int decimals;      // the wire value is the shown one times 10^decimals
    const char* unit;  // with its leading space, or ""
    bool onOff = false;
};

std::string Shown(std::int32_t wire, int decimals, bool onOff) {
    if (onOff) return wire != 0 ? "on" : "off";
    char buffer[32];
    const auto result = decimals == 0 ? std::to_chars(buffer, buffer + sizeof buffer, wire)
                                      : std::to_chars(buffer, buffer + sizeof buffer,
                                                      wire / std::pow(10.0, decimals),
                                                      std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

/// "Name old → new unit" for each field that differs, or "Name new unit" for every field when
/// nothing was known before; joined by ", ".
template <typename Record>
std::string Changes(const std::optional<Record>& before, const Record& now,
                    std::span<const FieldSpec<Record>> fields) {
    std::string text;
    for (const FieldSpec<Record>& f : fields) {
        const std::int32_t value = f.get(now);
        std::string part = std::string(f.name) + " ";
        if (before) {
            const std::int32_t old = f.get(*before);
            if (old == value) continue;
            part += Shown(old, f.decimals, f.onOff) + Arrow;
        }
        part += Shown(value, f.decimals, f.onOff) + f.unit;
        if (!text.empty()) text += ", ";
        text += part;
    }
    return text;
}

std::string Prefixed(const char* prefix, const std::string& changes) {
    return changes.empty() ? changes : std::string(prefix) + changes;
}

/// A field of one optional value: "Tset 250.0 → 300.0 °C", "" when it did not change.
std::string One(const char* name, const std::optional<std::int32_t>& before, std::int32_t now,
                int decimals, const char* unit) {
    if (before && *before == now) return "";
    std::string text = std::string(name) + " ";
    if (before) text += Shown(*before, decimals, false) + Arrow;
    return text + Shown(now, decimals, false) + unit;
}

std::string Joined(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + ", " + b;
}

constexpr FieldSpec<PidGains> PidFields[] = {
    {"Kp", [](const PidGains& g) { return g.Kp; }, 0, ""},
    {"Ki", [](const PidGains& g) { return g.Ki; }, 0, ""},
    {"Kd", [](const PidGains& g) { return g.Kd; }, 0, ""},
    {"PID", [](const PidGains& g) { return std::int32_t{g.Enable}; }, 0, "", true},
};

constexpr FieldSpec<HeaterParams> HeaterParamFields[] = {
    {"Mode", [](const HeaterParams& p) { return p.Mode; }, 0, ""},
    {"PLL delay", [](const HeaterParams& p) { return p.Delay; }, 0, " us"},
    {"PLL Kp", [](const HeaterParams& p) { return p.Kp; }, 0, ""},
    {"PLL Ki", [](const HeaterParams& p) { return p.Ki; }, 0, ""},
    {"PLL error", [](const HeaterParams& p) { return p.Error; }, 0, " us"},
    {"P_lim", [](const HeaterParams& p) { return p.Plim; }, 1, " %"},
    {"Comp", [](const HeaterParams& p) { return p.Comp; }, 0, ""},
    {"Shift", [](const HeaterParams& p) { return p.Shift; }, 1, " \u00b0C"},
    {"Gain", [](const HeaterParams& p) { return p.Gain; }, 3, ""},
    {"Tcjn", [](const HeaterParams& p) { return p.Tcjn; }, 1, " \u00b0C"},
};

constexpr FieldSpec<Timers> TimerFields[] = {
    {"TmStb", [](const Timers& t) { return t.TmStb; }, 0, " s"},
    {"TmOff", [](const Timers& t) { return t.TmOff; }, 0, " s"},
    {"ThAct", [](const Timers& t) { return t.ThAct; }, 0, ""},
};

constexpr FieldSpec<Preset> PresetFields[] = {
    {"T", [](const Preset& p) { return p.T; }, 1, " \u00b0C"},
    {"V", [](const Preset& p) { return p.V; }, 0, " rpm"},
    {"C", [](const Preset& p) { return p.C; }, 0, ""},
};

constexpr FieldSpec<HeaterOptions> HeaterOptionFields[] = {
    {"InitialOn", [](const HeaterOptions& o) { return std::int32_t{o.InitialOn}; }, 0, "", true},
    {"EncoderVar", [](const HeaterOptions& o) { return std::int32_t{o.EncoderVar}; }, 0, "", true},
    {"EncoderSpeed", [](const HeaterOptions& o) { return o.EncoderSpeed; }, 0, ""},
    {"ReadyDelay", [](const HeaterOptions& o) { return o.ReadyDelay; }, 0, " ms"},
    {"ReadydT", [](const HeaterOptions& o) { return o.ReadydT; }, 1, " \u00b0C"},
    {"UnreadydT", [](const HeaterOptions& o) { return o.UnreadydT; }, 1, " \u00b0C"},
    {"StepTnorm", [](const HeaterOptions& o) { return o.StepTnorm; }, 1, " \u00b0C"},
    {"StepTlarge", [](const HeaterOptions& o) { return o.StepTlarge; }, 1, " \u00b0C"},
    {"EnableErH", [](const HeaterOptions& o) { return std::int32_t{o.EnableErH}; }, 0, "", true},
    {"EnableErO", [](const HeaterOptions& o) { return std::int32_t{o.EnableErO}; }, 0, "", true},
    {"EnableErS", [](const HeaterOptions& o) { return std::int32_t{o.EnableErS}; }, 0, "", true},
    {"ErHdelay", [](const HeaterOptions& o) { return o.ErHdelay; }, 0, " ms"},
    {"ErHdT", [](const HeaterOptions& o) { return o.ErHdT; }, 1, " \u00b0C"},
    {"ErHvT", [](const HeaterOptions& o) { return o.ErHvT; }, 1, " \u00b0C/s"},
};

constexpr FieldSpec<FanOptions> FanOptionFields[] = {
    {"StepVnorm", [](const FanOptions& o) { return o.StepVnorm; }, 0, " rpm"},
    {"StepVlarge", [](const FanOptions& o) { return o.StepVlarge; }, 0, " rpm"},
    {"EnableErF", [](const FanOptions& o) { return std::int32_t{o.EnableErF}; }, 0, "", true},
    {"ErFdelay", [](const FanOptions& o) { return o.ErFdelay; }, 0, " ms"},
    {"ErFdV", [](const FanOptions& o) { return o.ErFdV; }, 0, " rpm"},
};

std::string PresetName(int index) {
    switch (index) {
        case 0:
            return "OFF";
        case 1:
            return "COOL";
        case 2:
            return "STB";
        default:
            return std::to_string(index - 3);
    }
}

template <typename... F>
struct Overloaded : F... {
    using F::operator()...;
};
// Older clang cannot deduce an aggregate's template arguments by itself.
template <typename... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

std::string ChangeMarks::Describe(const StationRecord& record) const {
    return std::visit(
        Overloaded{
            [&](const HeaterSetPoint& r) {
                // The manual power only drives the heater with its PID off; with the PID on the
                // panel sends the live power back, which changes nothing.
                const bool manual = !heaterPid_ || !heaterPid_->Enable;
                return Joined(One("Tset", tset_, r.Tset, 1, " \u00b0C"),
                              manual ? One("Power", power_, r.Power, 1, " %") : "");
            },
            [&](const FanSetPoint& r) {
                // Likewise the PWM with the fan's PID on.
                const bool manual = !fanPid_ || !fanPid_->Enable;
                return Joined(One("Vset", vset_, r.Vset, 0, " rpm"),
                              manual ? One("PWM", pwm_, r.Pwm, 0, "") : "");
            },
            [&](const HeaterPid& r) {
                return Prefixed("Heater PID: ", Changes<PidGains>(heaterPid_, r.gains, PidFields));
            },
            [&](const FanPid& r) {
                return Prefixed("Fan PID: ", Changes<PidGains>(fanPid_, r.gains, PidFields));
            },
            [&](const HeaterParams& r) {
                return Changes<HeaterParams>(heaterParams_, r, HeaterParamFields);
            },
            [&](const Timers& r) {
                return Prefixed("Timers: ", Changes<Timers>(timers_, r, TimerFields));
            },
            [&](const Preset& r) {
                const auto known = presets_.find(r.Index);
                const std::optional<Preset> before =
                    known == presets_.end() ? std::nullopt : std::optional<Preset>(known->second);
                return Prefixed(("Preset " + PresetName(r.Index) + ": ").c_str(),
                                Changes<Preset>(before, r, PresetFields));
            },
            [&](const HeaterOptions& r) {
                return Prefixed("Heater options: ",
                                Changes<HeaterOptions>(heaterOptions_, r, HeaterOptionFields));
            },
            [&](const FanOptions& r) {
                return Prefixed("Fan options: ",
                                Changes<FanOptions>(fanOptions_, r, FanOptionFields));
            },
            // Only ever reported by the station, never sent.
            [](const HeatStatus&) { return std::string(); },
            [](const FanStatus&) { return std::string(); },
        },
        record);
}

void ChangeMarks::Remember(const StationRecord& record) {
    std::visit(Overloaded{
                   [&](const HeaterSetPoint& r) {
                       tset_ = r.Tset;
                       power_ = r.Power;
                   },
                   [&](const HeatStatus& r) { tset_ = r.Tset; },
                   [&](const FanSetPoint& r) {
                       vset_ = r.Vset;
                       pwm_ = r.Pwm;
                   },
                   [&](const FanStatus& r) { vset_ = r.Vset; },
                   [&](const HeaterPid& r) { heaterPid_ = r.gains; },
                   [&](const FanPid& r) { fanPid_ = r.gains; },
                   [&](const HeaterParams& r) { heaterParams_ = r; },
                   [&](const Timers& r) { timers_ = r; },
                   [&](const Preset& r) { presets_[r.Index] = r; },
                   [&](const HeaterOptions& r) { heaterOptions_ = r; },
                   [&](const FanOptions& r) { fanOptions_ = r; },
               },
               record);
}

void ChangeMarks::Sent(const StationRecord& record) {
    const std::string text = Describe(record);
    Remember(record);
    if (text.empty()) return;
    if (batch_) {
        batch_->changed_ = true;
        return;
    }
    if (const std::optional<int> sample = sampleNow_()) log_.Record(*sample, text);
}

void ChangeMarks::Received(const StationRecord& record) {
    Remember(record);
}

ChangeMarks::Batch::Batch(ChangeMarks& marks, std::string name)
    : marks_(marks), name_(std::move(name)), outer_(marks.batch_) {
    marks_.batch_ = this;
}

ChangeMarks::Batch::~Batch() {
    marks_.batch_ = outer_;
    if (!changed_) return;
    // An outer batch takes the change under its own name.
    if (outer_) {
        outer_->changed_ = true;
        return;
    }
    if (const std::optional<int> sample = marks_.sampleNow_()) marks_.log_.Record(*sample, name_);
}
