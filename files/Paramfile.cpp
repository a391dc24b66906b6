#include "files/Paramfile.h"

#include "link/Convert.h"

namespace {

constexpr const char* HeaterSection = "Heater";
constexpr const char* TcSection = "TC";
constexpr const char* FanSection = "Fan";

constexpr int ModeCount = 2;  // "Phase", "Delta-Sigma"

struct Defaults {
    static constexpr std::int32_t Gain = 0;
    static constexpr std::int32_t Mode = 0;
    static constexpr std::int32_t Delay = 0;
    static constexpr std::int32_t PllKp = 130;
    static constexpr std::int32_t PllKi = 20;
    static constexpr std::int32_t PllError = 200;
    static constexpr std::int32_t Plim = 0;
    static constexpr std::int32_t Comp = 0;
    static constexpr std::int32_t Shift = 0;
    static constexpr std::int32_t TcGain = 1000;
    static constexpr std::int32_t Tcjn = 380;
};

double Shown(std::int32_t wire) {
    return convert::FromWire(wire, convert::Unscaled);
}
std::int32_t Wire(double shown) {
    return convert::ToWire(shown, convert::Unscaled);
}

}  // namespace

ParamSet ReadParams(const IniFile& file, const HeaterParams& cached) {
    auto heater = [&](const char* key, std::int32_t fallback) {
        return file.ReadInteger(HeaterSection, key, fallback);
    };
    ParamSet set{{}, cached};
    PanelParams& p = set.panel;
    HeaterParams& h = set.cached;
    p.HKp = Shown(heater("Kp", Defaults::Gain));
    p.HKi = Shown(heater("Ki", Defaults::Gain));
    p.HKd = Shown(heater("Kd", Defaults::Gain));
    p.Mode = heater("Mode", Defaults::Mode);
    // The mode list has two entries; any other index would select nothing and reach the
    // station as a mode it does not have.
    if (p.Mode < 0 || p.Mode >= ModeCount) p.Mode = Defaults::Mode;
    h.Delay = heater("Delay", Defaults::Delay);
    h.Kp = heater("PllKp", Defaults::PllKp);
    h.Ki = heater("PllKi", Defaults::PllKi);
    h.Error = heater("PllError", Defaults::PllError);
    p.Plim = convert::FromWire(heater("Plim", Defaults::Plim), convert::Tenths);
    p.Comp = Shown(heater("Comp", Defaults::Comp));
    h.Shift = file.ReadInteger(TcSection, "Shift", Defaults::Shift);
    h.Gain = file.ReadInteger(TcSection, "Gain", Defaults::TcGain);
    h.Tcjn = file.ReadInteger(TcSection, "Tcjn", Defaults::Tcjn);
    p.FKp = Shown(file.ReadInteger(FanSection, "Kp", Defaults::Gain));
    p.FKi = Shown(file.ReadInteger(FanSection, "Ki", Defaults::Gain));
    p.FKd = Shown(file.ReadInteger(FanSection, "Kd", Defaults::Gain));
    return set;
}

void StoreParams(IniFile& file, const PanelParams& panel, const HeaterParams& cached) {
    file.WriteInteger(HeaterSection, "Kp", Wire(panel.HKp));
    file.WriteInteger(HeaterSection, "Ki", Wire(panel.HKi));
    file.WriteInteger(HeaterSection, "Kd", Wire(panel.HKd));
    file.WriteInteger(HeaterSection, "Mode", panel.Mode);
    file.WriteInteger(HeaterSection, "Delay", cached.Delay);
    file.WriteInteger(HeaterSection, "PllKp", cached.Kp);
    file.WriteInteger(HeaterSection, "PllKi", cached.Ki);
    file.WriteInteger(HeaterSection, "PllError", cached.Error);
    file.WriteInteger(HeaterSection, "Plim", convert::ToWire(panel.Plim, convert::Tenths));
    file.WriteInteger(HeaterSection, "Comp", Wire(panel.Comp));
    file.WriteInteger(TcSection, "Shift", cached.Shift);
    file.WriteInteger(TcSection, "Gain", cached.Gain);
    file.WriteInteger(TcSection, "Tcjn", cached.Tcjn);
    file.WriteInteger(FanSection, "Kp", Wire(panel.FKp));
    file.WriteInteger(FanSection, "Ki", Wire(panel.FKi));
    file.WriteInteger(FanSection, "Kd", Wire(panel.FKd));
}

ParamSet LoadParamFile(const std::filesystem::path& path, const HeaterParams& cached) {
    return ReadParams(IniFile::Load(path), cached);
}

void SaveParamFile(const std::filesystem::path& path, const PanelParams& panel,
                   const HeaterParams& cached) {
    IniFile file = IniFile::Load(path);
    StoreParams(file, panel, cached);
    file.Save(path);
}
