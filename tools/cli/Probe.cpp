#include "tools/cli/Probe.h"

#include "link/Inouterror.h"
#include "link/Portlist.h"

std::optional<std::string> Probe(TWakePort& port, const std::string& name) {
    std::optional<std::string> identity;
    try {
        port.Open(name);
        identity = port.GetInfo(0);
    } catch (const EInOutError&) {
        // A port that cannot be opened or stays silent just holds no station.
    }
    port.Close();
    return identity;
}

std::string ChoosePort(TWakePort& port, const std::optional<std::string>& name) {
    if (name) return *name;
    for (const auto& candidate : ListPorts()) {
        if (Probe(port, candidate)) return candidate;
    }
    throw EInOutError("No station found.");
}
