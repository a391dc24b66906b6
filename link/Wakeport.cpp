#include "link/Wakeport.h"

#include "link/Commands.h"

TWakePort::TWakePort() {
    SetBaud(DefaultBaud);
}

TWakePort::TWakePort(std::unique_ptr<SerialLine> line) : TWakeCom(std::move(line)) {
    SetBaud(DefaultBaud);
}

DeviceKind TWakePort::Identify(const std::string& identity) noexcept {
    const std::string model = identity.substr(0, 6);
    if (model == "KRT-51") return DeviceKind::Krt51;
    if (model == "KRF-51") return DeviceKind::Krf51;
    return DeviceKind::None;
}

std::int32_t TWakePort::GetSignedWord() noexcept {
    return static_cast<std::int16_t>(GetWord());
}

void TWakePort::SetT(int tset, int power) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetT, "SetT");
    PutWord(tset);
    PutWord(power);
    Transact(0);
    Sent(HeaterSetPoint{tset, power});
}

HeatStatus TWakePort::GetHeat() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetHeat, "GetHeat");
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetHeat).reply);
    HeatStatus s;
    s.Tset = GetWord();
    s.Tget = GetWord();
    s.Tcj = GetWord();
    s.Power = GetWord();
    s.PllErr = GetSignedWord();
    s.PllPer = GetWord();
    return Received(s);
}

void TWakePort::PutPid(const PidGains& gains) {
    PutByte(gains.Kp);
    PutByte(gains.Ki);
    PutByte(gains.Kd);
    PutByte(gains.Enable ? 1 : 0);
}

PidGains TWakePort::GetPid() {
    ExpectReplyFields(cmd::SizesOf(cmd::GetPIDH).reply);
    PidGains gains;
    gains.Kp = GetByte();
    gains.Ki = GetByte();
    gains.Kd = GetByte();
    gains.Enable = GetBool();
    return gains;
}

void TWakePort::SetPIDH(const PidGains& gains) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetPIDH, "SetPIDH");
    PutPid(gains);
    Transact(0);
    Sent(HeaterPid{gains});
}

PidGains TWakePort::GetPIDH() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetPIDH, "GetPIDH");
    Transact(0);
    return Received(HeaterPid{GetPid()}).gains;
}

void TWakePort::SetParH(const HeaterParams& p) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetParH, "SetParH");
    PutByte(p.Mode);
    PutWord(p.Delay);
    PutByte(p.Kp);
    PutByte(p.Ki);
    PutWord(p.Error);
    PutWord(p.Plim);
    PutByte(p.Comp);
    PutWord(p.Shift);
    PutWord(p.Gain);
    PutWord(p.Tcjn);
    Transact(0);
    Sent(p);
}

HeaterParams TWakePort::GetParH() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetParH, "GetParH");
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetParH).reply);
    HeaterParams p;
    p.Mode = GetByte();
    p.Delay = GetSignedWord();
    p.Kp = GetByte();
    p.Ki = GetByte();
    p.Error = GetWord();
    p.Plim = GetWord();
    p.Comp = GetByte();
    p.Shift = GetSignedWord();
    p.Gain = GetWord();
    p.Tcjn = GetWord();
    p.LastPreset = GetByte();
    return Received(p);
}

void TWakePort::SetV(int vset, int pwm) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetV, "SetV");
    PutWord(vset);
    PutByte(pwm);
    Transact(0);
    Sent(FanSetPoint{vset, pwm});
}

FanStatus TWakePort::GetFan() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetFan, "GetFan");
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetFan).reply);
    FanStatus s;
    s.Vset = GetWord();
    s.Vget = GetWord();
    s.Pwm = GetByte();
    return Received(s);
}

void TWakePort::SetPIDF(const PidGains& gains) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetPIDF, "SetPIDF");
    PutPid(gains);
    Transact(0);
    Sent(FanPid{gains});
}

PidGains TWakePort::GetPIDF() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetPIDF, "GetPIDF");
    Transact(0);
    return Received(FanPid{GetPid()}).gains;
}

void TWakePort::SetPreset(const Preset& preset) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetPreset, "SetPreset");
    PutByte(preset.Index);
    PutWord(preset.T);
    PutWord(preset.V);
    PutByte(preset.C);
    Transact(0);
    Sent(preset);
}

Preset TWakePort::GetPreset(int index) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetPreset, "GetPreset");
    PutByte(index);
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetPreset).reply);
    Preset preset;
    preset.Index = index;
    preset.T = GetWord();
    preset.V = GetWord();
    preset.C = GetByte();
    return Received(preset);
}

void TWakePort::SetTimers(const Timers& timers) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetTimers, "SetTimers");
    PutWord(timers.TmStb);
    PutWord(timers.TmOff);
    PutByte(timers.ThAct);
    Transact(0);
    Sent(timers);
}

Timers TWakePort::GetTimers() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetTimers, "GetTimers");
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetTimers).reply);
    Timers timers;
    timers.TmStb = GetWord();
    timers.TmOff = GetWord();
    timers.ThAct = GetByte();
    return Received(timers);
}

void TWakePort::SetOptionsH(const HeaterOptions& o) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetOptionsH, "SetOptionsH");
    PutByte(o.InitialOn ? 1 : 0);
    PutByte(o.EncoderVar ? 1 : 0);
    PutByte(o.EncoderSpeed);
    PutWord(o.ReadyDelay);
    PutByte(o.ReadydT);
    PutByte(o.UnreadydT);
    PutByte(o.StepTnorm);
    PutByte(o.StepTlarge);
    PutByte(o.EnableErH ? 1 : 0);
    PutByte(o.EnableErO ? 1 : 0);
    PutByte(o.EnableErS ? 1 : 0);
    PutWord(o.ErHdelay);
    PutWord(o.ErHdT);
    PutWord(o.ErHvT);
    Transact(0);
    Sent(o);
}

HeaterOptions TWakePort::GetOptionsH() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetOptionsH, "GetOptionsH");
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetOptionsH).reply);
    HeaterOptions o;
    o.InitialOn = GetBool();
    o.EncoderVar = GetBool();
    o.EncoderSpeed = GetByte();
    o.ReadyDelay = GetWord();
    o.ReadydT = GetByte();
    o.UnreadydT = GetByte();
    o.StepTnorm = GetByte();
    o.StepTlarge = GetByte();
    o.EnableErH = GetBool();
    o.EnableErO = GetBool();
    o.EnableErS = GetBool();
    o.ErHdelay = GetWord();
    o.ErHdT = GetWord();
    o.ErHvT = GetWord();
    return Received(o);
}

void TWakePort::SetOptionsF(const FanOptions& o) {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::SetOptionsF, "SetOptionsF");
    PutByte(o.StepVnorm);
    PutByte(o.StepVlarge);
    PutByte(o.EnableErF ? 1 : 0);
    PutWord(o.ErFdelay);
    PutWord(o.ErFdV);
    Transact(0);
    Sent(o);
}

FanOptions TWakePort::GetOptionsF() {
    std::lock_guard guard(Lock());
    BeginCommand(cmd::GetOptionsF, "GetOptionsF");
    Transact(0);
    ExpectReplyFields(cmd::SizesOf(cmd::GetOptionsF).reply);
    FanOptions o;
    o.StepVnorm = GetByte();
    o.StepVlarge = GetByte();
    o.EnableErF = GetBool();
    o.ErFdelay = GetWord();
    o.ErFdV = GetWord();
    return Received(o);
}
