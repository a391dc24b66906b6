#include "tools/station/Station.h"

#include <optional>

#include "link/Commands.h"
#include "tools/station/Recordwire.h"

namespace {

using namespace cmd;

/// Request data bytes each command takes (the link's table); none for a command the station
/// does not know. Echo and GetInfo are answered before this is asked.
std::optional<std::size_t> RequestLength(std::uint8_t command) {
    if (command < SetT || command > GetOptionsF) return std::nullopt;
    return static_cast<std::size_t>(SizesOf(static_cast<Code>(command)).request);
}

std::string DefaultIdentity(DeviceKind kind) {
    return std::string(kind == DeviceKind::Krt51 ? "KRT-51" : "KRF-51") + " Emulator v1";
}

}  // namespace

Station::Station(DeviceKind kind, std::string identity, std::uint32_t seed,
                 const HeaterPlant& plant)
    : kind_(kind),
      identity_(identity.empty() ? DefaultIdentity(kind) : std::move(identity)),
      model_(seed, plant) {}

bool Station::RepliesWithoutErrorCode(std::uint8_t command) noexcept {
    return command == Echo || command == GetInfo;
}

bool Station::IsFanCommand(std::uint8_t command) const noexcept {
    switch (command) {
        case SetV:
        case GetFan:
        case SetPIDF:
        case GetPIDF:
        case SetOptionsF:
        case GetOptionsF:
            return true;
        default:
            return false;
    }
}

StationModel::Inputs Station::ModelInputs() const noexcept {
    const StationRecords& r = records_;
    StationModel::Inputs in;
    in.tset = r.tset;
    in.manualPower = r.power;
    in.heaterPid = r.heaterPid;
    in.plim = r.heater.Plim;
    in.shift = r.heater.Shift;
    in.gain = r.heater.Gain;
    if (kind_ == DeviceKind::Krf51) {
        in.vset = r.vset;
        in.manualPwm = r.pwm;
        in.fanPid = r.fanPid;
    }
    return in;
}

void Station::Advance(std::chrono::microseconds elapsed) {
    model_.Advance(ModelInputs(), elapsed);
}

Bytes Station::Handle(std::uint8_t command, const std::uint8_t* data, std::size_t count) {
    if (command == Echo) return Bytes(data, data + count);
    if (command == GetInfo) {
        Bytes reply(identity_.begin(), identity_.end());
        reply.push_back(0);
        return reply;
    }
    const auto length = RequestLength(command);
    if (!length || (IsFanCommand(command) && kind_ != DeviceKind::Krf51) || count != *length)
        return {BadPacket};
    WireReader in(data, count);
    // Setters have even codes, getters odd ones.
    return command % 2 == 0 ? Apply(command, in) : Read(command, in);
}

Bytes Station::Apply(std::uint8_t command, WireReader& in) {
    using namespace recordwire;
    StationRecords& r = records_;
    switch (command) {
        case SetT:
            r.tset = in.Word();
            r.power = in.Word();
            break;
        case SetPIDH:
            r.heaterPid = ReadPid(in);
            break;
        case SetParH: {
            const int lastPreset = r.heater.LastPreset;
            r.heater = ReadHeaterParams(in);
            r.heater.LastPreset = lastPreset;
            break;
        }
        case SetV:
            r.vset = in.Word();
            r.pwm = in.Byte();
            break;
        case SetPIDF:
            r.fanPid = ReadPid(in);
            break;
        case SetPreset: {
            const int index = in.Byte();
            if (index >= StationRecords::PresetCount) return {BadParameter};
            Preset& p = r.presets[index];
            p.T = in.Word();
            p.V = in.Word();
            p.C = in.Byte();
            break;
        }
        case SetTimers:
            r.timers = ReadTimers(in);
            break;
        case SetOptionsH:
            r.heaterOptions = ReadHeaterOptions(in);
            break;
        case SetOptionsF:
            r.fanOptions = ReadFanOptions(in);
            break;
        default:
            return {BadPacket};
    }
    return {Ok};
}

Bytes Station::Read(std::uint8_t command, WireReader& in) {
    using namespace recordwire;
    const StationRecords& r = records_;
    Bytes reply{Ok};
    WireWriter out(reply);
    switch (command) {
        case GetHeat:
            WriteHeatStatus(out, model_.ReadHeat(ModelInputs()));
            break;
        case GetPIDH:
            WritePid(out, r.heaterPid);
            break;
        case GetParH:
            WriteHeaterParams(out, r.heater);
            break;
        case GetFan:
            WriteFanStatus(out, model_.ReadFan(ModelInputs()));
            break;
        case GetPIDF:
            WritePid(out, r.fanPid);
            break;
        case GetPreset: {
            const int index = in.Byte();
            if (index >= StationRecords::PresetCount) return {BadParameter};
            const Preset& p = r.presets[index];
            out.Word(p.T);
            out.Word(p.V);
            out.Byte(p.C);
            break;
        }
        case GetTimers:
            WriteTimers(out, r.timers);
            break;
        case GetOptionsH:
            WriteHeaterOptions(out, r.heaterOptions);
            break;
        case GetOptionsF:
            WriteFanOptions(out, r.fanOptions);
            break;
        default:
            return {BadPacket};
    }
    return reply;
}
