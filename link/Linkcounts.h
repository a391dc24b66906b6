#pragma once

/// What became of one request sent to the station.
enum class LinkOutcome {
    Reply,         ///< a good reply, its fields all there
    Timeout,       ///< no byte came in time
    CrcError,      ///< the reply's CRC did not check
    FrameError,    ///< no frame marker, bad stuffing, a count too long, a reply too short
    StationError,  ///< the station refused with its error code
    WrongReply,    ///< the reply came from another address or for another command
};

/// Counts of the requests a link sent and of what became of them.
struct LinkCounts {
    long requests = 0;
    long replies = 0;
    long timeouts = 0;
    long crcErrors = 0;
    long frameErrors = 0;
    long stationErrors = 0;
    long wrongReplies = 0;

    void Count(LinkOutcome outcome) noexcept { ++Of(outcome); }
    /// A reply counted good whose fields then fell short: it was a frame error after all.
    void Recount(LinkOutcome from, LinkOutcome to) noexcept {
        --Of(from);
        ++Of(to);
    }
    long& Of(LinkOutcome outcome) noexcept {
        switch (outcome) {
            case LinkOutcome::Reply:
                return replies;
            case LinkOutcome::Timeout:
                return timeouts;
            case LinkOutcome::CrcError:
                return crcErrors;
            case LinkOutcome::FrameError:
                return frameErrors;
            case LinkOutcome::StationError:
                return stationErrors;
            case LinkOutcome::WrongReply:
                break;
        }
        return wrongReplies;
    }
    /// The counts since `earlier` was taken.
    LinkCounts operator-(const LinkCounts& earlier) const noexcept {
        return {requests - earlier.requests,        replies - earlier.replies,
                timeouts - earlier.timeouts,        crcErrors - earlier.crcErrors,
                frameErrors - earlier.frameErrors,  stationErrors - earlier.stationErrors,
                wrongReplies - earlier.wrongReplies};
    }
    bool operator==(const LinkCounts&) const = default;
};
