// Frames per second along the built-in host's whole path: TNC2 line -> decoder -> station
// list -> the add-on's frame handler deciding (and, for emergencies, recording) with the
// real core, on the demo capture; and the station list alone under a flood of new callsigns.
#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "builtin_host/BuiltinHost.h"
#include "builtin_host/HostSettings.h"
#include "decode/AprsDecoder.h"
#include "decode/Replay.h"
#include "fakes/FakePorts.h"
#include "program/Sirenwatch.h"
#include "settings/ProfileFile.h"

namespace {

std::vector<std::string> DemoLines() {
    std::ifstream in(std::string(SIRENWATCH_SOURCE_DIR) + "/data/demo.tnc2", std::ios::binary);
    std::vector<std::string> lines;
    for (const auto& line : decode::ReadReplay(in)) lines.push_back(line.tnc2);
    return lines;
}

// The program started against the built-in host, as the executable puts them together.
struct Station {
    fakes::FakePorts fp;
    fakes::TempDir hostDir;
    std::unique_ptr<builtin_host::BuiltinHost> host;
    std::unique_ptr<program::Sirenwatch> program;

    Station() {
        fakes::InstallHost(fp.userStore, hostDir.Path() + "/");
        settings::WriteProfileString(fp.program.dir.File("Sirenwatch.ini"), "SetUp", "Language",
                                     "2");
        const auto home =
            builtin_host::HomeFromSettings(builtin_host::LoadHostSettings(hostDir.Path()));
        host = std::make_unique<builtin_host::BuiltinHost>(fp.clock, *home);
        program = std::make_unique<program::Sirenwatch>(fp.ports, *host);
        started = program->Start();
    }
    bool started = false;
};

void BM_HostPath_DemoCapture(benchmark::State& state) {
    const std::vector<std::string> lines = DemoLines();
    Station station;
    if (!station.started || lines.empty()) {
        state.SkipWithError("the program did not start or the demo capture is missing");
        return;
    }
    for (auto _ : state) {
        for (const std::string& line : lines) station.host->OnTnc2Line(line);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
    state.counters["stations"] = static_cast<double>(station.host->Stations().Size());
}
BENCHMARK(BM_HostPath_DemoCapture);

// The same capture without an add-on connected: decoder and station list only.
void BM_HostPath_NoAddOn(benchmark::State& state) {
    const std::vector<std::string> lines = DemoLines();
    fakes::SettableClock clock;
    builtin_host::BuiltinHost host(clock, {45.504167, 9.205667});
    for (auto _ : state) {
        for (const std::string& line : lines) host.OnTnc2Line(line);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_HostPath_NoAddOn);

// A busy APRS-IS feed: every frame from a callsign not heard before, so the list stays at
// its cap and drops the station heard longest ago on every frame.
void BM_StationList_FloodAtCapacity(benchmark::State& state) {
    builtin_host::StationList list({45.504167, 9.205667},
                                   builtin_host::StationList::kDefaultCapacity);
    decode::Decoded frame = decode::Decode("Q1ALFA>APRS:=4530.90N/00913.10E-Fixed");
    std::uint64_t n = 0;
    for (auto _ : state) {
        frame.source = std::to_string(n++);
        frame.source.insert(frame.source.begin(), 'Q');
        benchmark::DoNotOptimize(list.Update(frame));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["stations"] = static_cast<double>(list.Size());
}
BENCHMARK(BM_StationList_FloodAtCapacity);

}  // namespace

BENCHMARK_MAIN();
