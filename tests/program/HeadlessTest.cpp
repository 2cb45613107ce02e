// Headless ports: what a script reads on standard output and standard error.
#include <gtest/gtest.h>

#include <sstream>

#include "program/HeadlessDialogs.h"
#include "ui/Controls.h"

namespace program {
namespace {

TEST(HeadlessDialogs, PrintsTitleAndEveryLineAndTakesTheDefaultButton) {
    std::ostringstream err;
    HeadlessDialogs dialogs(err);
    EXPECT_EQ(dialogs.MsgBox("ATTENZIONE !!\rtext one\r\rATTENTION !!", platform::Buttons::Ok,
                             platform::Icon::Critical),
              platform::Answer::Ok);
    EXPECT_EQ(err.str(), "error: Sirenwatch:\n    ATTENZIONE !!\n    text one\n    ATTENTION !!\n");

    err.str("");
    EXPECT_EQ(dialogs.MsgBox("Remove?", platform::Buttons::OkCancel, platform::Icon::Question,
                             std::string("Sirenwatch  Ver. 1.11")),
              platform::Answer::Ok);
    EXPECT_EQ(err.str(), "question: Sirenwatch  Ver. 1.11:\n    Remove?\n    [answered OK]\n");

    err.str("");
    dialogs.Notice("Error while talking to UI-View32:\nGetLatitude failed \x1b]0;x\a\xe8",
                   platform::Icon::Exclamation);
    EXPECT_EQ(err.str(),
              "warning: Sirenwatch:\n    Error while talking to UI-View32:\n    GetLatitude failed "
              "\\x1b]0;x\\x07\\xe8\n")
        << "a message may quote the air: what a terminal acts on is escaped";
}

TEST(HeadlessDialogs, ModalFormIsClosedThroughItsClosePath) {
    std::ostringstream err;
    HeadlessDialogs dialogs(err);
    ui::Form form("FrmTest");
    int loaded = 0, cancelled = 0;
    form.onActivate = [&] { ++loaded; };
    form.onClose = [&] {
        ++cancelled;
        form.Hide();
    };
    dialogs.ShowModal(form);
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(cancelled, 1);
    EXPECT_FALSE(form.Shown());

    ui::Form plain("FrmPlain");  // no close handler: hidden all the same
    dialogs.ShowModal(plain);
    EXPECT_FALSE(plain.Shown());
}

}  // namespace
}  // namespace program
