#include "tests/core/Panelwire.h"

#include "link/Wakeframe.h"
#include "support/Fakeserialline.h"

namespace panelwire {
namespace {

void Word(Bytes& out, int value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

Bytes Frame(int command, const Bytes& data) {
    std::uint8_t buffer[wake::FrameBufferSize];
    const std::size_t size = wake::EncodeFrame(0, static_cast<std::uint8_t>(command), data.data(),
                                               static_cast<std::uint8_t>(data.size()), buffer);
    return Bytes(buffer, buffer + size);
}

Bytes PidBytes(const PidGains& gains) {
    return {static_cast<std::uint8_t>(gains.Kp), static_cast<std::uint8_t>(gains.Ki),
            static_cast<std::uint8_t>(gains.Kd), static_cast<std::uint8_t>(gains.Enable)};
}

Bytes ParHBytes(const HeaterParams& p) {
    Bytes out{static_cast<std::uint8_t>(p.Mode)};
    Word(out, p.Delay);
    out.push_back(static_cast<std::uint8_t>(p.Kp));
    out.push_back(static_cast<std::uint8_t>(p.Ki));
    Word(out, p.Error);
    Word(out, p.Plim);
    out.push_back(static_cast<std::uint8_t>(p.Comp));
    Word(out, p.Shift);
    Word(out, p.Gain);
    Word(out, p.Tcjn);
    return out;
}

Bytes TimersBytes(const Timers& t) {
    Bytes out;
    Word(out, t.TmStb);
    Word(out, t.TmOff);
    out.push_back(static_cast<std::uint8_t>(t.ThAct));
    return out;
}

}  // namespace

void PrintTo(const Request& request, std::ostream* out) {
    *out << "command " << request.command << " {";
    for (const std::uint8_t b : request.data) *out << ' ' << static_cast<int>(b);
    *out << " }";
}

std::vector<Request> Decode(const Bytes& written) {
    FakeSerialLine line;
    line.Open("written", 0);
    line.script()->Feed(written);
    std::vector<Request> requests;
    std::uint8_t data[wake::MaxData];
    while (!line.script()->input.empty()) {
        const wake::Frame frame = wake::ReceiveFrame(line, data);
        requests.push_back({frame.command, Bytes(data, data + frame.count)});
    }
    return requests;
}

std::vector<int> Commands(const std::vector<Request>& requests) {
    std::vector<int> commands;
    for (const Request& r : requests) commands.push_back(r.command);
    return commands;
}

Request SetTRequest(int tset, int power) {
    Request r{SetT, {}};
    Word(r.data, tset);
    Word(r.data, power);
    return r;
}

Request PidRequest(int command, const PidGains& gains) {
    return {command, PidBytes(gains)};
}

Request SetParHRequest(const HeaterParams& params) {
    return {SetParH, ParHBytes(params)};
}

Request SetVRequest(int vset, int pwm) {
    Request r{SetV, {}};
    Word(r.data, vset);
    r.data.push_back(static_cast<std::uint8_t>(pwm));
    return r;
}

Request SetPresetRequest(const Preset& p) {
    Request r{SetPreset, {static_cast<std::uint8_t>(p.Index)}};
    Word(r.data, p.T);
    Word(r.data, p.V);
    r.data.push_back(static_cast<std::uint8_t>(p.C));
    return r;
}

Request GetPresetRequest(int index) {
    return {GetPreset, {static_cast<std::uint8_t>(index)}};
}

Request SetTimersRequest(const Timers& timers) {
    return {SetTimers, TimersBytes(timers)};
}

Request Bare(int command) {
    return {command, {}};
}

Bytes Ack(int command) {
    return Frame(command, {0});
}

Bytes InfoReply(const std::string& identity) {
    Bytes text(identity.begin(), identity.end());
    text.push_back(0);
    return Frame(GetInfo, text);
}

Bytes PidReply(int command, const PidGains& gains) {
    Bytes data{0};
    const Bytes pid = PidBytes(gains);
    data.insert(data.end(), pid.begin(), pid.end());
    return Frame(command, data);
}

Bytes ParHReply(const HeaterParams& params) {
    Bytes data{0};
    const Bytes par = ParHBytes(params);
    data.insert(data.end(), par.begin(), par.end());
    data.push_back(static_cast<std::uint8_t>(params.LastPreset));
    return Frame(GetParH, data);
}

Bytes PresetReply(const Preset& preset) {
    Bytes data{0};
    Word(data, preset.T);
    Word(data, preset.V);
    data.push_back(static_cast<std::uint8_t>(preset.C));
    return Frame(GetPreset, data);
}

Bytes TimersReply(const Timers& timers) {
    Bytes data{0};
    const Bytes t = TimersBytes(timers);
    data.insert(data.end(), t.begin(), t.end());
    return Frame(GetTimers, data);
}

Bytes ErrorReply(int command, int code) {
    return Frame(command, {static_cast<std::uint8_t>(code)});
}

}  // namespace panelwire
