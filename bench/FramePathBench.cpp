// Frames per second through the frame path (host announcement to decision and, for an
// emergency, panel, table, alarm and map redraw) with the scripted host.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "fakes/World.h"

namespace {

using fakes::World;

std::vector<std::string> Callsigns(int count) {
    std::vector<std::string> callsigns;
    for (int i = 0; i < count; ++i) callsigns.push_back("IW" + std::to_string(i) + "ABC");
    return callsigns;
}

// Ordinary traffic: the sender is known but not in emergency; the decision ends the frame.
void NonEmergencyFrames(benchmark::State& state) {
    World w;
    const std::vector<std::string> senders = Callsigns(100);
    for (const std::string& s : senders) {
        fakes::StationData data = World::Emergency();
        data.messageType = "Moving";
        w.host.SetStation(s, data);
    }
    size_t next = 0;
    for (auto _ : state) {
        w.Receive(senders[next]);
        next = (next + 1) % senders.size();
        if (w.host.Calls().size() > 100000) w.host.ClearCalls();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(NonEmergencyFrames);

// Repeat emergencies from stations already in a table of 100: look-up, row rewrite, and a
// map redraw of 100 circles per frame.
void EmergenciesFromATableOf100(benchmark::State& state) {
    World w;
    const std::vector<std::string> senders = Callsigns(100);
    for (const std::string& s : senders) w.ReceiveEmergency(s);
    w.alarm.CmdTacitaAllarme_Click();
    size_t next = 0;
    for (auto _ : state) {
        w.Receive(senders[next]);
        next = (next + 1) % senders.size();
        w.host.ClearCalls();
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["rows"] = w.main.FGridStazioni.Rows() - 1;
}
BENCHMARK(EmergenciesFromATableOf100);

}  // namespace

BENCHMARK_MAIN();
