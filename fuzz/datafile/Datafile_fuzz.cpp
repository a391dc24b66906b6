// Feeds arbitrary text to the data file reader. It must never crash, never store past the
// store's last slot and leave every slot from `count` on at 0; a file it accepts must
// re-format and read back to the same samples, traces and period.
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "files/Datafile.h"
#include "traces/Tracestore.h"

namespace {

// The period the writer is given when the file named none (fewer than two rows).
constexpr int FallbackPeriodMs = 100;

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

/// Both stores live for the whole run: they are 650 kB each, too big for every call's stack.
TraceStore& FirstStore() {
    static const auto store = std::make_unique<TraceStore>();
    return *store;
}
TraceStore& SecondStore() {
    static const auto store = std::make_unique<TraceStore>();
    return *store;
}

void CheckUnusedSlotsZero(const TraceStore& store) {
    static const std::array<std::int32_t, TraceCapacity> zeros{};
    const int count = store.count();
    Check(count >= 0 && count <= TraceCapacity);
    // memcmp, not a loop: the fuzzer's instrumentation would make 160 000 compares per input
    // its slowest part.
    const std::size_t unused =
        sizeof(std::int32_t) * static_cast<std::size_t>(TraceCapacity - count);
    for (int trace = 0; trace < TraceCount; ++trace)
        Check(std::memcmp(store.column(trace).data() + count, zeros.data(), unused) == 0);
}

void CheckSameSamples(const TraceStore& a, const TraceStore& b,
                      const datafile::TraceVisibility& visible) {
    Check(a.count() == b.count());
    for (int trace = 0; trace < TraceCount; ++trace) {
        if (!visible[trace]) continue;
        for (int i = 0; i < a.count(); ++i) Check(a.value(trace, i) == b.value(trace, i));
    }
}

void CheckReadsBack(const datafile::DataFileText& file, const datafile::LoadResult& loaded,
                    const TraceStore& store) {
    const int period = loaded.samplePeriodMs.value_or(FallbackPeriodMs);
    const std::string text = datafile::FormatDataFile(store, file.visible, period);
    const datafile::DataFileText again = datafile::CheckHeader(text);
    Check(again.ok);
    Check(again.visible == file.visible);

    TraceStore& copy = SecondStore();
    const datafile::LoadResult reloaded = datafile::LoadRows(again, copy);
    Check(reloaded.ok);
    Check(reloaded.droppedRows == 0);
    CheckSameSamples(store, copy, file.visible);
    // The second row's time is the period, and only a file with two rows carries one.
    if (store.count() >= 2)
        Check(reloaded.samplePeriodMs == period);
    else
        Check(!reloaded.samplePeriodMs.has_value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const datafile::DataFileText file =
        datafile::CheckHeader(std::string(reinterpret_cast<const char*>(data), size));
    if (!file.ok) {
        Check(file.message == datafile::BadFormatMessage);
        return 0;
    }
    TraceStore& store = FirstStore();
    const datafile::LoadResult loaded = datafile::LoadRows(file, store);
    CheckUnusedSlotsZero(store);
    if (!loaded.ok) {
        Check(loaded.message == datafile::BadFormatMessage);
        return 0;
    }
    Check(loaded.droppedRows == 0 || store.count() == TraceCapacity);
    if (loaded.samplePeriodMs) Check(*loaded.samplePeriodMs > 0);
    CheckReadsBack(file, loaded, store);
    return 0;
}
