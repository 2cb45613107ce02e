// The incident book's cost per emergency as it fills: a new station in emergency each time,
// with many incidents open already (none closed, so nothing can be pruned). And the incident
// log's cost per line: an emergency waits for the disk, a position does not.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "incident_outlets/IncidentLog.h"
#include "incidents/IncidentBook.h"

namespace {

incidents::Sighting Emergency(int station, std::int64_t time_s) {
    incidents::Sighting o;
    o.callsign = "Q" + std::to_string(station) + "X";
    o.time_s = time_s;
    o.micEEmergency = true;
    o.frameKey = o.callsign + ">APRS:" + std::to_string(time_s);
    return o;
}

void NewEmergencyWithIncidentsOpen(benchmark::State& state) {
    incidents::IncidentBook book;
    const int open = static_cast<int>(state.range(0));
    std::int64_t time_s = 1'796'637'600;
    for (int i = 0; i < open; ++i) book.Observe(Emergency(i, ++time_s));
    int station = open;
    for (auto _ : state) book.Observe(Emergency(station++, ++time_s));
    state.counters["emergencies/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(NewEmergencyWithIncidentsOpen)->Arg(500)->Arg(10000);

// Arg 1: emergencies (flushed to the disk as written); 0: positions (left to the cache).
void LogLine(benchmark::State& state) {
    const auto folder = std::filesystem::current_path() / "incident-log-bench";
    std::filesystem::remove_all(folder);
    incidents::IncidentLog log(folder.string());
    std::int64_t time_s = 1'796'637'600;
    for (auto _ : state) {
        ++time_s;
        if (state.range(0)) {
            incidents::Emergency e;
            e.panel.text[0] = "Q7MOB-9";
            log.Append({time_s, e});
        } else {
            log.Append({time_s, incidents::Position{"Q7MOB-9", {45.5, 9.1}}});
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(LogLine)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
