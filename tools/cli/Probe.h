#pragma once

#include <optional>
#include <string>

#include "link/Wakeport.h"

/// The identity text of the station on `name`, or nothing when the port cannot be opened or no
/// station answers GetInfo. The port is closed again.
std::optional<std::string> Probe(TWakePort& port, const std::string& name);

/// The port to connect to: `name` when given, else the first of the machine's ports whose
/// station answers GetInfo. Throws EInOutError "No station found." when none answers.
std::string ChoosePort(TWakePort& port, const std::optional<std::string>& name);
