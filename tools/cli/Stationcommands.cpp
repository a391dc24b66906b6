#include "tools/cli/Stationcommands.h"

#include "link/Convert.h"
#include "link/Portlist.h"
#include "link/Portscan.h"
#include "tools/cli/Clicore.h"
#include "tools/cli/Display.h"
#include "tools/cli/Probe.h"

namespace {

void ExpectNoArguments(const CliContext& context) {
    if (!context.args.empty()) throw CliUsageError("unexpected argument " + context.args.front());
}

}  // namespace

int RunPorts(CliContext& context) {
    TWakePort port;
    for (const auto& name : ListPorts(context.args)) {
        const PortProbe probe = ProbePort(port, name);
        context.out << name << '\t' << probe.identity;
        if (probe.reason) context.out << '\t' << probe.reason->text();
        context.out << '\n';
    }
    return 0;
}

int RunInfo(CliContext& context) {
    ExpectNoArguments(context);
    CliCore cli(AutoRead::Off);
    cli.Connect(context.port);
    const Connection& connection = cli.core().connection();
    context.out << connection.identityText() << '\n'
                << "kind=" << FormatScaled(static_cast<int>(connection.kind()), convert::Unscaled)
                << '\n';
    return 0;
}

int RunStatus(CliContext& context) {
    ExpectNoArguments(context);
    CliCore cli(AutoRead::Off);
    cli.Connect(context.port);
    TWakePort& port = cli.core().link();
    const HeatStatus heat = port.GetHeat();
    auto& out = context.out;
    out << "Tset=" << FormatScaled(heat.Tset, convert::Tenths) << '\n'
        << "Tget=" << FormatScaled(heat.Tget, convert::Tenths) << '\n'
        << "Tcj=" << FormatScaled(heat.Tcj, convert::Tenths) << '\n'
        << "Power=" << FormatScaled(heat.Power, convert::Tenths) << '\n'
        << "PllErr=" << FormatScaled(heat.PllErr, convert::Unscaled) << '\n'
        << "PllPer=" << FormatScaled(heat.PllPer, convert::Unscaled) << '\n';
    if (cli.core().connection().kind() == DeviceKind::Krf51) {
        const FanStatus fan = port.GetFan();
        out << "Vset=" << FormatScaled(fan.Vset, convert::Unscaled) << '\n'
            << "Vget=" << FormatScaled(fan.Vget, convert::Unscaled) << '\n'
            << "Pwm=" << FormatScaled(fan.Pwm, convert::Unscaled) << '\n';
    }
    return 0;
}
