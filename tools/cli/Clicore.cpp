#include "tools/cli/Clicore.h"

#include "tools/cli/Probe.h"

CliCore::CliCore(AutoRead autoRead) : core_(panel_, view_) {
    core_.autoRead = autoRead == AutoRead::On;
}

void CliCore::Connect(const std::optional<std::string>& port) {
    Connection& connection = core_.connection();
    connection.SetSelectedPort(ChoosePort(core_.link(), port));
    try {
        connection.Connect();
    } catch (const EInOutError& e) {
        std::vector<std::string> hints;
        if (connection.reason()) hints.push_back(connection.reason()->text());
        throw CliLinkError(e.what(), std::move(hints));
    }
}
