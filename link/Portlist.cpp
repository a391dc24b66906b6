#include "link/Portlist.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The 8250 driver registers ttyS0..ttyS31 whether or not a UART is there; those without
// one report type 0 (PORT_UNKNOWN).
bool HasHardware(const fs::path& entry) {
    if (!fs::exists(entry / "device")) return false;
    if (entry.filename().string().rfind("ttyS", 0) != 0) return true;
    std::ifstream type(entry / "type");
    int value = 0;
    return !(type >> value) || value != 0;
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

void SortPortNames(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), LessIgnoringCase);
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

std::vector<std::string> ListPorts(const std::vector<std::string>& extra,
                                   const std::string& sysClassTty) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(sysClassTty, ec)) {
        if (HasHardware(entry.path())) names.push_back("/dev/" + entry.path().filename().string());
    }
    for (const auto& name : extra) {
        if (!name.empty()) names.push_back(name);
    }
    if (names.empty()) names = {"/dev/ttyS0", "/dev/ttyS1"};
    SortPortNames(names);
    return names;
}
