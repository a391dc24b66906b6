#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/station/Random.h"
#include "tools/station/Wirebytes.h"

/// An inclusive range of request numbers (1-based, every request received counts).
struct RequestRange {
    int first = 0;
    int last = 0;
    bool Contains(int n) const noexcept { return n >= first && n <= last; }
};

/// How often each line fault strikes a reply. Probabilities are per reply, 0..1.
struct FaultOptions {
    std::uint32_t seed = 1;
    double noise = 0;         // noise bytes (never FEND) before the reply
    int noiseMax = 64;        // at most this many noise bytes, below the 512-byte start search
    double noiseLong = 0;     // 600 noise bytes and no reply: the start search gives up
    double badCrc = 0;        // the reply's CRC byte is wrong
    double drop = 0;          // no reply at all
    int errorCode = 0;        // the station refuses with this code ...
    double errorRate = 1;     // ... this often, when errorCode is not 0
    double wrongAddress = 0;  // the reply comes from address 1
    double wrongCommand = 0;  // the reply names the next command code
    double fendNoise = 0;     // a frame start in the noise, cut short by the reply's own FEND
    double late = 0;          // the reply goes out lateMs after the request ...
    int lateMs = 250;         // ... beyond the client's time-out
    std::optional<RequestRange> silent;        // no reply to these requests, and nothing applied
    std::vector<int> onlyCommands;             // faults strike only these commands (all when empty)
    std::optional<RequestRange> onlyRequests;  // ... and only these requests
};

/// What happens to one reply.
struct FaultDecision {
    bool silent = false;     // the station did not hear the request
    bool drop = false;       // the reply is lost
    bool noiseLong = false;  // the line carries only noise
    int noiseBytes = 0;
    bool badCrc = false;
    int errorCode = 0;  // refuse with this code instead of applying the request
    bool wrongAddress = false;
    bool wrongCommand = false;
    int fendNoiseBytes = 0;  // FEND and the start of a frame that never ends, before the reply
    int lateMs = 0;          // wait this long before the reply goes out

    /// A frame goes out (perhaps damaged).
    bool SendsFrame() const noexcept { return !silent && !drop && !noiseLong; }
    /// The request reaches the station and is carried out.
    bool Applies() const noexcept { return !silent && errorCode == 0; }
};

/// Decides the faults of each reply from the seed alone: every request draws the same number
/// of random values whatever is decided, so a seed gives the same faults for the same request
/// sequence.
class FaultPlan {
  public:
    static constexpr int LongNoiseBytes = 600;
    static constexpr int WrongAddress = 1;

    explicit FaultPlan(FaultOptions options);

    /// The faults of the reply to request number `n` (1-based) for `command`. `hasErrorCode`
    /// is false for replies that carry no error code byte, which are never refused.
    FaultDecision Decide(int n, std::uint8_t command, bool hasErrorCode);

    /// `count` random bytes, none of them FEND.
    Bytes Noise(int count);
    /// `count` bytes that look like the start of a frame and never complete one: FEND, a
    /// command, a count beyond the bytes that follow, then data without FEND or FESC.
    Bytes FendNoise(int count);

  private:
    bool Targets(int n, std::uint8_t command) const;

    FaultOptions options_;
    Random random_;
};
