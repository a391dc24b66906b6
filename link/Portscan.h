#pragma once

#include <string>
#include <vector>

class TWakeCom;

/// One row of a port scan: the port and what answered on it.
struct PortProbe {
    std::string port;
    std::string identity = "None";
    bool answered = false;
};

/// Opens each port in turn with `link`, asks GetInfo and closes it again. A port that cannot
/// be opened or stays silent shows "None"; link errors never leave the scan. The link is
/// closed afterwards.
std::vector<PortProbe> ScanPorts(TWakeCom& link, const std::vector<std::string>& ports);
