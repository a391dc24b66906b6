// The fault soak: the acquisition core records against the station emulator with every line
// fault on, then every recorded sample is checked against the replies the station logged.
//
//   soak [--seconds N] [--seed N] [--model KRF-51|KRT-51] [--wire-baud N] [--period MS]
//
// Exit 0 when every sample matches a clean reply, 1 on any mismatch or problem, 2 on bad
// arguments.
#include <charconv>
#include <chrono>
#include <cstdint>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>

#include "bench/soak/Soakrun.h"

namespace {

constexpr int ExitMismatch = 1;
constexpr int ExitUsage = 2;

constexpr const char* Usage =
    "usage: soak [--seconds N] [--seed N] [--model KRF-51|KRT-51] [--wire-baud N] "
    "[--period MS]\n";

template <typename Int>
bool ReadNumber(std::string_view text, Int& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc{} && result.ptr == text.data() + text.size();
}

bool ParseArguments(int argc, char** argv, soak::SoakOptions& o) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (i + 1 == argc) return false;
        const std::string_view value = argv[++i];
        long number = 0;
        if (name == "--model") {
            if (value != "KRF-51" && value != "KRT-51") return false;
            o.model = value;
            continue;
        }
        if (!ReadNumber(value, number) || number < 0) return false;
        if (name == "--seconds" && number > 0) {
            o.duration = std::chrono::seconds(number);
        } else if (name == "--seed") {
            o.seed = static_cast<std::uint32_t>(number);
        } else if (name == "--wire-baud") {
            o.wireBaud = static_cast<int>(number);
        } else if (name == "--period" && number > 0) {
            o.period = std::chrono::milliseconds(number);
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    soak::SoakOptions options;
    if (!ParseArguments(argc, argv, options)) {
        std::cerr << Usage;
        return ExitUsage;
    }
    try {
        const soak::SoakReport report = soak::RunSoak(options);
        soak::PrintReport(std::cout, report);
        return report.ok() ? 0 : ExitMismatch;
    } catch (const std::exception& e) {
        std::cerr << "soak: " << e.what() << "\n";
        return ExitMismatch;
    }
}
