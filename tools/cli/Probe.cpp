#include "tools/cli/Probe.h"

#include "link/Portlist.h"
#include "link/Portscan.h"

std::string ChoosePort(TWakePort& port, const std::optional<std::string>& name) {
    if (name) return *name;
    std::vector<std::string> hints;
    for (const auto& candidate : ListPorts()) {
        const PortProbe probe = ProbePort(port, candidate);
        if (probe.answered) return candidate;
        if (probe.reason) hints.push_back(candidate + ": " + probe.reason->text());
    }
    throw CliLinkError("No station found.", std::move(hints));
}
