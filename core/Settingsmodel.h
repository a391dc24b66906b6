#pragma once

#include <array>
#include <string>
#include <string_view>

#include "link/Records.h"

/// What the Settings dialog shows and takes over, without a toolkit: its controls, their
/// bounds and scales, the sample-rate list, the enabling rule, "Set Default" and the
/// conversions between the controls and the records they edit.
namespace settings {

/// The program's own options the dialog edits.
struct ProgramOptions {
    bool autoConnect = true;
    bool autoRead = true;
    int samplePeriodMs = 100;
    bool autoScroll = true;
    bool operator==(const ProgramOptions&) const = default;
};

/// The numeric fields, each a TFloatEdit named "fe" + its record field.
enum class Field : int {
    Tcjn,
    Shift,
    Gain,
    Kp,
    Ki,
    Error,
    Delay,
    EncoderSpeed,
    ReadyDelay,
    ReadydT,
    UnreadydT,
    StepTnorm,
    StepTlarge,
    ErHdelay,
    ErHdT,
    ErHvT,
    StepVnorm,
    StepVlarge,
    ErFdelay,
    ErFdV,
};
inline constexpr int FieldCount = 20;

/// The check boxes, each named "cb" + its option.
enum class Box : int {
    AutoConnect,
    AutoRead,
    AutoScroll,
    InitialOn,
    EncoderVar,
    EnableErH,
    EnableErO,
    EnableErS,
    EnableErF,
};
inline constexpr int BoxCount = 9;

/// The framed groups, in the order of their captions.
enum class Group : int {
    Startup,
    Graph,
    Calibration,
    Pll,
    Encoder,
    Options,
    HeaterErrors,
    FanErrors,
};
inline constexpr int GroupCount = 8;

/// Which record a control edits; the program options and the cached copy are always taken
/// over, the two option records only when the station's own were shown.
enum class Record { Program, Cached, HeaterOptions, FanOptions };

struct FieldInfo {
    std::string_view name;   // "feTcjn"
    std::string_view label;  // "Default Tcj:"
    std::string_view unit;   // "°C" (UTF-8), empty for none
    double min;
    double max;
    int decimals;
    int scale;  // wire = shown x scale
    Group group;
    Record record;
    double layout;  // what the field shows where nothing was read
};

struct BoxInfo {
    std::string_view name;
    std::string_view caption;
    Group group;
    Record record;
};

struct GroupInfo {
    std::string_view name;     // "gbStartup"
    std::string_view caption;  // " Startup ", blanks included
    int column;                // 0..3, left to right
    int row;                   // 0 top, 1 bottom
};

/// Every numeric field shows this many significant digits.
inline constexpr int FieldPrecision = 5;

/// Name, caption, bounds, scale and place of each control and group.
const FieldInfo& Info(Field field);
const BoxInfo& Info(Box box);
const GroupInfo& Info(Group group);

// The sample-rate list "20 ms" ... "500 ms": item i stands for 20 x (i + 1) ms.
inline constexpr int SampleItems = 25;
inline constexpr int SampleStepMs = 20;
inline constexpr int NoSampleItem = -1;

/// "20 ms" for item 0, ... "500 ms" for item 24.
std::string SampleItemText(int index);
/// The item as offered with a station of `kind` connected: "20 ms (too fast for KRF-51)"
/// where one poll of the model takes longer on the line than the period. Such an item stays
/// selectable: a station may answer faster, and a recording then keeps what it achieves.
std::string SampleItemText(int index, DeviceKind kind);
/// Why an item is too fast for `kind`, for its tool tip; empty where the poll fits.
std::string SampleItemHint(int index, DeviceKind kind);
/// Any period in milliseconds as the list writes it: "30 ms".
std::string PeriodText(int periodMs);
/// The item shown for `periodMs`: (p - 20) / 20 truncated for 20..500, so 30 ms shows as
/// "20 ms"; NoSampleItem for a period outside 20..500, which no item stands for.
int SampleIndexFor(int periodMs);
/// 20 x (index + 1) for an item; for NoSampleItem (or any index off the list) `currentMs`
/// when it lies within 20..500, else the default 100 (sampleperiod::OrDefault).
int PeriodFor(int index, int currentMs);

/// What every control shows: field values in display units, check states, the list item.
struct Values {
    std::array<double, FieldCount> fields{};
    std::array<bool, BoxCount> boxes{};
    int sampleIndex = 0;

    double& operator[](Field f) { return fields[static_cast<int>(f)]; }
    double operator[](Field f) const { return fields[static_cast<int>(f)]; }
    bool& operator[](Box b) { return boxes[static_cast<int>(b)]; }
    bool operator[](Box b) const { return boxes[static_cast<int>(b)]; }
    bool operator==(const Values&) const = default;
};

/// The dialog's state for one opening: the station kind copied when it opened, what the
/// controls show, and which of the station's option records were really read.
///
/// A record whose read failed (or that was never read) is never written back: its controls
/// show layout values, and writing them would overwrite the station's own settings. Its
/// controls are disabled so that the user sees that they will not be sent.
class SettingsModel {
  public:
    /// Every control at its layout value, every box unchecked, item "20 ms".
    explicit SettingsModel(DeviceKind kind);

    DeviceKind kind() const noexcept { return kind_; }
    const Values& values() const noexcept { return values_; }
    /// Replaces what the controls show, e.g. after the user edited them. Field values are
    /// kept within their bounds as the fields keep them.
    void SetValues(const Values& values);
    void Set(Field field, double value);
    void Set(Box box, bool checked) { values_[box] = checked; }

    // Filling, in the order the dialog does it.
    void ShowProgramOptions(const ProgramOptions& options);
    /// Delay, Kp, Ki, Error, Shift, Gain and Tcjn of the cached copy.
    void ShowCachedParams(const HeaterParams& cached);
    /// Whether the opening reads HeaterOptions (any station) and FanOptions (KRF-51 only).
    bool ReadsHeaterOptions() const noexcept { return kind_ != DeviceKind::None; }
    bool ReadsFanOptions() const noexcept { return kind_ == DeviceKind::Krf51; }
    void ShowHeaterOptions(const HeaterOptions& options);
    void ShowFanOptions(const FanOptions& options);

    /// "Set Default": every control to the program's defaults; the PLL delay and the initial
    /// tool state depend on the kind. Writes nothing anywhere.
    void SetDefaults();

    /// The enabling rule, also disabling the controls of an option record that was to be read
    /// but was not.
    bool Enabled(Field field) const;
    bool Enabled(Box box) const;

    // Taking over on OK.
    /// The options as the controls show them; while no item is chosen the period is
    /// PeriodFor(NoSampleItem, `currentPeriodMs`).
    ProgramOptions TakeProgramOptions(int currentPeriodMs) const;
    /// Delay, Kp, Ki, Error, Shift, Gain and Tcjn into `cached`, each shown value x scale to
    /// the nearest integer (convert::ToWire); the other fields stay.
    void TakeCachedParams(HeaterParams& cached) const;
    /// Whether OK writes each option record: only one that was read at the opening.
    bool WritesHeaterOptions() const noexcept { return heaterShown_; }
    bool WritesFanOptions() const noexcept { return fanShown_; }
    HeaterOptions TakeHeaterOptions() const;
    FanOptions TakeFanOptions() const;

  private:
    bool RecordEditable(Record record) const;
    std::int32_t Wire(Field field) const;
    void ShowWire(Field field, std::int32_t wire);

    DeviceKind kind_;
    Values values_;
    bool heaterShown_ = false;
    bool fanShown_ = false;
};

}  // namespace settings
