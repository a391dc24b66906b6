#include "link/Portscan.h"

#include "link/Portdiagnosis.h"
#include "link/Wakeport.h"

PortProbe ProbePort(TWakeCom& link, const std::string& port) {
    PortProbe row;
    row.port = port;
    try {
        link.Open(port);
        row.identity = link.GetInfo(0);
        row.answered = true;
        if (TWakePort::Identify(row.identity) == DeviceKind::None)
            row.reason = PortReason::ForeignIdentity(row.identity);
    } catch (const EInOutError& e) {
        // Nothing there, or nothing that speaks WAKE: the row says "None" and keeps why.
        row.reason = DiagnosePortError(port, e, link.Baud());
    }
    link.Close();
    return row;
}

std::vector<PortProbe> ScanPorts(TWakeCom& link, const std::vector<std::string>& ports) {
    std::vector<PortProbe> rows;
    rows.reserve(ports.size());
    for (const std::string& port : ports) rows.push_back(ProbePort(link, port));
    return rows;
}
