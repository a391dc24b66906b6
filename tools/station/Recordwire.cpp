#include "tools/station/Recordwire.h"

namespace recordwire {

PidGains ReadPid(WireReader& in) {
    PidGains g;
    g.Kp = in.Byte();
    g.Ki = in.Byte();
    g.Kd = in.Byte();
    g.Enable = in.Bool();
    return g;
}

void WritePid(WireWriter& out, const PidGains& g) {
    out.Byte(g.Kp);
    out.Byte(g.Ki);
    out.Byte(g.Kd);
    out.Bool(g.Enable);
}

HeaterParams ReadHeaterParams(WireReader& in) {
    HeaterParams p;
    p.Mode = in.Byte();
    p.Delay = in.SignedWord();
    p.Kp = in.Byte();
    p.Ki = in.Byte();
    p.Error = in.Word();
    p.Plim = in.Word();
    p.Comp = in.Byte();
    p.Shift = in.SignedWord();
    p.Gain = in.Word();
    p.Tcjn = in.Word();
    return p;
}

void WriteHeaterParams(WireWriter& out, const HeaterParams& p) {
    out.Byte(p.Mode);
    out.Word(p.Delay);
    out.Byte(p.Kp);
    out.Byte(p.Ki);
    out.Word(p.Error);
    out.Word(p.Plim);
    out.Byte(p.Comp);
    out.Word(p.Shift);
    out.Word(p.Gain);
    out.Word(p.Tcjn);
    out.Byte(p.LastPreset);
}

Timers ReadTimers(WireReader& in) {
    Timers t;
    t.TmStb = in.Word();
    t.TmOff = in.Word();
    t.ThAct = in.Byte();
    return t;
}

void WriteTimers(WireWriter& out, const Timers& t) {
    out.Word(t.TmStb);
    out.Word(t.TmOff);
    out.Byte(t.ThAct);
}

HeaterOptions ReadHeaterOptions(WireReader& in) {
    HeaterOptions o;
    o.InitialOn = in.Bool();
    o.EncoderVar = in.Bool();
    o.EncoderSpeed = in.Byte();
    o.ReadyDelay = in.Word();
    o.ReadydT = in.Byte();
    o.UnreadydT = in.Byte();
    o.StepTnorm = in.Byte();
    o.StepTlarge = in.Byte();
    o.EnableErH = in.Bool();
    o.EnableErO = in.Bool();
    o.EnableErS = in.Bool();
    o.ErHdelay = in.Word();
    o.ErHdT = in.Word();
    o.ErHvT = in.Word();
    return o;
}

void WriteHeaterOptions(WireWriter& out, const HeaterOptions& o) {
    out.Bool(o.InitialOn);
    out.Bool(o.EncoderVar);
    out.Byte(o.EncoderSpeed);
    out.Word(o.ReadyDelay);
    out.Byte(o.ReadydT);
    out.Byte(o.UnreadydT);
    out.Byte(o.StepTnorm);
    out.Byte(o.StepTlarge);
    out.Bool(o.EnableErH);
    out.Bool(o.EnableErO);
    out.Bool(o.EnableErS);
    out.Word(o.ErHdelay);
    out.Word(o.ErHdT);
    out.Word(o.ErHvT);
}

FanOptions ReadFanOptions(WireReader& in) {
    FanOptions o;
    o.StepVnorm = in.Byte();
    o.StepVlarge = in.Byte();
    o.EnableErF = in.Bool();
    o.ErFdelay = in.Word();
    o.ErFdV = in.Word();
    return o;
}

void WriteFanOptions(WireWriter& out, const FanOptions& o) {
    out.Byte(o.StepVnorm);
    out.Byte(o.StepVlarge);
    out.Bool(o.EnableErF);
    out.Word(o.ErFdelay);
    out.Word(o.ErFdV);
}

void WriteHeatStatus(WireWriter& out, const HeatStatus& s) {
    out.Word(s.Tset);
    out.Word(s.Tget);
    out.Word(s.Tcj);
    out.Word(s.Power);
    out.Word(s.PllErr);
    out.Word(s.PllPer);
}

void WriteFanStatus(WireWriter& out, const FanStatus& s) {
    out.Word(s.Vset);
    out.Word(s.Vget);
    out.Byte(s.Pwm);
}

}  // namespace recordwire
