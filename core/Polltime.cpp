#include "core/Polltime.h"

#include "link/Linetime.h"
#include "link/Wakecom.h"

namespace polltime {

namespace {

// Acquisition::PollStation sends exactly these.
constexpr cmd::Code HeaterPoll[] = {cmd::GetHeat};
constexpr cmd::Code HeaterAndFanPoll[] = {cmd::GetHeat, cmd::GetFan};

}  // namespace

std::span<const cmd::Code> PollCommands(DeviceKind kind) noexcept {
    switch (kind) {
        case DeviceKind::Krt51:
            return HeaterPoll;
        case DeviceKind::Krf51:
            return HeaterAndFanPoll;
        case DeviceKind::None:
            break;
    }
    return {};
}

int PollBytes(DeviceKind kind) noexcept {
    int bytes = 0;
    for (const cmd::Code code : PollCommands(kind)) bytes += linetime::TransactionBytes(code);
    return bytes;
}

double PollLineMs(DeviceKind kind) noexcept {
    return linetime::LineMs(PollBytes(kind), TWakeCom::DefaultBaud);
}

double ShortestPeriodMs(DeviceKind kind) noexcept {
    return PollLineMs(kind) + TurnaroundMarginMs * static_cast<double>(PollCommands(kind).size());
}

bool TooFast(int periodMs, DeviceKind kind) noexcept {
    return kind != DeviceKind::None && periodMs < ShortestPeriodMs(kind);
}

}  // namespace polltime
