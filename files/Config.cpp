#include "files/Config.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "files/Inifile.h"
#include "files/Sampleperiod.h"
#include "link/Wakecom.h"
#include "traces/Graphzoom.h"

namespace {

constexpr const char* General = "General";
constexpr const char* Settings = "Settings";
constexpr const char* Colours = "Colours";

std::vector<std::string> SplitPorts(const std::string& text) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        std::string name = text.substr(start, end - start);
        const auto first = name.find_first_not_of(" \t");
        const auto last = name.find_last_not_of(" \t");
        if (first != std::string::npos) names.push_back(name.substr(first, last - first + 1));
        start = end + 1;
    }
    return names;
}

}  // namespace

std::string Config::SelectedPort() const {
    if (!portName.empty()) return portName;
    return port > 0 ? TWakeCom::PortNameOf(port) : std::string();
}

void Config::SetSelectedPort(const std::string& name) {
    portName = name;
    port = TWakeCom::PortNumberOf(name);
}

Config LoadConfig(const std::filesystem::path& path, const std::string& defaultDataDir) {
    Config c;
    c.dataDir = defaultDataDir;
    IniFile ini;
    try {
        ini = IniFile::Load(path, {.keepComments = true});
    } catch (const IniError&) {
        return c;  // an unreadable file counts as a missing one
    }
    WindowPlacement& w = c.window;
    w.left = ini.ReadInteger(General, "Left", w.left);
    w.top = ini.ReadInteger(General, "Top", w.top);
    w.width = ini.ReadInteger(General, "Width", w.width);
    w.height = ini.ReadInteger(General, "Height", w.height);
    w.state = ini.ReadInteger(General, "WindowState", w.state);
    c.dataDir = ini.ReadString(General, "DataDir", c.dataDir);
    c.port = ini.ReadInteger(General, "Port", c.port);
    c.portName = ini.ReadString(General, "PortName", "");
    c.simulate = ini.ReadBool(General, "Simulate", c.simulate);
    for (int t = 0; t < TraceCount; ++t) c.show[t] = ini.ReadBool(General, ShowKeys[t], c.show[t]);
    c.pidH = ini.ReadBool(General, "PidH", c.pidH);
    c.pidF = ini.ReadBool(General, "PidF", c.pidF);
    c.autoConnect = ini.ReadBool(Settings, "AutoConnect", c.autoConnect);
    c.autoRead = ini.ReadBool(Settings, "AutoRead", c.autoRead);
    c.samplePeriodMs =
        sampleperiod::OrDefault(ini.ReadInteger(Settings, "Sample", c.samplePeriodMs));
    c.autoScroll = ini.ReadBool(Settings, "AutoScroll", c.autoScroll);
    c.zoom = ini.ReadInteger(Settings, "Zoom", c.zoom);
    if (!graph::ValidZoom(c.zoom)) c.zoom = 1;
    c.extraPorts = SplitPorts(ini.ReadString(Settings, "ExtraPorts", ""));
    for (int s = 0; s < colours::ColourCount; ++s)
        c.colours[s] = ini.ReadInteger(Colours, colours::Keys[s], c.colours[s]);
    return c;
}

void SaveConfig(const std::filesystem::path& path, const Config& c, bool maximized) {
    IniFile ini = IniFile::Load(path, {.keepComments = true});
    const WindowPlacement& w = c.window;
    ini.WriteInteger(General, "WindowState", w.state);
    if (!maximized) {
        ini.WriteInteger(General, "Left", w.left);
        ini.WriteInteger(General, "Top", w.top);
        ini.WriteInteger(General, "Width", w.width);
        ini.WriteInteger(General, "Height", w.height);
    }
    ini.WriteString(General, "DataDir", c.dataDir);
    ini.WriteInteger(General, "Port", c.port);
    ini.WriteString(General, "PortName", c.portName);
    ini.WriteBool(General, "Simulate", c.simulate);
    for (int t = 0; t < TraceCount; ++t) ini.WriteBool(General, ShowKeys[t], c.show[t]);
    ini.WriteBool(General, "PidH", c.pidH);
    ini.WriteBool(General, "PidF", c.pidF);
    ini.WriteBool(Settings, "AutoConnect", c.autoConnect);
    ini.WriteBool(Settings, "AutoRead", c.autoRead);
    ini.WriteInteger(Settings, "Sample", c.samplePeriodMs);
    ini.WriteBool(Settings, "AutoScroll", c.autoScroll);
    ini.WriteInteger(Settings, "Zoom", c.zoom);
    for (int s = 0; s < colours::ColourCount; ++s)
        ini.WriteInteger(Colours, colours::Keys[s], c.colours[s]);
    std::error_code ignored;  // a missing folder shows up as the save's own error
    std::filesystem::create_directories(path.parent_path(), ignored);
    ini.Save(path);
}

bool KeepsFilesBeside(const std::filesystem::path& executable) {
    // Root may write to /usr/bin, but an installed program must not keep its files there.
    const std::string folder = executable.parent_path().string();
    return ::access(folder.c_str(), W_OK) == 0 && folder.rfind("/usr/", 0) != 0;
}

std::string DefaultDataDir(const std::filesystem::path& executable) {
    if (KeepsFilesBeside(executable)) return executable.parent_path().string() + "/";
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') return "/";
    std::string dir = home;
    if (dir.back() != '/') dir += '/';
    return dir;
}

std::filesystem::path ConfigPath(const std::filesystem::path& executable) {
    if (const char* named = std::getenv("TAVOLIN_CONFIG"); named && *named) return named;
    std::filesystem::path beside = executable;
    beside.replace_extension(".ini");
    if (KeepsFilesBeside(executable)) return beside;
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = beside.parent_path();
    }
    return base / "tavolin" / "tavolin.ini";
}
