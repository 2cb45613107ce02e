#include "forms/FrmMarcaPunto.h"

namespace forms {

namespace {
// The list as the dialog is designed, before any caption is applied: the Italian styles.
constexpr const char* kDesignedStyles[8] = {"Continuo",
                                            "Trasparente",
                                            "Linea Orizzontale",
                                            "Linea Verticale",
                                            "Diagonale verso l'alto",
                                            "Diagonale verso il basso",
                                            "Intersecante",
                                            "Diagonale Intersecante"};
}  // namespace

FrmMarcaPunto::FrmMarcaPunto() : ui::Form("FrmMarcaPunto", {0, 1500, 4830, 3255}) {
    SetCaption("Spot SetUp");
    Add(LblColoreCerchio);
    for (int i = 0; i < 6; ++i) {
        CmdColoreCerchio[i].SetBackColor(kSwatch[i]);
        Add(CmdColoreCerchio[i]);
    }
    for (int i = 5; i >= 0; --i) {
        CmdColoreRiempimento[i].SetBackColor(kSwatch[i]);
        Add(CmdColoreRiempimento[i]);
    }
    Add(LblColoreRiempimento);
    ListStile.SetBackColor(12648447);
    for (const char* style : kDesignedStyles) ListStile.AddItem(style);
    Add(ListStile);
    Add(LblStile);
    HSSpessoreCerchio.SetRange(1, 10);
    HSSpessoreCerchio.SetValue(1);
    Add(HSSpessoreCerchio);
    Add(LblSpessore);
    Add(LblValore);
    Add(ShapeCerchio);
    CmdOk[0].SetCaption("OK");
    CmdOk[1].SetCaption("Annulla");
    Add(CmdOk[0]);
    Add(CmdOk[1]);
}

}  // namespace forms
