#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "link/Commands.h"
#include "link/Records.h"

/// The station's side of the wire for the panel tests: the requests the link wrote, decoded,
/// and the replies a station sends, encoded. Field layouts are written out here on their own,
/// so that a slip in the link's layout shows up as a mismatch.
namespace panelwire {

using Bytes = std::vector<std::uint8_t>;

using namespace cmd;  // the station's command codes

struct Request {
    int command = 0;
    Bytes data;
    bool operator==(const Request&) const = default;
};
void PrintTo(const Request& request, std::ostream* out);

/// Every frame in `written`, in order; throws the link's error on a malformed one.
std::vector<Request> Decode(const Bytes& written);

/// The commands of `requests`, in order.
std::vector<int> Commands(const std::vector<Request>& requests);

// Requests as the station expects them.
Request SetTRequest(int tset, int power);
Request PidRequest(int command, const PidGains& gains);
Request SetParHRequest(const HeaterParams& params);
Request SetVRequest(int vset, int pwm);
Request SetPresetRequest(const Preset& preset);
Request GetPresetRequest(int index);
Request SetTimersRequest(const Timers& timers);
Request Bare(int command);

// Reply frames as the station sends them: the command, error code 0, the record.
Bytes Ack(int command);
Bytes InfoReply(const std::string& identity);
Bytes PidReply(int command, const PidGains& gains);
Bytes ParHReply(const HeaterParams& params);
Bytes PresetReply(const Preset& preset);
Bytes TimersReply(const Timers& timers);
Bytes ErrorReply(int command, int code);

}  // namespace panelwire
