// Feeds arbitrary line bytes to the frame decoder: it must only ever accept a frame or throw
// the link's error, and never write past the reply buffer.
#include <array>
#include <cstdint>
#include <cstring>

#include "link/Inouterror.h"
#include "link/Serialline.h"
#include "link/Wakeframe.h"

namespace {

class BytesLine final : public SerialLine {
public:
    BytesLine(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    void Open(const std::string&, int) override {}
    void Close() noexcept override {}
    bool IsOpen() const noexcept override { return true; }
    void SetBaud(int) override {}
    void Purge() override {}
    bool ReadByte(std::uint8_t& value) override {
        if (next_ == size_) return false;
        value = data_[next_++];
        return true;
    }
    long Write(const std::uint8_t*, std::size_t size) override { return static_cast<long>(size); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    BytesLine line(data, size);
    std::array<std::uint8_t, wake::MaxData> reply{};
    try {
        const wake::Frame frame = wake::ReceiveFrame(line, reply.data());
        // An accepted frame re-encodes to a frame the decoder accepts again with the same data.
        std::uint8_t buffer[wake::FrameBufferSize];
        const auto length = wake::EncodeFrame(frame.address, frame.command, reply.data(),
                                              frame.count, buffer);
        BytesLine again(buffer, length);
        std::array<std::uint8_t, wake::MaxData> copy{};
        const wake::Frame second = wake::ReceiveFrame(again, copy.data());
        if (second.count != frame.count || (second.command & 0x7F) != (frame.command & 0x7F) ||
            std::memcmp(copy.data(), reply.data(), frame.count) != 0)
            __builtin_trap();
    } catch (const EInOutError&) {
        // Every malformed input ends here.
    }
    return 0;
}
