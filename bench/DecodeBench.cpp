// Frames per second through the decoder on the demo traffic, and through the whole KISS path
// (deframe, AX.25 to TNC2, decode).
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "decode/AprsDecoder.h"
#include "decode/Ax25.h"
#include "decode/Kiss.h"
#include "decode/Replay.h"

namespace {

// Used when the demo capture is not where the build expects it.
const char* const kEmbeddedMix[] = {
    "N0CALL-9>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY test",
    "N0CALL>APRS,WIDE2-1:!4903.50N/07201.75W-Test /A=001234",
    "N0CALL>APRS:@092345z/5L!!<*e7>7P[moving",
    "AB1CD>APRS:;LEADER   *092345z4903.50N/07201.75W>088/036",
    "AB1CD>APRS:>Net Control Center",
    "WX1>APRS:@061000z4528.10N/00905.30E_270/004g010t041r000p000P000h85b10132",
    "IG>APRS,TCPIP*:}N0CALL-7>APRS,TCPIP,IG*:=4535.12N/00916.70E[Running",
    "BAD>APRS:!4599.ZZN/00999.99E>broken",
};

std::vector<std::string> Traffic() {
    std::vector<std::string> lines;
    std::ifstream file(SIRENWATCH_SOURCE_DIR "/data/demo.tnc2");
    for (auto& line : decode::ReadReplay(file)) lines.push_back(std::move(line.tnc2));
    if (lines.empty()) lines.assign(std::begin(kEmbeddedMix), std::end(kEmbeddedMix));
    return lines;
}

void BM_DecodeTnc2(benchmark::State& state) {
    const auto lines = Traffic();
    for (auto _ : state) {
        for (const auto& line : lines) benchmark::DoNotOptimize(decode::Decode(line));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines.size()));
}
BENCHMARK(BM_DecodeTnc2);

void BM_KissToDecoded(benchmark::State& state) {
    std::string stream;
    std::size_t frames = 0;
    for (const auto& line : Traffic()) {
        if (const auto ax25 = decode::Tnc2ToAx25(line)) {
            stream += decode::KissEncode(*ax25);
            ++frames;
        }
    }
    for (auto _ : state) {
        decode::KissDeframer deframer;
        for (const auto& frame : deframer.Feed(stream)) {
            if (const auto line = decode::Ax25ToTnc2(frame)) {
                benchmark::DoNotOptimize(decode::Decode(*line));
            }
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * frames));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stream.size()));
}
BENCHMARK(BM_KissToDecoded);

}  // namespace

BENCHMARK_MAIN();
