// The spot set-up dialog: what it shows on opening, what "OK" and "Annulla" keep, and that
// the map is redrawn either way.
#include <gtest/gtest.h>

#include "fakes/World.h"
#include "map/SpotDialog.h"

namespace {

struct SpotWorld : fakes::World {
    SpotWorld() {
        main.SetCaption("Sirenwatch  Ver. 1.11");
        main.SetGeometry({3000, 500, 5610, 6525});
        dialog.Bind();
        main.MnuMarca.onClick = [this] { dialog.MnuMarca_Click(); };
    }
    // Runs the user's actions while the dialog is open, then closes it with the button.
    void Open(std::function<void(forms::FrmMarcaPunto&)> actions, int button) {
        fp.dialogs.onModal = [this, actions, button](ui::Form&) {
            seenWidth = spot.LblValore.Caption();
            seenStyle = spot.ListStile.ListIndex();
            seenItems = spot.ListStile.Items();
            if (actions) actions(spot);
            spot.CmdOk[button].onClick();
        };
        main.MnuMarca.onClick();
    }

    int captionsApplied = 0;
    map::SpotDialog dialog{spot,
                           main,
                           values,
                           fp.dialogs,
                           fp.layer,
                           [this] {
                               ++captionsApplied;
                               captions.GestioneLingua(values.CodiceLingua);
                           },
                           [this] { host.RedrawMap(); }};
    std::string seenWidth;
    int seenStyle = -2;
    std::vector<std::string> seenItems;
};

TEST(SpotDialog, OpensWithTheStoredStyleCentredOnTheMainWindow) {
    SpotWorld w;
    w.Open(nullptr, 1);
    EXPECT_EQ(w.seenWidth, "5");
    EXPECT_EQ(w.seenStyle, 7);
    EXPECT_EQ(w.seenItems[7], "Diagonale Intersecante");
    EXPECT_EQ(w.spot.ShapeCerchio.BorderColor(), 255);
    EXPECT_EQ(w.spot.ShapeCerchio.FillColor(), 16777215);
    EXPECT_EQ(w.spot.ShapeCerchio.BorderWidth(), 5);
    EXPECT_EQ(w.spot.ShapeCerchio.FillStyle(), 7);
    EXPECT_EQ(w.spot.Caption(), "Sirenwatch  Ver. 1.11 - Spot SetUp");
    EXPECT_EQ(w.spot.Icon(), w.main.Icon());
    EXPECT_EQ(w.spot.Left(), 3000 + 5610 / 2 - w.spot.Width() / 2);
    EXPECT_EQ(w.spot.Top(), 1500);
}

// The preview follows the picks; "OK" (0) keeps them, "Annulla" (1) and the title bar's close
// (-1) do not; the map is redrawn either way.
TEST(SpotDialog, OkKeepsThePicksAnnullaAndCloseDoNotAndTheMapIsRedrawnEitherWay) {
    for (int button : {0, 1, -1}) {
        SCOPED_TRACE(button);
        SpotWorld w;
        w.fp.dialogs.onModal = [&w, button](ui::Form& f) {
            auto& d = w.spot;
            d.CmdColoreRiempimento[0].onClick();  // the first swatch counts too
            EXPECT_EQ(d.ShapeCerchio.FillColor(), 255);
            d.CmdColoreCerchio[3].onClick();
            d.HSSpessoreCerchio.SetValue(3);
            d.ListStile.SetListIndex(0);
            d.CmdColoreRiempimento[1].onClick();
            EXPECT_EQ(d.ShapeCerchio.BorderColor(), 16711680);
            EXPECT_EQ(d.ShapeCerchio.BorderWidth(), 3);
            EXPECT_EQ(d.LblValore.Caption(), "3");
            EXPECT_EQ(d.ShapeCerchio.FillStyle(), 0);
            EXPECT_EQ(d.ShapeCerchio.FillColor(), 65535);
            button < 0 ? f.onClose() : d.CmdOk[button].onClick();
        };
        w.main.MnuMarca.onClick();
        const bool kept = button == 0;
        EXPECT_EQ(w.values.SpessoreCerchio, kept ? 3.0f : 5.0f);
        EXPECT_EQ(w.values.ColoreCerchio, kept ? 16711680 : 255);
        EXPECT_EQ(w.values.TipoRiempimento, kept ? 0.0f : 7.0f);
        EXPECT_EQ(w.values.ColoreRiempimento, kept ? 65535.0 : 16777215.0);
        EXPECT_EQ(w.captionsApplied, 1);
        EXPECT_EQ(w.host.RedrawCount(), 1);
        EXPECT_FALSE(w.spot.Shown());
    }
}

// Stored values as a hand-edited file may hold: shown as the nearest valid one, kept by OK.
TEST(SpotDialog, StoredValuesShowTheNearestValidOneAndOkKeepsIt) {
    const struct {
        float width, style;
        const char* shownWidth;
        int shownStyle;
    } cases[] = {{0, -1, "1", 0}, {15, 9, "10", 7}, {2.5f, 3.5f, "2", 4}};
    for (const auto& c : cases) {
        SpotWorld w;
        w.values.SpessoreCerchio = c.width;
        w.values.TipoRiempimento = c.style;
        w.Open(nullptr, 0);
        EXPECT_EQ(w.seenWidth, c.shownWidth) << c.width;
        EXPECT_EQ(w.seenStyle, c.shownStyle) << c.style;
        EXPECT_EQ(w.values.SpessoreCerchio, std::stof(c.shownWidth)) << c.width;
        EXPECT_EQ(w.values.TipoRiempimento, c.shownStyle) << c.style;
    }
}

TEST(SpotDialog, AFailingRedrawIsReportedAndTheProgramGoesOn) {
    SpotWorld w;
    w.host.FailOn("RedrawMap");
    EXPECT_NO_THROW(w.Open(nullptr, 0));
    ASSERT_EQ(w.fp.dialogs.notices.size(), 1u);
    EXPECT_EQ(w.fp.dialogs.notices[0].icon, platform::Icon::Exclamation);
}

}  // namespace
