#pragma once

#include <optional>
#include <string>
#include <vector>

#include "link/Portreason.h"

class TWakeCom;

/// One row of a port scan: the port, what answered on it, and why it holds no station.
struct PortProbe {
    std::string port;
    std::string identity = "None";
    bool answered = false;
    /// Set when the port holds no KRT-51 or KRF-51: it could not be opened, stayed silent,
    /// failed on the line or answered with another identity.
    std::optional<PortReason> reason;
};

/// Opens each port in turn with `link`, asks GetInfo and closes it again. A port that cannot
/// be opened or stays silent shows "None"; link errors never leave the scan. The link is
/// closed afterwards.
std::vector<PortProbe> ScanPorts(TWakeCom& link, const std::vector<std::string>& ports);

/// One port of the scan.
PortProbe ProbePort(TWakeCom& link, const std::string& port);
