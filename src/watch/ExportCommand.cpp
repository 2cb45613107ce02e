#include "watch/ExportCommand.h"

#include "incident_outlets/IncidentExport.h"
#include "incident_outlets/IncidentLog.h"

namespace watch {

int ExportIncidentLog(const std::string& dataFolder, const std::string& file,
                      const std::optional<std::string>& since, std::ostream& out,
                      std::ostream& err) {
    std::optional<std::int64_t> from;
    if (since) {
        from = incidents::ParseSince(*since);
        if (!from) {
            err << "sirenwatch: --since: not a date or time: \"" << *since
                << "\"; expected \"2026-12-07\", \"2026-12-07T10:00\" or with a zone, "
                   "\"2026-12-07T10:00Z\" or \"2026-12-07T10:00+01:00\"\n";
            return 2;
        }
    }
    const auto written =
        incidents::ExportIncidents(incidents::IncidentLog::DefaultFolder(dataFolder), file, from);
    (written ? out : err) << "sirenwatch: " << (written ? *written : written.error().text) << '\n';
    return written ? 0 : 1;
}

}  // namespace watch
