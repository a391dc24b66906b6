#include "core/Settingsmodel.h"

#include <algorithm>
#include <charconv>

#include "core/Polltime.h"
#include "files/Sampleperiod.h"
#include "link/Convert.h"
#include "traces/Floatformat.h"

namespace settings {

namespace {

using convert::Tenths;
using convert::Thousandths;
using convert::Unscaled;
using enum Group;

constexpr int Ms = Unscaled;
constexpr double MaxTimeMs = 30000;
constexpr double MaxByteTenths = 25.5;  // a byte of 0.1 °C steps

// Indexed by Field.
constexpr std::array<FieldInfo, FieldCount> Fields = {{
    {"feTcjn", "Default Tcj:", "°C", 0, 100, 1, Tenths, Calibration, Record::Cached, 0},
    {"feShift", "Temp. shift:", "°C", -99, 99, 1, Tenths, Calibration, Record::Cached, 0},
    {"feGain", "Temp. gain:", "", 0.25, 4, 3, Thousandths, Calibration, Record::Cached, 1},
    {"feKp", "PLL Kp:", "", 0, 255, 0, Unscaled, Pll, Record::Cached, 0},
    {"feKi", "PLL Ki:", "", 0, 255, 0, Unscaled, Pll, Record::Cached, 0},
    {"feError", "PLL error:", "us", 0, 9999, 0, Unscaled, Pll, Record::Cached, 0},
    {"feDelay", "PLL delay:", "us", -9999, 9999, 0, Unscaled, Pll, Record::Cached, 0},
    {"feEncoderSpeed", "Cross speed:", "steps/s", 0, 255, 0, Unscaled, Encoder,
     Record::HeaterOptions, 0},
    {"feReadyDelay", "Ready delay:", "ms", 0, MaxTimeMs, 0, Ms, Options, Record::HeaterOptions, 0},
    {"feReadydT", "Ready dT:", "°C", 0, MaxByteTenths, 1, Tenths, Options, Record::HeaterOptions,
     0},
    {"feUnreadydT", "Unready dT:", "°C", 0, MaxByteTenths, 1, Tenths, Options,
     Record::HeaterOptions, 0},
    {"feStepTnorm", "Norm T step:", "°C", 0.1, MaxByteTenths, 1, Tenths, Encoder,
     Record::HeaterOptions, 0.1},
    {"feStepTlarge", "Large T step:", "°C", 0.1, MaxByteTenths, 1, Tenths, Encoder,
     Record::HeaterOptions, 0.1},
    {"feErHdelay", "Detect delay:", "ms", 0, MaxTimeMs, 0, Ms, HeaterErrors, Record::HeaterOptions,
     0},
    {"feErHdT", "Temp. error:", "°C", 0, 500, 1, Tenths, HeaterErrors, Record::HeaterOptions, 0},
    {"feErHvT", "Temp. slope:", "°C/s", 0, 500, 1, Tenths, HeaterErrors, Record::HeaterOptions, 0},
    {"feStepVnorm", "Norm V step:", "rpm", 1, 255, 0, Unscaled, Encoder, Record::FanOptions, 1},
    {"feStepVlarge", "Large V step:", "rpm", 1, 255, 0, Unscaled, Encoder, Record::FanOptions, 1},
    {"feErFdelay", "Detect delay:", "ms", 0, MaxTimeMs, 0, Ms, FanErrors, Record::FanOptions, 0},
    {"feErFdV", "Speed error:", "rpm", 0, 9999, 0, Unscaled, FanErrors, Record::FanOptions, 0},
}};

// Indexed by Box.
constexpr std::array<BoxInfo, BoxCount> Boxes = {{
    {"cbAutoConnect", "Auto connect", Startup, Record::Program},
    {"cbAutoRead", "Auto read parameters", Startup, Record::Program},
    {"cbAutoScroll", "Auto scroll", Graph, Record::Program},
    {"cbInitialOn", "Initial tool on", Options, Record::HeaterOptions},
    {"cbEncoderVar", "Variable encoder speed", Encoder, Record::HeaterOptions},
    {"cbEnableErH", "Enable Heater Error (ErH)", HeaterErrors, Record::HeaterOptions},
    {"cbEnableErO", "Enable Overheat Error (ErO)", HeaterErrors, Record::HeaterOptions},
    {"cbEnableErS", "Enable Sensor Error (ErS)", HeaterErrors, Record::HeaterOptions},
    {"cbEnableErF", "Enable Fan Error (ErF)", FanErrors, Record::FanOptions},
}};

// Indexed by Group. Four columns of two groups each.
constexpr std::array<GroupInfo, GroupCount> Groups = {{
    {"gbStartup", " Startup ", 0, 0},
    {"gbGraph", " Graph ", 1, 0},
    {"gbCalibration", " Temperature Calibration ", 2, 1},
    {"gbPll", " PLL Parameters ", 1, 1},
    {"gbEncoder", " Encoder Parameters ", 2, 0},
    {"gbOptions", " Options ", 0, 1},
    {"gbHeaterErrors", " Heater Errors  ", 3, 0},
    {"gbFanErrors", " Fan Errors  ", 3, 1},
}};

constexpr int DefaultSampleIndex = 4;  // "100 ms"
constexpr double DefaultDelayFan = -1200;
constexpr double DefaultDelayHeater = -500;

struct FieldDefault {
    Field field;
    double value;
};

constexpr std::array<FieldDefault, FieldCount - 1> FieldDefaults = {{
    {Field::Tcjn, 38},         {Field::Shift, 0},        {Field::Gain, 1},
    {Field::Kp, 60},           {Field::Ki, 5},           {Field::Error, 200},
    {Field::ReadyDelay, 2000}, {Field::ReadydT, 0.4},    {Field::UnreadydT, 4},
    {Field::EncoderSpeed, 18}, {Field::StepTnorm, 5},    {Field::StepTlarge, 10},
    {Field::StepVnorm, 50},    {Field::StepVlarge, 100}, {Field::ErHdelay, 3000},
    {Field::ErHdT, 35},        {Field::ErHvT, 7},        {Field::ErFdelay, 5000},
    {Field::ErFdV, 750},
}};

}  // namespace

const FieldInfo& Info(Field field) {
    return Fields.at(static_cast<std::size_t>(field));
}
const BoxInfo& Info(Box box) {
    return Boxes.at(static_cast<std::size_t>(box));
}
const GroupInfo& Info(Group group) {
    return Groups.at(static_cast<std::size_t>(group));
}

std::string PeriodText(int periodMs) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, periodMs).ptr;
    return std::string(digits, end) + " ms";
}

std::string SampleItemText(int index) {
    return PeriodText(SampleStepMs * (index + 1));
}

std::string SampleItemText(int index, DeviceKind kind) {
    const int periodMs = SampleStepMs * (index + 1);
    if (!polltime::TooFast(periodMs, kind)) return SampleItemText(index);
    return SampleItemText(index) + " (too fast for " + std::string(ModelName(kind)) + ")";
}

std::string SampleItemHint(int index, DeviceKind kind) {
    const int periodMs = SampleStepMs * (index + 1);
    if (!polltime::TooFast(periodMs, kind)) return {};
    return "A poll of a " + std::string(ModelName(kind)) + " is " +
           std::to_string(polltime::PollBytes(kind)) + " bytes, " +
           floatformat::FormatDecimals(polltime::PollLineMs(kind), 1) +
           " ms of line time at 19200 baud plus the station's turnaround. A recording at " +
           PeriodText(periodMs) + " is saved with the spacing it achieves.";
}

int SampleIndexFor(int periodMs) {
    if (periodMs < SampleStepMs || periodMs > SampleStepMs * SampleItems) return NoSampleItem;
    return (periodMs - SampleStepMs) / SampleStepMs;
}

int PeriodFor(int index, int currentMs) {
    if (index < 0 || index >= SampleItems) return sampleperiod::OrDefault(currentMs);
    return SampleStepMs * (index + 1);
}

SettingsModel::SettingsModel(DeviceKind kind) : kind_(kind) {
    for (int f = 0; f < FieldCount; ++f) values_.fields[f] = Fields[f].layout;
}

void SettingsModel::SetValues(const Values& values) {
    values_ = values;
    for (int f = 0; f < FieldCount; ++f) Set(static_cast<Field>(f), values.fields[f]);
}

void SettingsModel::Set(Field field, double value) {
    const FieldInfo& info = Info(field);
    // As the field does: above the top to the top, anything else invalid (NaN too) to the bottom.
    if (!(value >= info.min && value <= info.max)) value = value > info.max ? info.max : info.min;
    values_[field] = value;
}

void SettingsModel::ShowProgramOptions(const ProgramOptions& options) {
    values_[Box::AutoConnect] = options.autoConnect;
    values_[Box::AutoRead] = options.autoRead;
    values_[Box::AutoScroll] = options.autoScroll;
    values_.sampleIndex = SampleIndexFor(options.samplePeriodMs);
}

void SettingsModel::ShowWire(Field field, std::int32_t wire) {
    Set(field, convert::FromWire(wire, Info(field).scale));
}

std::int32_t SettingsModel::Wire(Field field) const {
    return convert::ToWire(values_[field], Info(field).scale);
}

void SettingsModel::ShowCachedParams(const HeaterParams& c) {
    ShowWire(Field::Delay, c.Delay);
    ShowWire(Field::Kp, c.Kp);
    ShowWire(Field::Ki, c.Ki);
    ShowWire(Field::Error, c.Error);
    ShowWire(Field::Shift, c.Shift);
    ShowWire(Field::Gain, c.Gain);
    ShowWire(Field::Tcjn, c.Tcjn);
}

void SettingsModel::ShowHeaterOptions(const HeaterOptions& o) {
    values_[Box::InitialOn] = o.InitialOn;
    values_[Box::EncoderVar] = o.EncoderVar;
    ShowWire(Field::EncoderSpeed, o.EncoderSpeed);
    ShowWire(Field::ReadyDelay, o.ReadyDelay);
    ShowWire(Field::ReadydT, o.ReadydT);
    ShowWire(Field::UnreadydT, o.UnreadydT);
    ShowWire(Field::StepTnorm, o.StepTnorm);
    ShowWire(Field::StepTlarge, o.StepTlarge);
    values_[Box::EnableErH] = o.EnableErH;
    values_[Box::EnableErO] = o.EnableErO;
    values_[Box::EnableErS] = o.EnableErS;
    ShowWire(Field::ErHdelay, o.ErHdelay);
    ShowWire(Field::ErHdT, o.ErHdT);
    ShowWire(Field::ErHvT, o.ErHvT);
    heaterShown_ = ReadsHeaterOptions();
}

void SettingsModel::ShowFanOptions(const FanOptions& o) {
    ShowWire(Field::StepVnorm, o.StepVnorm);
    ShowWire(Field::StepVlarge, o.StepVlarge);
    values_[Box::EnableErF] = o.EnableErF;
    ShowWire(Field::ErFdelay, o.ErFdelay);
    ShowWire(Field::ErFdV, o.ErFdV);
    fanShown_ = ReadsFanOptions();
}

void SettingsModel::SetDefaults() {
    const bool fanStation = kind_ == DeviceKind::Krf51;
    for (Box b : {Box::AutoConnect, Box::AutoRead, Box::AutoScroll, Box::EnableErH, Box::EnableErO,
                  Box::EnableErS, Box::EnableErF}) {
        values_[b] = true;
    }
    values_[Box::EncoderVar] = false;
    values_[Box::InitialOn] = !fanStation;
    values_.sampleIndex = DefaultSampleIndex;
    for (const FieldDefault& d : FieldDefaults) Set(d.field, d.value);
    Set(Field::Delay, fanStation ? DefaultDelayFan : DefaultDelayHeater);
}

bool SettingsModel::RecordEditable(Record record) const {
    switch (record) {
        case Record::HeaterOptions:
            return !ReadsHeaterOptions() || heaterShown_;
        case Record::FanOptions:
            return !ReadsFanOptions() || fanShown_;
        default:
            return true;
    }
}

bool SettingsModel::Enabled(Field field) const {
    if (!RecordEditable(Info(field).record)) return false;
    const bool fan = kind_ != DeviceKind::Krt51;
    switch (field) {
        case Field::EncoderSpeed:
        case Field::StepTlarge:
            return values_[Box::EncoderVar];
        case Field::StepVlarge:
            return values_[Box::EncoderVar] && fan;
        case Field::StepVnorm:
            return fan;
        case Field::ErFdelay:
        case Field::ErFdV:
            return values_[Box::EnableErF] && fan;
        case Field::ErHdelay:
        case Field::ErHdT:
        case Field::ErHvT:
            return values_[Box::EnableErH] || values_[Box::EnableErO];
        default:
            return true;
    }
}

bool SettingsModel::Enabled(Box box) const {
    if (!RecordEditable(Info(box).record)) return false;
    return box != Box::EnableErF || kind_ != DeviceKind::Krt51;
}

ProgramOptions SettingsModel::TakeProgramOptions(int currentPeriodMs) const {
    ProgramOptions o;
    o.autoConnect = values_[Box::AutoConnect];
    o.autoRead = values_[Box::AutoRead];
    o.autoScroll = values_[Box::AutoScroll];
    o.samplePeriodMs = PeriodFor(values_.sampleIndex, currentPeriodMs);
    return o;
}

void SettingsModel::TakeCachedParams(HeaterParams& cached) const {
    cached.Delay = Wire(Field::Delay);
    cached.Kp = Wire(Field::Kp);
    cached.Ki = Wire(Field::Ki);
    cached.Error = Wire(Field::Error);
    cached.Shift = Wire(Field::Shift);
    cached.Gain = Wire(Field::Gain);
    cached.Tcjn = Wire(Field::Tcjn);
}

HeaterOptions SettingsModel::TakeHeaterOptions() const {
    HeaterOptions o;
    o.InitialOn = values_[Box::InitialOn];
    o.EncoderVar = values_[Box::EncoderVar];
    o.EncoderSpeed = Wire(Field::EncoderSpeed);
    o.ReadyDelay = Wire(Field::ReadyDelay);
    o.ReadydT = Wire(Field::ReadydT);
    o.UnreadydT = Wire(Field::UnreadydT);
    o.StepTnorm = Wire(Field::StepTnorm);
    o.StepTlarge = Wire(Field::StepTlarge);
    o.EnableErH = values_[Box::EnableErH];
    o.EnableErO = values_[Box::EnableErO];
    o.EnableErS = values_[Box::EnableErS];
    o.ErHdelay = Wire(Field::ErHdelay);
    o.ErHdT = Wire(Field::ErHdT);
    o.ErHvT = Wire(Field::ErHvT);
    return o;
}

FanOptions SettingsModel::TakeFanOptions() const {
    FanOptions o;
    o.StepVnorm = Wire(Field::StepVnorm);
    o.StepVlarge = Wire(Field::StepVlarge);
    o.EnableErF = values_[Box::EnableErF];
    o.ErFdelay = Wire(Field::ErFdelay);
    o.ErFdV = Wire(Field::ErFdV);
    return o;
}

}  // namespace settings
