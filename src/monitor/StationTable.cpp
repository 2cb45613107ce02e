// The station table's operations.
#include "monitor/StationTable.h"

#include "host/HostFailure.h"
#include "settings/StringTable.h"

namespace monitor {

namespace {
constexpr int kColumnWidths[8] = {900, 950, 750, 1100, 800, 1200, 1000, 900};
constexpr int kHiddenColumnWidth = 900;
}  // namespace

StationTable::StationTable(forms::FrmMain& form, const platform::ProgramValues& values,
                           host::Application& app, platform::Dialogs& dialogs)
    : grid_(form.FGridStazioni), values_(values), app_(app), dialogs_(dialogs) {
    grid_.onDblClick = [this] { FGridStazioni_DblClick(); };
}

void StationTable::SetUp() {
    grigliaVuota_ = true;
    const int hostColumns = values_.ModoTest == 1 ? kHiddenColumnWidth : 0;
    grid_.SetColWidth(8, hostColumns);
    grid_.SetColWidth(9, hostColumns);
    for (int col = 0; col < 8; ++col) grid_.SetColWidth(col, kColumnWidths[col]);
    grid_.SetRow(0);
    grid_.SetCol(8);
    grid_.SetText("snglong");
    grid_.SetRow(0);
    grid_.SetCol(9);
    grid_.SetText("snglat");
}

int StationTable::VerificaNominativo(const std::string& Nominativo) {
    grid_.SetCol(0);
    for (int i = 1; i < grid_.Rows(); ++i) {
        grid_.SetRow(i);
        if (grid_.Text() == Nominativo) return i;
    }
    return 0;
}

void StationTable::ScriviRiga(int r, const RigaStazione& row) {
    grid_.SetRow(r);
    for (int col = 0; col < 10; ++col) {
        grid_.SetCol(col);
        grid_.SetText(row[col]);
    }
}

void StationTable::AggiungiRiga(const RigaStazione& row) {
    std::string line = row[0];
    for (int col = 1; col < 10; ++col) line += '\t' + row[col];
    grid_.AddItem(line);
}

void StationTable::FGridStazioni_DblClick() {
    // The header row is never a station; an alarm tick leaves the current cell there.
    if (grid_.Row() < 1 || grid_.Text().empty()) return;
    const int row = grid_.Row();
    const std::string callsign = grid_.TextMatrix(row, 0);
    const std::string& question = settings::LoadResString(values_.CodiceLingua + 105);
    if (dialogs_.MsgBox(question, platform::Buttons::OkCancel, platform::Icon::Critical) !=
        platform::Answer::Ok)
        return;
    // Frames handled while the question was open may have moved rows: remove the station
    // that was asked about, wherever it stands now.
    const int target = grid_.TextMatrix(row, 0) == callsign ? row : VerificaNominativo(callsign);
    if (target < 1) return;
    Remove(target);
    host::GuardHostCall(dialogs_, values_.CodiceLingua, [this] { app_.RedrawMap(); });
}

void StationTable::Remove(int row) {
    if (grid_.Rows() - 1 != 1) {
        grid_.RemoveItem(row);
        return;
    }
    grigliaVuota_ = true;
    grid_.SetRow(row);
    for (int col = 0; col < 10; ++col) {
        grid_.SetCol(col);
        grid_.SetText("");
    }
}

}  // namespace monitor
