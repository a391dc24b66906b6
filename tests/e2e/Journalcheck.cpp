// Checks a journal that a killed window left against the station's log: the program's reader
// must read it, and its rows must be, in order, the values of consecutive GetHeat (and GetFan)
// replies the station sent, for the traces its header names.
// Usage: journal_check JOURNAL STATION_LOG   (prints "rows=N"; exit 1 with the reason)
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "files/Datafile.h"
#include "support/Stationprocess.h"
#include "tests/cli/Wirefields.h"

namespace {

/// One sample per GetHeat reply, completed by the GetFan reply that follows it.
std::vector<TraceSample> StationSamples(const std::vector<StationLogEntry>& log) {
    std::vector<TraceSample> samples;
    for (const StationLogEntry& e : log) {
        if (e.direction != StationLogEntry::Direction::Tx || !e.data) continue;
        const FrameData& d = *e.data;
        if (e.command == CmdGetHeat) {
            TraceSample s{};
            s[Tset] = Word(d, 1);
            s[Tget] = Word(d, 3);
            s[Tcj] = Word(d, 5);
            s[Power] = Word(d, 7);
            s[PllErr] = SignedWord(d, 9);
            s[PllPer] = Word(d, 11);
            samples.push_back(s);
        } else if (e.command == CmdGetFan && !samples.empty()) {
            samples.back()[Vset] = Word(d, 1);
            samples.back()[Vget] = Word(d, 3);
            samples.back()[Pwm] = Byte(d, 5);
        }
    }
    return samples;
}

bool Same(const TraceStore& store, int row, const TraceSample& sample,
          const datafile::TraceVisibility& visible) {
    for (int t = 0; t < TraceCount; ++t) {
        if (visible[t] && store.value(t, row) != sample[t]) return false;
    }
    return true;
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "journal_check: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Fail("usage: journal_check JOURNAL STATION_LOG");
    const datafile::DataFileText file = datafile::ReadDataFile(argv[1]);
    if (!file.ok) return Fail("the reader refuses the journal: " + file.detail);
    auto store = std::make_unique<TraceStore>();
    const datafile::LoadResult load = datafile::LoadRows(file, *store);
    if (!load.ok) return Fail("the reader stops at " + load.detail);
    if (store->count() == 0) return Fail("no rows");

    std::ifstream in(argv[2], std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::vector<TraceSample> sent = StationSamples(ParseStationLog(text.str()));
    // The recording began at some poll: find the run of replies its rows are.
    for (std::size_t first = 0; first + store->count() <= sent.size(); ++first) {
        int row = 0;
        while (row < store->count() && Same(*store, row, sent[first + row], file.visible)) ++row;
        if (row == store->count()) {
            std::printf("rows=%d\n", row);
            return 0;
        }
    }
    return Fail("the " + std::to_string(store->count()) +
                " rows are not consecutive replies of the station (" + std::to_string(sent.size()) +
                " polls in its log)");
}
