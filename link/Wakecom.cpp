#include "link/Wakecom.h"

#include <algorithm>
#include <charconv>

#include "link/Commands.h"
#include "link/Posixserial.h"

TWakeCom::TWakeCom() : TWakeCom(std::make_unique<PosixSerialLine>()) {}

TWakeCom::TWakeCom(std::unique_ptr<SerialLine> line) : line_(std::move(line)) {}

// The owner closes the port; closing here too keeps a forgotten port from staying locked.
TWakeCom::~TWakeCom() {
    Close();
}

std::string TWakeCom::PortNameOf(int number) {
    return "COM" + std::to_string(number);
}

int TWakeCom::PortNumberOf(const std::string& name) {
    if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return 0;
    const std::string digits = name.substr(3, 2);
    int number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (ec != std::errc() || end != digits.data() + digits.size()) return 0;
    return number;
}

void TWakeCom::OpenNumber(int number) {
    Open(PortNameOf(number));
}

void TWakeCom::Open(const std::string& name) {
    Close();
    portName_ = name;
    portNumber_ = PortNumberOf(name);
    try {
        line_->Open(name, baud_);
    } catch (...) {
        line_->Close();
        throw;
    }
}

void TWakeCom::Close() noexcept {
    portNumber_ = 0;
    portName_ = "COM0";
    line_->Close();
}

void TWakeCom::SetBaud(int baud) {
    baud_ = baud;
    if (line_->IsOpen()) line_->SetBaud(baud);
}

void TWakeCom::Purge() {
    if (line_->IsOpen()) line_->Purge();
}

std::string TWakeCom::GetInfo(int address) {
    std::lock_guard guard(lock_);
    BeginCommand(cmd::GetInfo, "GetInfo");
    Transact(address);
    const auto begin = replyData_.begin();
    const auto end = begin + replyCount_;
    return std::string(begin, std::find(begin, end, std::uint8_t{0}));
}

void TWakeCom::SendFrame(std::uint8_t address, std::uint8_t command, const std::uint8_t* data,
                         std::uint8_t count) {
    wake::SendFrame(*line_, address, command, data, count);
}

wake::Frame TWakeCom::ReceiveFrame(std::uint8_t* data) {
    return wake::ReceiveFrame(*line_, data);
}

void TWakeCom::BeginCommand(int code, const char* label) {
    commandCode_ = code;
    commandLabel_ = label;
    requestCount_ = 0;
    replyIndex_ = 1;
    replyFresh_ = false;
}

void TWakeCom::PutByte(int value) noexcept {
    if (requestCount_ < static_cast<int>(wake::MaxData))
        requestData_[requestCount_++] = static_cast<std::uint8_t>(value);
}

void TWakeCom::PutWord(int value) noexcept {
    if (requestCount_ <= static_cast<int>(wake::MaxData) - 2) {
        requestData_[requestCount_++] = static_cast<std::uint8_t>(value);
        requestData_[requestCount_++] = static_cast<std::uint8_t>(value >> 8);
    }
}

const char* TWakeCom::ErrorText(int code) noexcept {
    switch (code) {
        case 2:
            return "devise busy.";
        case 3:
            return "device not ready.";
        case 4:
            return "invalid parameters.";
        case 5:
            return "timeout reached.";
        case 6:
            return "invalid address.";
        default:
            return "invalid packet.";
    }
}

void TWakeCom::ThrowCommandError(int code) const {
    throw EInOutError("Error of command " + commandLabel_ + ":\r" + ErrorText(code));
}

void TWakeCom::Transact(int address) {
    if (!line_->IsOpen()) return;
    address_ = address;
    ++counts_.requests;
    // Whatever waits in the input came before this request, such as a reply that arrived
    // after an earlier command gave up on it; it must not answer this one.
    line_->Purge();
    wake::Frame reply;
    try {
        SendFrame(static_cast<std::uint8_t>(address_), static_cast<std::uint8_t>(commandCode_),
                  requestData_.data(), static_cast<std::uint8_t>(requestCount_));
        reply = ReceiveReply();
    } catch (const ELinkFault& e) {
        counts_.Count(e.outcome());
        throw;
    }
    replyCount_ = reply.count;
    replyFresh_ = true;

    int code = 0;
    LinkOutcome outcome = LinkOutcome::Reply;
    if (reply.command != cmd::GetInfo && reply.command != cmd::Echo) {
        // A reply without its error byte is malformed, not a success.
        code = reply.count == 0 ? 1 : replyData_[0];
        if (reply.count == 0) {
            outcome = LinkOutcome::FrameError;
        } else if (code != 0) {
            outcome = LinkOutcome::StationError;
        }
    }
    if (code > 6) code = 1;
    if (reply.address != address_) {
        code = 6;
        outcome = LinkOutcome::WrongReply;
    } else if (reply.command != commandCode_) {
        code = 4;
        outcome = LinkOutcome::WrongReply;
    }
    counts_.Count(outcome);
    if (code != 0) ThrowCommandError(code);
}

wake::Frame TWakeCom::ReceiveReply() {
    wake::Frame reply = ReceiveFrame(replyData_.data());
    // A late reply to an earlier command, or another station's, is passed over while this
    // one's may still come. When nothing good follows, the first one passed over is what
    // the command reports, as if it had been taken.
    const auto ours = [&](const wake::Frame& f) {
        return f.address == address_ && f.command == commandCode_;
    };
    if (ours(reply)) return reply;
    const std::array<std::uint8_t, wake::MaxData> firstData = replyData_;
    for (int passed = 1; passed <= MaxRepliesPassedOver; ++passed) {
        try {
            const wake::Frame next = ReceiveFrame(replyData_.data());
            if (ours(next)) return next;
        } catch (const EInOutError&) {
            break;
        }
    }
    replyData_ = firstData;
    return reply;
}

void TWakeCom::ExpectReplyFields(int bytes) {
    if (!replyFresh_ || replyCount_ >= 1 + bytes) return;
    counts_.Recount(LinkOutcome::Reply, LinkOutcome::FrameError);
    ThrowCommandError(1);
}

std::uint8_t TWakeCom::GetByte() noexcept {
    const std::uint8_t value =
        replyIndex_ < static_cast<int>(wake::MaxData) ? replyData_[replyIndex_] : 0;
    ++replyIndex_;
    return value;
}

std::uint16_t TWakeCom::GetWord() noexcept {
    const std::uint8_t low = GetByte();
    const std::uint8_t high = GetByte();
    return static_cast<std::uint16_t>(low + 256 * high);
}
