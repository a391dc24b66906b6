#include "core/Stationprobe.h"

#include <chrono>

#include "link/Posixserial.h"
#include "link/Wakeport.h"

StationProbe::StationProbe(LineFactory makeLine) : makeLine_(std::move(makeLine)) {}

StationProbe::~StationProbe() {
    Cancel();
}

void StationProbe::Wait() const {
    if (pending_.valid()) pending_.wait();
}

void StationProbe::Cancel() {
    Wait();
    pending_ = {};
}

void StationProbe::Start(const std::string& port) {
    port_ = port;
    std::unique_ptr<SerialLine> line =
        makeLine_ ? makeLine_() : std::make_unique<PosixSerialLine>();
    pending_ = std::async(std::launch::async, [line = std::move(line), port]() mutable {
        TWakePort link(std::move(line));
        return ScanPorts(link, {port}).front();
    });
}

bool StationProbe::StationAnswered(const std::string& port) {
    if (pending_.valid()) {
        if (pending_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return false;
        const PortProbe row = pending_.get();
        takenPort_ = port_;
        takenReason_ = row.reason;
        const bool known = row.answered && TWakePort::Identify(row.identity) != DeviceKind::None;
        if (known && port_ == port) return true;
    }
    Start(port);
    return false;
}

std::optional<PortReason> StationProbe::reason(const std::string& port) const {
    if (port != takenPort_) return std::nullopt;
    return takenReason_;
}
