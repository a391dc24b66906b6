#include "tools/cli/Connection.h"

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

namespace {

std::string FirstAnsweringPort(TWakePort& port) {
    for (const auto& name : ListPorts()) {
        if (Probe(port, name)) return name;
    }
    throw EInOutError("No station found.");
}

}  // namespace

Identification Connect(TWakePort& port, const std::optional<std::string>& name) {
    port.Open(name ? *name : FirstAnsweringPort(port));
    Identification id;
    id.identity = port.GetInfo(0);
    id.kind = TWakePort::Identify(id.identity);
    if (id.kind == DeviceKind::None) throw EInOutError("Unknown device");
    return id;
}
