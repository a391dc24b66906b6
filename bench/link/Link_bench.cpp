// The link's own cost: framing a request, decoding a reply, and one whole GetHeat transaction
// over a pseudo-terminal to the station emulator, unpaced and at the line's 19200 baud.
#include <benchmark/benchmark.h>

#include <array>
#include <deque>

#include "link/Wakeframe.h"
#include "link/Wakeport.h"
#include "support/Stationprocess.h"

namespace {

/// Hands out the same reply frame again and again.
class ReplayLine final : public SerialLine {
  public:
    explicit ReplayLine(std::vector<std::uint8_t> frame) : frame_(std::move(frame)) {}
    void Open(const std::string&, int) override {}
    void Close() noexcept override {}
    bool IsOpen() const noexcept override { return true; }
    void SetBaud(int) override {}
    void Purge() override {}
    bool ReadByte(std::uint8_t& value) override {
        value = frame_[next_];
        next_ = (next_ + 1) % frame_.size();
        return true;
    }
    long Write(const std::uint8_t*, std::size_t size) override { return static_cast<long>(size); }

  private:
    std::vector<std::uint8_t> frame_;
    std::size_t next_ = 0;
};

// The GetHeat reply with its stuffed 0xC0.
const std::vector<std::uint8_t> HeatReply = {0xC0, 0x07, 0x0D, 0x00, 0xDB, 0xDC, 0x0D, 0xAA, 0x0D,
                                             0xFA, 0x00, 0x7B, 0x00, 0xFE, 0xFF, 0x10, 0x27, 0xA3};

void BM_EncodeSetT(benchmark::State& state) {
    const std::uint8_t data[] = {0xAC, 0x0D, 0xE8, 0x03};
    std::uint8_t buffer[wake::FrameBufferSize];
    for (auto _ : state) {
        benchmark::DoNotOptimize(wake::EncodeFrame(0, 6, data, 4, buffer));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EncodeSetT);

void BM_DecodeGetHeatReply(benchmark::State& state) {
    ReplayLine line(HeatReply);
    std::array<std::uint8_t, wake::MaxData> data{};
    for (auto _ : state) benchmark::DoNotOptimize(wake::ReceiveFrame(line, data.data()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(HeatReply.size()));
}
BENCHMARK(BM_DecodeGetHeatReply);

void BM_GetHeatOverPseudoTerminal(benchmark::State& state) {
    std::vector<std::string> extra;
    if (state.range(0) > 0) extra = {"--wire-baud", std::to_string(state.range(0))};
    StationProcess station({.model = "KRT-51", .extra = extra});
    TWakePort port;
    port.Open(station.Link());
    for (auto _ : state) benchmark::DoNotOptimize(port.GetHeat());
    state.SetLabel(state.range(0) > 0 ? "paced at 19200 baud" : "unpaced");
}
BENCHMARK(BM_GetHeatOverPseudoTerminal)
    ->Arg(0)
    ->Arg(19200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
