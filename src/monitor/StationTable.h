// The station table FGridStazioni: one row per emergency station, looked up by callsign,
// written, appended, and removed by a double-click after a question. Sets the grid's
// double-click handler.
#pragma once

#include <array>
#include <string>

#include "forms/FrmMain.h"
#include "host/HostPorts.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"

namespace monitor {

// The ten cell texts of one station row, in column order: callsign, date, time, distance,
// course, speed, longitude text, latitude text, host longitude value, host latitude value.
using RigaStazione = std::array<std::string, 10>;

class StationTable {
public:
    StationTable(forms::FrmMain& form, const platform::ProgramValues& values,
                 host::Application& app, platform::Dialogs& dialogs);

    // Start-up: empty state, column widths (8 and 9 shown only in test mode), their headers.
    void SetUp();

    bool GrigliaVuota() const { return grigliaVuota_; }
    void SetGrigliaVuota(bool empty) { grigliaVuota_ = empty; }

    // The first station row whose callsign is exactly Nominativo, or 0.
    int VerificaNominativo(const std::string& Nominativo);
    // Overwrites row r cell by cell; leaves the current cell at row r, column 9.
    void ScriviRiga(int r, const RigaStazione& row);
    void AggiungiRiga(const RigaStazione& row);

    // Offers to remove the current row; the map is redrawn after a removal.
    void FGridStazioni_DblClick();

private:
    void Remove(int row);

    ui::Grid& grid_;
    const platform::ProgramValues& values_;
    host::Application& app_;
    platform::Dialogs& dialogs_;
    bool grigliaVuota_ = true;
};

}  // namespace monitor
