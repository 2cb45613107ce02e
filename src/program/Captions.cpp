// Captions follow the language code: text n of the current language is the table entry
// language code + n.
#include "program/Captions.h"

#include "settings/StringTable.h"

namespace program {

namespace {

// A code the table has no block for would blank every caption; Italian is shown instead.
int KnownCode(int code) {
    return code == settings::kEnglish ? settings::kEnglish : settings::kItalian;
}

const std::string& T(int code, int offset) {
    return settings::LoadResString(code + offset);
}

}  // namespace

Captions::Captions(forms::FrmMain& main, forms::FrmMarcaPunto& spotDialog,
                   platform::ProgramValues& values, settings::GestioneINI_New& ini)
    : main_(main), spot_(spotDialog), values_(values), ini_(ini) {
    for (int i = 0; i < 2; ++i) main_.MnuNazione[i].onClick = [this, i] { MnuNazione_Click(i); };
}

void Captions::GestioneLingua(int CodLingua) {
    const int code = KnownCode(CodLingua);
    SetPanelCaptions(code);
    SetUnitCaptions(code);
    SetTableHeaders(code);
    SetSpotDialogCaptions(code);
    FillStyleList(code);
}

void Captions::MnuNazione_Click(int Index) {
    if (Index != 0 && Index != 1) return;
    values_.CodiceLingua = Index == 0 ? settings::kItalian : settings::kEnglish;
    main_.MnuNazione[0].SetChecked(Index == 0);
    main_.MnuNazione[1].SetChecked(Index == 1);
    ini_.ScriviValore(values_.FileIni, "SetUp", "Language", static_cast<double>(Index + 1));
    GestioneLingua(values_.CodiceLingua);
}

void Captions::SetPanelCaptions(int code) {
    main_.Frame1.SetCaption(T(code, 0));
    main_.MnuLingua.SetCaption(T(code, 106));
    main_.MnuUnit_Misura.SetCaption(T(code, 107));
    main_.MnuUnit[0].SetCaption(T(code, 108));
    main_.MnuUnit[1].SetCaption(T(code, 109));
    main_.LblNominativo.SetCaption(T(code, 1));
    main_.LblDataOra.SetCaption(T(code, 2));
    main_.LblDirezione.SetCaption(T(code, 4));
    main_.LblMessaggio.SetCaption(T(code, 5));
    main_.CmdTacitaAllarme.SetCaption(T(code, 9));
    main_.LblLong.SetCaption(T(code, 10));
    main_.LblLat.SetCaption(T(code, 11));
    main_.LblAltezza.SetCaption(T(code, 12));
    main_.LblAzimut.SetCaption(T(code, 13));
}

void Captions::SetUnitCaptions(int code) {
    const bool metric = values_.UnitaMisura == 1;
    const std::string& distance = T(code, metric ? 110 : 112);
    const std::string& speed = T(code, metric ? 111 : 113);
    main_.LblDistanza.SetCaption(distance);
    main_.LblVelocita.SetCaption(speed);
    SetHeader(3, distance);
    SetHeader(5, speed);
}

// Columns 8 and 9 keep the headers the station table gives them. The last header written
// is column 7, which leaves the grid's current cell there.
void Captions::SetTableHeaders(int code) {
    SetHeader(0, T(code, 1));
    SetHeader(1, T(code, 6));
    SetHeader(2, T(code, 7));
    SetHeader(4, T(code, 4));
    SetHeader(6, T(code, 10));
    SetHeader(7, T(code, 11));
}

void Captions::SetHeader(int col, const std::string& text) {
    main_.FGridStazioni.SetRow(0);
    main_.FGridStazioni.SetCol(col);
    main_.FGridStazioni.SetText(text);
}

void Captions::SetSpotDialogCaptions(int code) {
    spot_.LblColoreCerchio.SetCaption(T(code, 114));
    spot_.LblColoreRiempimento.SetCaption(T(code, 117));
    spot_.LblStile.SetCaption(T(code, 116));
    spot_.LblSpessore.SetCaption(T(code, 115));
}

// Refilled for both languages, so a switch back to Italian shows Italian entries. Position k
// always means fill style k, and the selection stays on the same position.
void Captions::FillStyleList(int code) {
    ui::ListBox& list = spot_.ListStile;
    const int selected = list.ListIndex();
    list.Clear();
    for (int offset = 118; offset <= 125; ++offset) list.AddItem(T(code, offset));
    if (selected >= 0) list.SetListIndex(selected);
}

}  // namespace program
