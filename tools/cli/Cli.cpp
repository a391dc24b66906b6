#include "tools/cli/Cli.h"

#include <algorithm>

#include "Version.h"
#include "files/Inifile.h"
#include "link/Inouterror.h"
#include "tools/cli/Analyzecommand.h"
#include "tools/cli/Dump.h"
#include "tools/cli/Logcommand.h"
#include "tools/cli/Paramcommands.h"
#include "tools/cli/Probe.h"
#include "tools/cli/Stationcommands.h"
#include "tools/cli/Tunecommand.h"

const std::vector<CliCommand>& CliCommands() {
    static const std::vector<CliCommand> commands = {
        {"ports", "[NAME...]", RunPorts},
        {"info", "", RunInfo},
        {"status", "", RunStatus},
        {"dump", "", RunDump},
        {"log", "--out FILE [--samples N] [--period MS]", RunLog},
        {"read-params", "FILE", RunReadParams},
        {"write-params", "FILE", RunWriteParams},
        {"analyze", "FILE [--from S] [--to S] [--trace Tget|Vget] [--band X]", RunAnalyze},
        {"tune", "--from T0 --to T1 [--max-overshoot PCT] [--minutes M] [--apply]", RunTune},
    };
    return commands;
}

std::string CliUsage() {
    std::string text =
        "usage: tavolin-cli [--port NAME] COMMAND [ARGS]\n"
        "       tavolin-cli --help | --version\n";
    for (const auto& c : CliCommands()) {
        text += std::string("       tavolin-cli [--port NAME] ") + c.name;
        if (*c.usage) text += std::string(" ") + c.usage;
        text += '\n';
    }
    return text;
}

namespace {

/// The link's message as a terminal should show it: the station's messages separate the
/// command from the reason with a CR, which on a terminal would print the reason over the
/// command.
std::string WithLineBreaks(std::string message) {
    std::replace(message.begin(), message.end(), '\r', '\n');
    return message;
}

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> port;
    std::size_t i = 0;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        if (args[i] == "--help") {
            out << CliUsage();
            return ExitOk;
        }
        if (args[i] == "--version") {
            out << "tavolin-cli " << TavolinVersion << '\n';
            return ExitOk;
        }
        if (args[i] != "--port") throw CliUsageError("unknown option " + args[i]);
        if (++i == args.size() || args[i].empty()) throw CliUsageError("--port needs a name");
        port = args[i];
    }
    if (i == args.size()) throw CliUsageError("no command");
    const auto& commands = CliCommands();
    const auto it = std::find_if(commands.begin(), commands.end(),
                                 [&](const CliCommand& c) { return args[i] == c.name; });
    if (it == commands.end()) throw CliUsageError("unknown command " + args[i]);
    CliContext context{port, {args.begin() + static_cast<long>(i) + 1, args.end()}, out, err};
    return it->run(context);
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        return Run(args, out, err);
    } catch (const CliUsageError& e) {
        err << "tavolin-cli: " << e.what() << '\n' << CliUsage();
        return ExitUsage;
    } catch (const EInOutError& e) {
        err << WithLineBreaks(e.what()) << '\n';
        // Why the port holds no station, each on a line of its own after the link's message.
        if (const auto* failed = dynamic_cast<const CliLinkError*>(&e)) {
            for (const std::string& hint : failed->hints()) err << hint << '\n';
        }
        return ExitFailure;
    } catch (const IniError& e) {
        // Already the text the window would show.
        err << e.what() << '\n';
        return ExitFailure;
    } catch (const std::exception& e) {
        // Not the link's: say whose message it is.
        err << "tavolin-cli: " << e.what() << '\n';
        return ExitFailure;
    }
}
