#include "tools/station/Options.h"

#include <charconv>
#include <functional>
#include <map>

#include "Version.h"
#include "link/Wakeframe.h"

namespace {

template <typename T>
T ParseNumber(const std::string& option, const std::string& text) {
    T value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw UsageError(option + ": not a number: " + text);
    return value;
}

int ParseInt(const std::string& option, const std::string& text, int low, int high) {
    const int value = ParseNumber<int>(option, text);
    if (value < low || value > high)
        throw UsageError(option + ": " + text + " is outside " + std::to_string(low) + ".." +
                         std::to_string(high));
    return value;
}

double ParseProbability(const std::string& option, const std::string& text) {
    const double p = ParseNumber<double>(option, text);
    if (!(p >= 0.0 && p <= 1.0)) throw UsageError(option + ": probability outside 0..1: " + text);
    return p;
}

double ParseReal(const std::string& option, const std::string& text, double low, double high) {
    const double value = ParseNumber<double>(option, text);
    if (!(value >= low && value <= high))
        throw UsageError(option + ": " + text + " is outside " + std::to_string(low) + ".." +
                         std::to_string(high));
    return value;
}

RequestRange ParseRange(const std::string& option, const std::string& text) {
    const auto dash = text.find('-');
    RequestRange r;
    if (dash == std::string::npos) {
        r.first = r.last = ParseInt(option, text, 1, INT32_MAX);
    } else {
        r.first = ParseInt(option, text.substr(0, dash), 1, INT32_MAX);
        r.last = ParseInt(option, text.substr(dash + 1), 1, INT32_MAX);
    }
    if (r.last < r.first) throw UsageError(option + ": empty range " + text);
    return r;
}

std::vector<int> ParseCommands(const std::string& option, const std::string& text) {
    std::vector<int> codes;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const auto comma = std::min(text.find(',', begin), text.size());
        codes.push_back(ParseInt(option, text.substr(begin, comma - begin), 0, 127));
        begin = comma + 1;
    }
    return codes;
}

DeviceKind ParseModel(const std::string& text) {
    if (text == "KRF-51") return DeviceKind::Krf51;
    if (text == "KRT-51") return DeviceKind::Krt51;
    throw UsageError("--model: KRF-51 or KRT-51, not " + text);
}

using Setter = std::function<void(StationOptions&, const std::string&)>;

const std::map<std::string, Setter>& ValueOptions() {
    static const std::map<std::string, Setter> table = {
        {"--link", [](StationOptions& o, const std::string& v) { o.link = v; }},
        {"--model", [](StationOptions& o, const std::string& v) { o.kind = ParseModel(v); }},
        {"--identity",
         [](StationOptions& o, const std::string& v) {
             // The identity and its zero byte fill one reply.
             if (v.size() >= wake::MaxData) throw UsageError("--identity: text too long");
             o.identity = v;
         }},
        {"--wire-baud",
         [](StationOptions& o, const std::string& v) {
             o.wireBaud = ParseInt("--wire-baud", v, 1, 4'000'000);
         }},
        {"--turnaround",
         [](StationOptions& o, const std::string& v) {
             o.turnaroundUs = ParseInt("--turnaround", v, 0, 1'000'000);
         }},
        {"--seed", [](StationOptions& o,
                      const std::string& v) { o.seed = ParseNumber<std::uint32_t>("--seed", v); }},
        {"--log", [](StationOptions& o, const std::string& v) { o.logPath = v; }},
        {"--sim-step",
         [](StationOptions& o, const std::string& v) {
             o.simStepMs = ParseInt("--sim-step", v, 0, 3'600'000);
         }},
        {"--tip-lag",
         [](StationOptions& o, const std::string& v) {
             o.plant.lagS = ParseReal("--tip-lag", v, 0.05, 3600.0);
         }},
        {"--heater-gain",
         [](StationOptions& o, const std::string& v) {
             o.plant.gainCPerPct = ParseReal("--heater-gain", v, 0.0, 100.0);
         }},
        {"--dead-time",
         [](StationOptions& o, const std::string& v) {
             o.plant.deadTimeS = ParseReal("--dead-time", v, 0.0, 60.0);
         }},
        {"--ambient",
         [](StationOptions& o, const std::string& v) {
             o.plant.ambientC = ParseReal("--ambient", v, -40.0, 100.0);
         }},
        {"--tget-noise",
         [](StationOptions& o, const std::string& v) {
             o.plant.tgetNoiseC = ParseReal("--tget-noise", v, 0.0, 50.0);
         }},
        {"--pid-scale",
         [](StationOptions& o, const std::string& v) {
             o.plant.pidScale = ParseReal("--pid-scale", v, 0.001, 1000.0);
         }},
        {"--noise", [](StationOptions& o,
                       const std::string& v) { o.faults.noise = ParseProbability("--noise", v); }},
        {"--noise-max",
         [](StationOptions& o, const std::string& v) {
             o.faults.noiseMax = ParseInt("--noise-max", v, 1, wake::StartSearchLimit - 1);
         }},
        {"--noise-long",
         [](StationOptions& o, const std::string& v) {
             o.faults.noiseLong = ParseProbability("--noise-long", v);
         }},
        {"--bad-crc",
         [](StationOptions& o, const std::string& v) {
             o.faults.badCrc = ParseProbability("--bad-crc", v);
         }},
        {"--drop", [](StationOptions& o,
                      const std::string& v) { o.faults.drop = ParseProbability("--drop", v); }},
        {"--error-code",
         [](StationOptions& o, const std::string& v) {
             o.faults.errorCode = ParseInt("--error-code", v, 1, 255);
         }},
        {"--error-rate",
         [](StationOptions& o, const std::string& v) {
             o.faults.errorRate = ParseProbability("--error-rate", v);
         }},
        {"--wrong-address",
         [](StationOptions& o, const std::string& v) {
             o.faults.wrongAddress = ParseProbability("--wrong-address", v);
         }},
        {"--wrong-command",
         [](StationOptions& o, const std::string& v) {
             o.faults.wrongCommand = ParseProbability("--wrong-command", v);
         }},
        {"--fend-noise",
         [](StationOptions& o, const std::string& v) {
             o.faults.fendNoise = ParseProbability("--fend-noise", v);
         }},
        {"--late", [](StationOptions& o,
                      const std::string& v) { o.faults.late = ParseProbability("--late", v); }},
        {"--late-ms",
         [](StationOptions& o, const std::string& v) {
             o.faults.lateMs = ParseInt("--late-ms", v, 1, 60'000);
         }},
        {"--silent", [](StationOptions& o,
                        const std::string& v) { o.faults.silent = ParseRange("--silent", v); }},
        {"--fault-commands",
         [](StationOptions& o, const std::string& v) {
             o.faults.onlyCommands = ParseCommands("--fault-commands", v);
         }},
        {"--fault-requests",
         [](StationOptions& o, const std::string& v) {
             o.faults.onlyRequests = ParseRange("--fault-requests", v);
         }},
    };
    return table;
}

}  // namespace

StationOptions ParseStationOptions(const std::vector<std::string>& args) {
    StationOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            return options;
        }
        if (arg == "--version") {
            options.version = true;
            return options;
        }
        const auto& table = ValueOptions();
        const auto it = table.find(arg);
        if (it == table.end()) throw UsageError("unknown argument: " + arg);
        if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
        it->second(options, args[++i]);
    }
    if (options.link.empty()) throw UsageError("--link PATH is required");
    options.faults.seed = options.seed;
    return options;
}

std::string StationVersion() {
    return std::string("tavolin-station ") + TavolinVersion + "\n";
}

const char* StationUsage() {
    return "usage: tavolin-station --link PATH [--model KRF-51|KRT-51] [--identity TEXT]\n"
           "       [--wire-baud N [--turnaround US]] [--seed N] [--log FILE] [--sim-step MS]\n"
           "       [heater options]\n"
           "       [fault options]\n";
}

const char* StationHelp() {
    return R"(tavolin-station: a KRF-51 or KRT-51 tool station on a pseudo-terminal.

Makes PATH a symbolic link to the terminal's device, prints the device on standard output
and serves WAKE requests at address 0 until SIGINT or SIGTERM, then removes PATH.

  --link PATH          where the device link goes (required; a stale link is replaced)
  --model M            KRF-51 (heater and fan, default) or KRT-51 (heater only)
  --identity TEXT      identity text of GetInfo (default "<model> Emulator v1")
  --wire-baud N        a line of N baud, 10 bits a byte: a request counts as arrived once its
                       bytes would have crossed the line, and each reply byte is delivered when
                       it would have
  --turnaround US      with --wire-baud, the reply starts US microseconds after the request's
                       last byte (default 0; real stations take about 1000)
  --seed N             seed of the faults and of the readings' noise (default 1)
  --log FILE           one line per request and reply:  RX|TX <cmd hex> [tags] | <frame hex>
  --sim-step MS        each request advances the physics by MS ms instead of the wall clock
  --help, --version    this text, or the version; then exit

The heater (defaults: the station as it always was):
  --tip-lag S          thermal time constant of the tip in seconds (4)
  --heater-gain G      static gain: °C above ambient per % of heater power (4.8)
  --dead-time S        delay in seconds between the power and its effect on the tip (0)
  --ambient C          ambient temperature: where the tip cools to, and the cold junction (25)
  --tget-noise C       half width of the noise on Tget in °C (0.3)
  --pid-scale X        physical worth of one unit of each heater PID gain, x the default (1)

Faults (probabilities per reply, 0..1, drawn from --seed):
  --noise P            noise bytes (never C0) before the reply   --noise-max N  at most N (64)
  --noise-long P       600 noise bytes without FEND and no reply
  --bad-crc P          the reply's CRC byte is wrong
  --drop P             no reply (the request was carried out)
  --error-code CODE    refuse with this error code (2 busy, ...)  --error-rate P (default 1)
  --wrong-address P    the reply comes from address 1
  --wrong-command P    the reply names the next command code
  --fend-noise P       a frame start (C0, a command, a count) cut short by the reply's FEND,
                       1..--noise-max bytes, after any plain noise
  --late P             the reply goes out late, after the client gave up on it
  --late-ms MS         how late (250)
  --silent N-M         no reply to requests N..M and nothing carried out (1-based, every
                       request received counts)
  --fault-commands L   faults strike only these command codes (decimal, comma-separated)
  --fault-requests N-M faults strike only these requests

Error codes the station answers with: 1 for an unknown command, a fan command to a KRT-51 or
request data of the wrong length; 4 for a preset index beyond its presets.
)";
}
