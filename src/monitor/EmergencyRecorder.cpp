// Recording an emergency: panel, station table, alarm and map.
#include "monitor/EmergencyRecorder.h"

#include "geo/Coordinates.h"
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

void EmergencyRecorder::Record(const Reception& reception) {
    const float latitude = station_.GetLatitude();
    const float longitude = station_.GetLongitude();
    const float altitude = station_.GetAltitude();
    const Position lat = Place(latitude, false);
    const Position lon = Place(longitude, true);
    const double azimut = Bearing(lat, lon);

    form_.TxtLat.SetText(lat.text);
    form_.TxtLong.SetText(lon.text);
    form_.TxtAzimut.SetText(platform::NumberText(azimut, regional_));
    form_.TxtAltezza.SetText(altitude != host::kMissing ? platform::SingleText(altitude, regional_)
                                                        : kNoValue);

    Enter(Row(reception, lat, lon));
    RefreshMap();
}

EmergencyRecorder::Position EmergencyRecorder::Place(float value, bool longitude) const {
    Position place;
    if (value == host::kMissing) return place;
    geo::FormattaCoordinata(value, place.text, longitude);
    place.degrees = geo::ConvertiCoordinate(geo::CompactFromDisplay(place.text));
    place.known = true;
    return place;
}

double EmergencyRecorder::Bearing(const Position& lat, const Position& lon) {
    if (!lat.known || !lon.known) return 0;
    double distance = 0;
    double bearing = 0;
    app_.DistanceAndBearing(values_.LatitudineStazione, values_.LongitudineStazione, lat.degrees,
                            lon.degrees, distance, bearing, true);
    // Whole degrees; below half a degree the "###" text is empty and reads as 0.
    return platform::Val(platform::Format(bearing, "###", regional_));
}

RigaStazione EmergencyRecorder::Row(const Reception& reception, const Position& lat,
                                    const Position& lon) {
    return {reception.callsign,
            platform::ShortDateText(reception.when, regional_),
            platform::TimeText(reception.when),
            reception.distanceText,
            std::to_string(reception.course),
            platform::SingleText(reception.speed, regional_),
            lon.text,
            lat.text,
            platform::SingleText(station_.GetLongitude(), regional_),
            platform::SingleText(station_.GetLatitude(), regional_)};
}

void EmergencyRecorder::Enter(const RigaStazione& row) {
    if (table_.GrigliaVuota()) {
        VisualizzaForm();
        alarm_.Start();
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
    alarm_.Start();
}

void EmergencyRecorder::RefreshMap() {
    map_.SetDrawWidth(kRefreshWidth);
    map_.SetFillStyle(kRefreshFillStyle);
    map_.SetFillColor(kRefreshFillColor);
    app_.RedrawMap();
}

void EmergencyRecorder::VisualizzaForm() {
    if (form_.State() == ui::WindowState::Minimized) form_.SetState(ui::WindowState::Normal);
}

}  // namespace monitor
