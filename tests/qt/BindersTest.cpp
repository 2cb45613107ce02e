// The binders, one kind of control at a time, and the form window built from them: what the
// widgets show of the models, and what the user does reaching the models' handlers.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "forms/FrmMain.h"
#include "qt/Binders.h"
#include "qt/Colors.h"
#include "qt/FormWindow.h"
#include "qt/QtWorld.h"
#include "qt/ShapeWidget.h"
#include "qt/Twips.h"

namespace {

// The colour at the middle of what a widget draws.
QColor CentreColour(QWidget& widget) {
    QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(Colors, ModelColoursHaveRedInTheLowByteAndMinusOneIsTheDefault) {
    EXPECT_EQ(qt::ToQColor(0), QColor(0, 0, 0));
    EXPECT_FALSE(qt::ToQColor(-1).isValid());
}

TEST(Twips, BecomePixelsAtTheLogicalDpiAndBack) {
    EXPECT_EQ(qt::TwipsToPixels(5610, 96), 374);
    EXPECT_EQ(qt::TwipsToPixels(1440, 120), 120);
    EXPECT_EQ(qt::PixelsToTwips(96, 96), 1440);
}

TEST(ShapeBinder, DrawsTheModelsLineAndFill) {
    ui::Shape model("ShapeCerchio", {0, 0, 1200, 1000});
    QWidget parent;
    qt::ShapeWidget* shape = qt::bindShape(model, &parent);
    model.SetFillColor(65535);
    model.SetFillStyle(8);
    EXPECT_EQ(shape->FillBrush().style(), Qt::NoBrush) << "a host's stray style draws no fill";
    model.SetFillStyle(0);
    model.SetBorderColor(255);
    model.SetBorderWidth(4);
    EXPECT_EQ(shape->LinePen().color(), QColor(255, 0, 0));
    EXPECT_EQ(shape->LinePen().width(), 4);
    EXPECT_EQ(CentreColour(*shape), QColor(255, 255, 0)) << "a solid yellow fill";
}

TEST(LabelBinder, ShowsCaptionsAsPlainTextAndFollowsChanges) {
    ui::Label model("LblInfo", {120, 240, 4095, 1575});
    QWidget parent;
    QLabel* label = qt::bindLabel(model, &parent);
    model.SetCaption("<b>Q1ABC</b>\r\nline two");
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), "<b>Q1ABC</b>\nline two");
    EXPECT_EQ(label->geometry(), QRect(8, 16, 273, 105)) << "15 twips a pixel at 96 dpi";
    model.SetVisible(false);
    EXPECT_FALSE(label->isVisibleTo(&parent));
}

TEST(TextBoxBinder, MultiLineBoxForwardsKeysAndClicksButStaysReadOnly) {
    ui::TextBox model("TxtRawData", {120, 5040, 5415, 840});
    model.SetMultiLine(true);
    std::vector<int> keys;
    int clicks = 0;
    model.onKeyPress = [&](std::int16_t& key) { keys.push_back(key); };
    model.onClick = [&] { ++clicks; };
    QWidget parent;
    auto* box = qobject_cast<QPlainTextEdit*>(qt::bindTextBox(model, &parent));
    ASSERT_NE(box, nullptr);
    model.SetText("12:00:01 Q1ABC>APRS:<i>x</i>");
    QTest::mouseClick(box->viewport(), Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_T);
    QTest::keyClick(box, Qt::Key_Left);  // no character: not a key press for the model
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(keys, std::vector<int>{116});
    EXPECT_EQ(box->toPlainText(), "12:00:01 Q1ABC>APRS:<i>x</i>") << "typing changes nothing";
}

TEST(TextBoxBinder, SingleLineBoxEditsTheModel) {
    ui::TextBox model("TxtNominativo", {135, 495, 1770, 285});
    model.SetBackColor(ui::kLightYellow);
    QWidget parent;
    auto* box = qobject_cast<QLineEdit*>(qt::bindTextBox(model, &parent));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(255, 255, 192));
    QTest::keyClicks(box, "Q1");
    EXPECT_EQ(model.Text(), "Q1");
    model.SetText("Q2XYZ");
    EXPECT_EQ(box->text(), "Q2XYZ");
}

TEST(ButtonBinder, ClickRunsTheHandlerCaptionsFollowAndSwatchesPaintTheirColour) {
    ui::Button model("CmdColoreCerchio(3)", {1305, 495, 330, 195});
    model.SetBackColor(16711680);
    int clicks = 0;
    model.onClick = [&] { ++clicks; };
    QWidget parent;
    QPushButton* button = qt::bindButton(model, &parent);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(CentreColour(*button), QColor(0, 0, 255));
    model.SetCaption("Acknowledged");
    EXPECT_EQ(button->text(), "Acknowledged");
}

TEST(CheckBoxBinder, GoesBothWays) {
    ui::CheckBox model("CheckAvvio", {120, 1815, 5175, 255});
    QWidget parent;
    QCheckBox* box = qt::bindCheckBox(model, &parent);
    model.SetCaption("Automatic starting");
    model.SetChecked(true);
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->text(), "Automatic starting");
    box->click();
    EXPECT_FALSE(model.Checked());
}

TEST(ListBoxBinder, PickingARowSetsTheIndexAndRunsClick) {
    ui::ListBox model("ListStile", {90, 1845, 2355, 1230});
    for (const char* item : {"Solid", "Transparent", "Horizontal"}) model.AddItem(item);
    int clicks = 0;
    model.onClick = [&] { ++clicks; };
    QWidget parent;
    parent.show();
    QListWidget* list = qt::bindListBox(model, &parent);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(model.ListIndex(), 2);
    EXPECT_EQ(clicks, 1);
    model.SetListIndex(0);
    EXPECT_EQ(list->currentRow(), 0);
    model.Clear();
    model.AddItem("Continuo");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "Continuo");
}

TEST(ScrollBarBinder, RangeAndValueFollowAndUserMovesRunChange) {
    ui::ScrollBar model("HSSpessoreCerchio", {2655, 1890, 1905, 240});
    model.SetRange(1, 10);
    int changes = 0;
    model.onChange = [&] { ++changes; };
    QWidget parent;
    QScrollBar* bar = qt::bindScrollBar(model, &parent);
    EXPECT_EQ(bar->orientation(), Qt::Horizontal);
    EXPECT_EQ(bar->maximum(), 10);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(model.Value(), 2) << "from the minimum";
    EXPECT_EQ(changes, 1);
    model.SetValue(9);
    EXPECT_EQ(bar->value(), 9);
}

// A form's timers are bound without a window; each runs while enabled with an interval, at
// that interval, and ticks the model.
TEST(TimerBinder, FormTimersRunWithoutAWindowAtTheModelsInterval) {
    forms::FrmMain form;
    int ticks = 0;
    form.TimerAllarme.onTick = [&] { ++ticks; };
    QObject owner;
    qt::bindFormTimers(form, &owner);
    auto* timer = owner.findChild<QTimer*>("TimerAllarme");
    ASSERT_NE(timer, nullptr);
    EXPECT_FALSE(timer->isActive());
    form.TimerAllarme.SetTimerEnabled(true);
    form.TimerAllarme.SetInterval(1000);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1000);
    QMetaObject::invokeMethod(timer, "timeout");  // what the event loop does every second
    EXPECT_EQ(ticks, 1);
    form.TimerAllarme.SetInterval(0);  // an interval of 0 stops it, enabled or not
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(owner.findChildren<QWidget*>().isEmpty());
}

TEST(FormWindowTest, PlacesFrameChildrenInsideTheFrameWhoseTitleFollows) {
    forms::FrmMain form;
    qt::FormWindow window(form);
    auto* frame = window.Find<QGroupBox>(form.Frame1);
    auto* label = window.Find<QLabel>(form.LblNominativo);
    ASSERT_TRUE(frame && label);
    EXPECT_EQ(label->parentWidget(), frame);
    form.Frame1.SetCaption("Last Received Emergency Beacon");
    EXPECT_EQ(frame->title(), "Last Received Emergency Beacon");
    EXPECT_NE(window.findChild<QTimer*>("TimerAllarme"), nullptr) << "the alarm's blink";
    EXPECT_EQ(label->pos(), QPoint(9, 18));
}

TEST(FormWindowTest, MenusFollowCheckMarksAndClicksLetTheModelDecide) {
    forms::FrmMain form;
    int clicks = 0;
    form.MnuNazione[1].onClick = [&] {
        ++clicks;
        form.MnuNazione[0].SetChecked(false);
        form.MnuNazione[1].SetChecked(true);
    };
    form.MnuNazione[0].SetChecked(true);
    qt::FormWindow window(form);
    QAction* italian = qttest::FindAction(window.MenuBar(), "Italiano");
    QAction* english = qttest::FindAction(window.MenuBar(), "English");
    ASSERT_TRUE(italian && english);
    EXPECT_TRUE(italian->isChecked());
    english->trigger();
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(italian->isChecked());
    EXPECT_TRUE(english->isChecked());
    // A click the model refuses leaves the check mark as the model has it.
    english->trigger();
    EXPECT_TRUE(english->isChecked());
}

TEST(FormWindowTest, FollowsTheFormsPlaceAndShownStateAndTitleBarCloseAsksTheForm) {
    forms::FrmMain form;
    int closes = 0, hidden = 0;
    form.onClose = [&] { ++closes; };
    qt::FormWindow window(form);
    QObject::connect(&window, &qt::FormWindow::formHidden, [&] { ++hidden; });
    form.SetLeft(1440);
    form.SetTop(720);
    EXPECT_EQ(window.pos(), QPoint(96, 48));
    form.Show();
    window.close();
    EXPECT_EQ(closes, 1);
    EXPECT_TRUE(window.isVisible()) << "the handler decides whether the window goes";
    form.Hide();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(hidden, 1);
}

}  // namespace
