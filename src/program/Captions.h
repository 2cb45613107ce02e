// Every language-dependent caption of the main window and the spot set-up dialog, and the
// language menu that switches them.
#pragma once

#include "forms/FrmMain.h"
#include "forms/FrmMarcaPunto.h"
#include "platform/ProgramValues.h"
#include "settings/GestioneINI_New.h"

namespace program {

class Captions {
public:
    Captions(forms::FrmMain& main, forms::FrmMarcaPunto& spotDialog,
             platform::ProgramValues& values, settings::GestioneINI_New& ini);

    // Sets the captions, menu texts, table headers and fill-style list for a language code
    // (1000 Italian, 2000 English). The grid's current cell ends at row 0, column 7.
    void GestioneLingua(int CodLingua);
    // The language menu: Index 0 Italian, 1 English; the choice is stored and applied at once.
    void MnuNazione_Click(int Index);

private:
    void SetPanelCaptions(int code);
    void SetUnitCaptions(int code);
    void SetTableHeaders(int code);
    void SetSpotDialogCaptions(int code);
    void FillStyleList(int code);
    void SetHeader(int col, const std::string& text);

    forms::FrmMain& main_;
    forms::FrmMarcaPunto& spot_;
    platform::ProgramValues& values_;
    settings::GestioneINI_New& ini_;
};

}  // namespace program
