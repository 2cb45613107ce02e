// Recording an emergency: panel, station table, alarm and map.
#include "monitor/EmergencyRecorder.h"

#include "geo/Coordinates.h"
#include "host/HostFailure.h"
#include "platform/NumberText.h"

namespace monitor {

namespace {
constexpr const char* kNoValue = "-----";
constexpr std::int16_t kRefreshWidth = 5;
constexpr std::int16_t kRefreshFillStyle = 2;
constexpr std::int32_t kRefreshFillColor = 0xFFFF00;
}  // namespace

EmergencyRecorder::EmergencyRecorder(forms::FrmMain& form, const platform::ProgramValues& values,
                                     host::Application& app, host::Map& map, host::Station& station,
                                     StationTable& table, Alarm& alarm,
                                     const platform::Regional& regional)
    : form_(form),
      values_(values),
      app_(app),
      map_(map),
      station_(station),
      table_(table),
      alarm_(alarm),
      regional_(regional) {}

std::vector<std::string> EmergencyRecorder::Record(const Reception& reception) {
    Failures failures;
    const std::optional<float> latitude = Read(&host::Station::GetLatitude, failures);
    const std::optional<float> longitude = Read(&host::Station::GetLongitude, failures);
    const float altitude = Read(&host::Station::GetAltitude, failures).value_or(host::kMissing);
    const Position lat = Place(latitude, false);
    const Position lon = Place(longitude, true);
    const double bearing = Bearing(lat, lon, failures);

    form_.TxtLat.SetText(lat.text);
    form_.TxtLong.SetText(lon.text);
    form_.TxtAzimut.SetText(platform::NumberText(bearing, regional_));
    form_.TxtAltezza.SetText(altitude != host::kMissing ? platform::SingleText(altitude, regional_)
                                                        : kNoValue);

    Enter(Row(reception, lat, lon, failures));
    RefreshMap(failures);
    return failures;
}

std::optional<float> EmergencyRecorder::Read(float (host::Station::*getter)(), Failures& failures) {
    float value = host::kMissing;
    if (auto call = host::TryHostCall([&] { value = (station_.*getter)(); }); !call) {
        failures.push_back(call.error().text);
        return std::nullopt;
    }
    return value;
}

EmergencyRecorder::Position EmergencyRecorder::Place(std::optional<float> value,
                                                     bool longitude) const {
    Position place;
    place.answered = value.has_value();
    if (!value || *value == host::kMissing) return place;
    geo::FormattaCoordinata(*value, place.text, longitude);
    place.degrees = geo::ConvertiCoordinate(geo::CompactFromDisplay(place.text));
    place.known = true;
    return place;
}

double EmergencyRecorder::Bearing(const Position& lat, const Position& lon, Failures& failures) {
    if (!lat.known || !lon.known) return 0;
    double distance = 0;
    double bearing = 0;
    auto ask = [&] {
        app_.DistanceAndBearing(values_.LatitudineStazione, values_.LongitudineStazione,
                                lat.degrees, lon.degrees, distance, bearing, true);
    };
    if (auto call = host::TryHostCall(ask); !call) {
        failures.push_back(call.error().text);
        return 0;
    }
    // Whole degrees; below half a degree the "###" text is empty and reads as 0.
    return platform::Val(platform::Format(bearing, "###", regional_));
}

RigaStazione EmergencyRecorder::Row(const Reception& reception, const Position& lat,
                                    const Position& lon, Failures& failures) {
    // The raw cells are read afresh, but not after a failed read: a station shown without
    // position must not get a circle from a second answer.
    auto fresh = [&](const Position& place, float (host::Station::*getter)()) {
        return place.answered ? Read(getter, failures).value_or(host::kMissing) : host::kMissing;
    };
    const float longitude = fresh(lon, &host::Station::GetLongitude);
    const float latitude = fresh(lat, &host::Station::GetLatitude);
    return {reception.callsign,
            platform::ShortDateText(reception.when, regional_),
            platform::TimeText(reception.when),
            reception.distanceText,
            reception.courseText,
            reception.speedText,
            lon.text,
            lat.text,
            platform::SingleText(longitude, regional_),
            platform::SingleText(latitude, regional_)};
}

void EmergencyRecorder::Enter(const RigaStazione& row) {
    if (table_.GrigliaVuota()) {
        VisualizzaForm();
        alarm_.StartFor(row[0]);
        table_.ScriviRiga(1, row);
        table_.SetGrigliaVuota(false);
        return;
    }
    const int r = table_.VerificaNominativo(row[0]);
    if (r != 0) {
        table_.ScriviRiga(r, row);
        return;
    }
    VisualizzaForm();
    table_.AggiungiRiga(row);
    alarm_.StartFor(row[0]);
}

void EmergencyRecorder::RefreshMap(Failures& failures) {
    // Stops at the first failure: the map stays as it was rather than redrawn half set up.
    auto refresh = [this] {
        map_.SetDrawWidth(kRefreshWidth);
        map_.SetFillStyle(kRefreshFillStyle);
        map_.SetFillColor(kRefreshFillColor);
        app_.RedrawMap();
    };
    if (auto call = host::TryHostCall(refresh); !call) failures.push_back(call.error().text);
}

void EmergencyRecorder::VisualizzaForm() {
    if (form_.State() == ui::WindowState::Minimized) form_.SetState(ui::WindowState::Normal);
}

}  // namespace monitor
