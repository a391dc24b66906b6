#include "tools/cli/Paramcommands.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "core/Paramsync.h"
#include "files/Inifile.h"
#include "tools/cli/Clicore.h"

namespace {

const std::string& FileArgument(const CliContext& context) {
    if (context.args.empty()) throw CliUsageError("a parameter file is needed");
    if (context.args.size() > 1) throw CliUsageError("unexpected argument " + context.args[1]);
    return context.args.front();
}

}  // namespace

int RunReadParams(CliContext& context) {
    const std::string& path = FileArgument(context);
    CliCore cli(AutoRead::On);
    cli.Connect(context.port);
    SaveParamFile(cli.core(), path);
    return 0;
}

int RunWriteParams(CliContext& context) {
    const std::string& path = FileArgument(context);
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        throw IniError("Unable to read " + path + " (" +
                       std::system_category().message(ec ? ec.value() : ENOENT) + ")");
    }
    CliCore cli(AutoRead::On);
    cli.Connect(context.port);
    AppCore& core = cli.core();
    OpenParamFile(core, path);
    core.WriteParams();
    return 0;
}
