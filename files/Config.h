#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "traces/Colours.h"
#include "traces/Tracestore.h"

/// The main window's placement; 0 normal, 1 minimized, 2 maximized.
struct WindowPlacement {
    static constexpr int MinWidth = 886;
    static constexpr int MinHeight = 679;
    int left = 326;
    int top = 184;
    int width = MinWidth;
    int height = MinHeight;
    int state = 0;
    bool operator==(const WindowPlacement&) const = default;
};

/// Everything the configuration file holds, with the defaults of a first run.
struct Config {
    WindowPlacement window;
    std::string dataDir;   // ends with '/'
    int port = 0;          // n of a port named "COM" n, else 0
    std::string portName;  // the port's device path; wins over `port` when present
    bool simulate = false;
    std::array<bool, TraceCount> show = {true, true, true, true, true, true, true, false, false};
    bool pidH = true;
    bool pidF = true;
    bool autoConnect = true;
    bool autoRead = true;
    int samplePeriodMs = 100;  // always within 20..500 (sampleperiod::OrDefault)
    bool autoScroll = true;
    int zoom = 1;  // Settings/Zoom: samples per chart column (1, 2, 4, 8, 16), 0 the whole log
    colours::ColourSet colours = colours::Defaults;
    std::vector<std::string> extraPorts;  // Settings/ExtraPorts, separated by ';'; read only

    /// The remembered port as the link opens it: PortName, else "COM" n, else empty.
    std::string SelectedPort() const;
    /// Remembers `name` (empty for none) in both keys.
    void SetSelectedPort(const std::string& name);
};

/// INI key names of the trace check boxes, in storage order.
inline constexpr std::array<const char*, TraceCount> ShowKeys = {
    "ShowTset", "ShowTget", "ShowTcj",      "ShowPower",    "ShowVset",
    "ShowVget", "ShowPWM",  "ShowPllError", "ShowPllPeriod"};

/// Reads the configuration file. A missing or unreadable file, section or key, or a bad
/// value, takes its default; nothing is reported. `defaultDataDir` is the default of DataDir.
Config LoadConfig(const std::filesystem::path& path, const std::string& defaultDataDir);

/// Reads the file again, sets every key the program owns and writes it back whole, so keys
/// and sections it does not know survive. While `maximized`, Left/Top/Width/Height keep
/// what the file holds. Throws IniError with the message to show; the old file then stays.
void SaveConfig(const std::filesystem::path& path, const Config& config, bool maximized);

/// The configuration file: $TAVOLIN_CONFIG when set; else the executable's path with
/// ".ini" while KeepsFilesBeside; else $XDG_CONFIG_HOME/tavolin/tavolin.ini
/// (default ~/.config).
std::filesystem::path ConfigPath(const std::filesystem::path& executable);

/// Whether a program at `executable` keeps its files beside itself: its folder can be written
/// and is not an installed program's (under /usr/), whoever runs it.
bool KeepsFilesBeside(const std::filesystem::path& executable);
/// DataDir's default, ending with '/': the executable's folder while KeepsFilesBeside, else
/// the user's home folder ($HOME), else "/".
std::string DefaultDataDir(const std::filesystem::path& executable);
