#pragma once

#include <optional>
#include <string>

#include "link/Records.h"
#include "link/Wakeport.h"

/// The station found on an open link.
struct Identification {
    std::string identity;
    DeviceKind kind = DeviceKind::None;
};

/// The identity text of the station on `name`, or nothing when the port cannot be opened or no
/// station answers GetInfo. The port is closed again.
std::optional<std::string> Probe(TWakePort& port, const std::string& name);

/// Opens `name` and identifies its station, as the window connects. Without a name, the first
/// of the machine's ports whose station answers. Throws EInOutError: the port's own errors,
/// "Unknown device" for an identity of neither model, "No station found." without a name when
/// no port answers. The port is left open on success.
Identification Connect(TWakePort& port, const std::optional<std::string>& name);
