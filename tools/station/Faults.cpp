#include "tools/station/Faults.h"

#include <algorithm>

#include "link/Wakeframe.h"

FaultPlan::FaultPlan(FaultOptions options) : options_(std::move(options)), random_(options_.seed) {}

bool FaultPlan::Targets(int n, std::uint8_t command) const {
    const auto& only = options_.onlyCommands;
    if (!only.empty() && std::find(only.begin(), only.end(), command) == only.end()) return false;
    return !options_.onlyRequests || options_.onlyRequests->Contains(n);
}

FaultDecision FaultPlan::Decide(int n, std::uint8_t command, bool hasErrorCode) {
    FaultDecision d;
    // Draw everything first, in a fixed order, so that the sequence does not depend on what
    // the filters let through.
    const bool drop = random_.Chance(options_.drop);
    const bool noiseLong = random_.Chance(options_.noiseLong);
    const bool noise = random_.Chance(options_.noise);
    const int noiseBytes = random_.Between(1, std::max(1, options_.noiseMax));
    const bool badCrc = random_.Chance(options_.badCrc);
    const bool refuse = options_.errorCode != 0 && random_.Chance(options_.errorRate);
    const bool wrongAddress = random_.Chance(options_.wrongAddress);
    const bool wrongCommand = random_.Chance(options_.wrongCommand);
    // Drawn after the older faults, so that a seed keeps giving those the same requests.
    const bool fendNoise = random_.Chance(options_.fendNoise);
    const int fendNoiseBytes = random_.Between(1, std::max(1, options_.noiseMax));
    const bool late = random_.Chance(options_.late);

    d.silent = options_.silent && options_.silent->Contains(n);
    if (d.silent || !Targets(n, command)) return d;
    d.drop = drop;
    d.noiseLong = noiseLong;
    d.noiseBytes = noise ? noiseBytes : 0;
    d.badCrc = badCrc;
    d.errorCode = refuse && hasErrorCode ? options_.errorCode : 0;
    d.wrongAddress = wrongAddress;
    d.wrongCommand = wrongCommand;
    d.fendNoiseBytes = fendNoise ? fendNoiseBytes : 0;
    d.lateMs = late ? options_.lateMs : 0;
    return d;
}

Bytes FaultPlan::Noise(int count) {
    Bytes bytes;
    bytes.reserve(static_cast<std::size_t>(count));
    while (static_cast<int>(bytes.size()) < count) {
        const auto b = static_cast<std::uint8_t>(random_.Between(0, 255));
        if (b != wake::Fend) bytes.push_back(b);
    }
    return bytes;
}

Bytes FaultPlan::FendNoise(int count) {
    if (count <= 0) return {};
    count = std::min(count, 3 + static_cast<int>(wake::MaxData));
    Bytes bytes{wake::Fend};
    const auto dataBytes = std::max(0, count - 3);
    if (count >= 2) bytes.push_back(static_cast<std::uint8_t>(random_.Between(0, 0x7F)));
    if (count >= 3) {
        // A count the bytes that follow cannot fill, and that needs no stuffing.
        int announced = 0;
        do {
            announced = random_.Between(dataBytes, static_cast<int>(wake::MaxData));
        } while (announced == wake::Fend || announced == wake::Fesc);
        bytes.push_back(static_cast<std::uint8_t>(announced));
    }
    while (static_cast<int>(bytes.size()) < count) {
        const auto b = static_cast<std::uint8_t>(random_.Between(0, 255));
        if (b != wake::Fend && b != wake::Fesc) bytes.push_back(b);
    }
    return bytes;
}
