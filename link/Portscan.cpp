#include "link/Portscan.h"

#include "link/Wakecom.h"

std::vector<PortProbe> ScanPorts(TWakeCom& link, const std::vector<std::string>& ports) {
    std::vector<PortProbe> rows;
    rows.reserve(ports.size());
    for (const std::string& port : ports) {
        PortProbe& row = rows.emplace_back(PortProbe{port});
        try {
            link.Open(port);
            row.identity = link.GetInfo(0);
            row.answered = true;
        } catch (const EInOutError&) {
            // Nothing there, or nothing that speaks WAKE: the row says "None".
        }
        link.Close();
    }
    return rows;
}
