#include "tools/cli/Paramcommands.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "app/Paramsync.h"
#include "dialogs/Inifile.h"
#include "tools/cli/Clicore.h"

namespace {

using Field = PanelView::Field;

/// The range of each panel field a parameter file fills, as the window's fields clamp it.
struct FieldBounds {
    Field field;
    double low;
    double high;
};

constexpr double MaxGain = 255;        // PID gains are single bytes
constexpr double MaxPowerLimit = 100;  // %
constexpr double MaxComp = 9;

constexpr FieldBounds ParamFieldBounds[] = {
    {Field::HKp, 0, MaxGain},        {Field::HKi, 0, MaxGain},  {Field::HKd, 0, MaxGain},
    {Field::Plim, 0, MaxPowerLimit}, {Field::Comp, 0, MaxComp}, {Field::FKp, 0, MaxGain},
    {Field::FKi, 0, MaxGain},        {Field::FKd, 0, MaxGain},
};

/// The windowless panel takes any value; a gain of 300 would reach the station as 44.
void ClampToFieldBounds(PanelView& view) {
    for (const auto& b : ParamFieldBounds)
        view.SetValue(b.field, std::clamp(view.Value(b.field), b.low, b.high));
}

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
    ClampToFieldBounds(core.panelView());
    core.panel().WriteParams();
    return 0;
}
