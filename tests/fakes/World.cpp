// The usual world for tests of the main window's behaviour.
#include "fakes/World.h"

namespace fakes {

World::World() {
    values.FileIni = fp.program.dir.File("Sirenwatch.ini");
    values.LatitudineStazione = 45.4;
    values.LongitudineStazione = 9.1;
    units.SetUp(values.UnitaMisura);
    captions.GestioneLingua(values.CodiceLingua);
    table.SetUp();
}

StationData World::Emergency() {
    return {.beaconText = "IW2ABC-9>Help needed",
            .messageType = "Emergency",
            .longitude = -552.34f,
            .latitude = 2730.25f,
            .altitude = 120,
            .speed = 50,
            .course = 270,
            .distance = 12.37f};
}

std::string World::Frame(const std::string& callsign) {
    return "12:00:01 " + callsign + ">APRS,WIDE1-1:!4530.25N/00912.34W>Help needed";
}

void World::ReceiveEmergency(const std::string& callsign, StationData data) {
    host.SetStation(callsign, data);
    Receive(callsign);
}

std::vector<std::string> World::Callsigns() const {
    std::vector<std::string> callsigns;
    for (int r = 1; r < main.FGridStazioni.Rows(); ++r)
        callsigns.push_back(main.FGridStazioni.TextMatrix(r, 0));
    return callsigns;
}

}  // namespace fakes
