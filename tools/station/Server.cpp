#include "tools/station/Server.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "link/Inouterror.h"
#include "link/Wakeframe.h"

namespace {

// A wall-clock gap longer than this (a suspended machine) is not simulated in full.
constexpr std::chrono::hours MaxCatchUp{1};

std::string Tag(const char* name, const std::string& value) {
    return std::string(name) + '=' + value;
}

/// The captured bytes from the frame's FEND on; `skipped` gets the count before it. No raw
/// FEND stands inside a frame, so the last one opened the frame the decoder read.
Bytes FromFend(const std::vector<std::uint8_t>& captured, std::size_t& skipped) {
    const auto last = std::find(captured.rbegin(), captured.rend(), wake::Fend);
    if (last == captured.rend()) {
        skipped = captured.size();
        return {};
    }
    const auto fend = std::prev(last.base());
    skipped = static_cast<std::size_t>(fend - captured.begin());
    return Bytes(fend, captured.end());
}

/// The command of a raw frame addressed to station 0, read without its CRC.
std::optional<std::uint8_t> AttributeCommand(const Bytes& raw) {
    std::size_t i = 1;
    if (i >= raw.size()) return std::nullopt;
    std::uint8_t b = raw[i];
    if (b & 0x80) {
        // Address byte: only address 0 is ours (a stuffed byte is a non-zero address).
        if (b != 0x80) return std::nullopt;
        if (++i >= raw.size()) return std::nullopt;
        b = raw[i];
    }
    if (b & 0x80) return std::nullopt;
    return b;
}

/// Replaces the frame's CRC byte (the last logical byte) by a wrong one that needs no stuffing.
void CorruptCrc(Bytes& frame) {
    const std::size_t n = frame.size();
    std::uint8_t crc = frame[n - 1];
    std::size_t width = 1;
    if (n >= 2 && frame[n - 2] == wake::Fesc) {
        crc = frame[n - 1] == wake::Tfend ? wake::Fend : wake::Fesc;
        width = 2;
    }
    std::uint8_t bad = crc ^ 0x01;
    if (bad == wake::Fend || bad == wake::Fesc) bad = crc ^ 0x02;
    frame.resize(n - width);
    frame.push_back(bad);
}

Bytes Encode(std::uint8_t address, std::uint8_t command, const Bytes& data) {
    std::uint8_t buffer[wake::FrameBufferSize];
    const std::size_t size = wake::EncodeFrame(address, command, data.data(),
                                               static_cast<std::uint8_t>(data.size()), buffer);
    return Bytes(buffer, buffer + size);
}

const char* MalformedTag(const char* message) {
    if (std::strcmp(message, "WAKE CRC error.") == 0) return "BADCRC";
    if (std::strcmp(message, "WAKE destuffing error.") == 0) return "BADSTUFF";
    if (std::strcmp(message, "WAKE frame too long.") == 0) return "TOOLONG";
    return "UNFINISHED";
}

}  // namespace

Server::Server(PtyLine& line, Station& station, FaultPlan& faults, StationLog& log,
               std::optional<std::chrono::milliseconds> simStep)
    : line_(line),
      station_(station),
      faults_(faults),
      log_(log),
      simStep_(simStep),
      last_(std::chrono::steady_clock::now()) {}

void Server::Run() {
    while (!line_.Stopped()) ServeOne();
}

void Server::AdvanceClock() {
    using std::chrono::microseconds;
    if (simStep_) {
        station_.Advance(std::chrono::duration_cast<microseconds>(*simStep_));
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = std::min<std::chrono::steady_clock::duration>(now - last_, MaxCatchUp);
    last_ = now;
    station_.Advance(std::chrono::duration_cast<microseconds>(elapsed));
}

void Server::ServeOne() {
    line_.StartCapture();
    std::uint8_t data[wake::MaxData];
    wake::Frame frame;
    try {
        frame = wake::ReceiveFrame(line_, data);
    } catch (const EInOutError& e) {
        // A time-out with nothing read is the idle line.
        if (!line_.Captured().empty()) HandleMalformed(e.what());
        return;
    }
    std::size_t skipped = 0;
    const Bytes raw = FromFend(line_.Captured(), skipped);
    const int n = ++requests_;
    std::vector<std::string> tags{Tag("N", std::to_string(n))};
    if (skipped != 0) tags.push_back(Tag("SKIPPED", std::to_string(skipped)));
    if (frame.address != 0) {
        tags.push_back(Tag("ADDRESS", Hex2(frame.address)));
        tags.push_back("IGNORED");
        log_.Rx(frame.command, tags, raw);
        return;
    }
    log_.Rx(frame.command, tags, raw);
    Respond(n, frame.command, data, frame.count, Station::Ok);
}

void Server::HandleMalformed(const char* message) {
    std::size_t skipped = 0;
    const Bytes raw = FromFend(line_.Captured(), skipped);
    if (raw.empty()) {
        log_.Rx(StationLog::NoCommand, {Tag("NOISE", std::to_string(skipped))}, {});
        return;
    }
    const int n = ++requests_;
    const char* tag = MalformedTag(message);
    const auto command = AttributeCommand(raw);
    const bool answer = command && std::strcmp(tag, "UNFINISHED") != 0;
    std::vector<std::string> tags{Tag("N", std::to_string(n)), tag};
    if (!answer) tags.push_back("IGNORED");
    log_.Rx(command ? *command : StationLog::NoCommand, tags, raw);
    if (answer) Respond(n, *command, nullptr, 0, Station::BadPacket);
}

void Server::Respond(int n, std::uint8_t command, const std::uint8_t* data, std::size_t count,
                     std::uint8_t refusal) {
    const FaultDecision fault =
        faults_.Decide(n, command, !Station::RepliesWithoutErrorCode(command));
    std::vector<std::string> tags{Tag("N", std::to_string(n))};
    AdvanceClock();
    if (fault.silent) {
        tags.push_back("SILENT");
        log_.Tx(command, tags, {});
        return;
    }
    Bytes reply;
    if (refusal != Station::Ok) {
        reply = {refusal};
    } else if (fault.errorCode != 0) {
        reply = {static_cast<std::uint8_t>(fault.errorCode)};
        tags.push_back(Tag("ERROR", Hex2(static_cast<unsigned>(fault.errorCode))));
    } else {
        reply = station_.Handle(command, data, count);
    }
    if (fault.drop) {
        tags.push_back("DROPPED");
        log_.Tx(command, tags, {});
        return;
    }
    if (fault.noiseLong) {
        const Bytes noise = faults_.Noise(FaultPlan::LongNoiseBytes);
        tags.push_back(Tag("NOISE", std::to_string(noise.size())));
        tags.push_back("NOFRAME");
        log_.Tx(command, tags, {});
        line_.Write(noise.data(), noise.size());
        return;
    }
    const std::uint8_t address = fault.wrongAddress ? FaultPlan::WrongAddress : 0;
    const std::uint8_t replyCommand = fault.wrongCommand ? (command + 1) & 0x7F : command;
    Bytes frame = Encode(address, replyCommand, reply);
    if (fault.wrongAddress) tags.push_back(Tag("ADDRESS", Hex2(address)));
    if (fault.wrongCommand) tags.push_back(Tag("COMMAND", Hex2(replyCommand)));
    if (fault.badCrc) {
        CorruptCrc(frame);
        tags.push_back("BADCRC");
    }
    Bytes line = faults_.Noise(fault.noiseBytes);
    if (!line.empty()) tags.push_back(Tag("NOISE", std::to_string(line.size())));
    // Plain noise first: its FESC bytes inside the cut frame would end it as a stuffing error.
    const Bytes cut = faults_.FendNoise(fault.fendNoiseBytes);
    if (!cut.empty()) tags.push_back(Tag("FENDNOISE", std::to_string(cut.size())));
    line.insert(line.end(), cut.begin(), cut.end());
    if (fault.lateMs != 0) tags.push_back(Tag("LATE", std::to_string(fault.lateMs)));
    // Logged before it goes out, so that a client holding the reply finds its line in the log;
    // a late reply's line comes before the wait, as the client gives up on it meanwhile.
    log_.Tx(command, tags, frame);
    if (fault.lateMs != 0) std::this_thread::sleep_for(std::chrono::milliseconds(fault.lateMs));
    line.insert(line.end(), frame.begin(), frame.end());
    line_.Write(line.data(), line.size());
}
