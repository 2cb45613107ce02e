// The binders: one per kind of control model.
#include "qt/Binders.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <vector>

#include "platform/ProgramIcon.h"
#include "qt/Colors.h"
#include "qt/DisplayPacer.h"
#include "qt/GridView.h"
#include "qt/SafeCall.h"
#include "qt/ShapeWidget.h"
#include "qt/Twips.h"

namespace qt {

namespace {

// Model text for a widget: the models end lines with CR LF or a lone CR.
QString DisplayText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

void SetBackground(QWidget* w, ui::Color color, QPalette::ColorRole role) {
    QColor c = ToQColor(color);
    QPalette palette = w->palette();
    palette.setColor(role, c.isValid() ? c : QApplication::palette(w).color(role));
    w->setPalette(palette);
    if (role == QPalette::Window) w->setAutoFillBackground(c.isValid());
}

void Place(const ui::Control& model, QWidget* w) {
    QRect r = ToPixels(model.Geometry(), LogicalDpi(w));
    if (w->geometry() != r) w->setGeometry(r);
    if (w->isVisibleTo(w->parentWidget()) != model.Visible()) w->setVisible(model.Visible());
    w->setEnabled(model.Enabled());
}

// Places the widget now and after every change, then applies the kind's own state; in a
// window that paces its display, at the window's pace.
template <typename W, typename Apply>
void Follow(ui::Control& model, W* widget, Apply apply) {
    QPointer<W> w(widget);
    std::function<void()> sync = [&model, w, apply] {
        if (!w) return;
        Place(model, w);
        apply(w.data());
    };
    QPointer<DisplayPacer> pacer(DisplayPacer::Of(widget));
    model.Subscribe([pacer, sync, key = static_cast<const void*>(&model)] {
        if (pacer) return pacer->Follow(key, sync);
        sync();
    });
    sync();
}

// Hands a typed character to the model's key handler; a code set to 0 swallows the key.
bool ForwardKey(ui::TextBox& model, QKeyEvent* event) {
    if (!model.onKeyPress || event->text().isEmpty()) return true;
    std::int16_t code = static_cast<std::int16_t>(event->text().at(0).unicode());
    SafeCall([&] { model.onKeyPress(code); });
    return code != 0;
}

// A line or multi-line box whose typed characters and clicks reach the model's handlers.
template <typename Base>
class TextBoxWidget : public Base {
public:
    TextBoxWidget(ui::TextBox& model, QWidget* parent) : Base(parent), model_(model) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (ForwardKey(model_, event)) Base::keyPressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        Base::mouseReleaseEvent(event);
        SafeCall(model_.onClick);
    }

private:
    ui::TextBox& model_;
};

// A button that shows its model's colour when it has one (the colour swatches).
class SwatchButton : public QPushButton {
public:
    SwatchButton(const ui::Button& model, QWidget* parent) : QPushButton(parent), model_(model) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        QColor color = ToQColor(model_.BackColor());
        if (!color.isValid()) return QPushButton::paintEvent(event);
        QPainter painter(this);
        QRect r = rect().adjusted(0, 0, -1, -1);
        painter.fillRect(r, color);
        painter.setPen(isDown() ? palette().color(QPalette::Dark)
                                : palette().color(QPalette::Shadow));
        painter.drawRect(r);
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.drawRect(r.adjusted(2, 2, -2, -2));
        }
        if (!text().isEmpty()) {
            painter.setPen(color.lightness() < 128 ? Qt::white : Qt::black);
            painter.drawText(r, Qt::AlignCenter | Qt::TextShowMnemonic, text());
        }
    }

private:
    const ui::Button& model_;
};

QPixmap ProgramIconPixmap(int size) {
    const std::vector<std::uint8_t> rgba = platform::ProgramIconRgba(size);
    const QImage image(rgba.data(), size, size, size * 4, QImage::Format_RGBA8888);
    return QPixmap::fromImage(image);  // copies the pixels
}

void BindMenuItem(ui::MenuItem& item, QWidget* container);

QAction* ActionFor(ui::MenuItem& item, QWidget* container) {
    if (item.Children().empty()) {
        auto* action = new QAction(container);
        QObject::connect(action, &QAction::triggered, action, [&item, action] {
            SafeCall(item.onClick);
            // Qt flips a checkable action itself; the model has the last word.
            QSignalBlocker block(action);
            action->setChecked(item.Checked());
        });
        return action;
    }
    auto* menu = new QMenu(container);
    for (ui::MenuItem* child : item.Children()) BindMenuItem(*child, menu);
    QObject::connect(menu->menuAction(), &QAction::triggered, menu,
                     [&item] { SafeCall(item.onClick); });
    return menu->menuAction();
}

void BindMenuItem(ui::MenuItem& item, QWidget* container) {
    QPointer<QAction> action(ActionFor(item, container));
    container->addAction(action);
    auto sync = [&item, action] {
        if (!action) return;
        action->setSeparator(item.Caption() == "-");
        action->setText(QString::fromStdString(item.Caption()));
        action->setCheckable(item.Checked());
        action->setChecked(item.Checked());
        action->setVisible(item.Visible());
        action->setEnabled(item.Enabled());
    };
    item.Subscribe(sync);
    sync();
}

}  // namespace

QLabel* bindLabel(ui::Label& model, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Follow(model, label, [&model](QLabel* w) {
        w->setText(DisplayText(model.Caption()));
        SetBackground(w, model.BackColor(), QPalette::Window);
    });
    return label;
}

QWidget* bindTextBox(ui::TextBox& model, QWidget* parent) {
    if (model.MultiLine()) {
        auto* box = new TextBoxWidget<QPlainTextEdit>(model, parent);
        // Read-only for typing, but keys still reach the handler (the raw-frame box's switch).
        box->setReadOnly(true);
        box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        Follow(model, box, [&model](QPlainTextEdit* w) {
            QString text = DisplayText(model.Text());
            if (w->toPlainText() != text) w->setPlainText(text);
            SetBackground(w, model.BackColor(), QPalette::Base);
        });
        return box;
    }
    auto* box = new TextBoxWidget<QLineEdit>(model, parent);
    QObject::connect(box, &QLineEdit::textEdited, box,
                     [&model](const QString& text) { model.SetText(text.toStdString()); });
    Follow(model, box, [&model](QLineEdit* w) {
        QString text = QString::fromStdString(model.Text());
        if (w->text() != text) {
            w->setText(text);
            w->setCursorPosition(0);
        }
        SetBackground(w, model.BackColor(), QPalette::Base);
    });
    return box;
}

QPushButton* bindButton(ui::Button& model, QWidget* parent) {
    auto* button = new SwatchButton(model, parent);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [&model] { SafeCall(model.onClick); });
    Follow(model, button, [&model](QPushButton* w) {
        w->setText(QString::fromStdString(model.Caption()));
        w->update();
    });
    return button;
}

QCheckBox* bindCheckBox(ui::CheckBox& model, QWidget* parent) {
    auto* box = new QCheckBox(parent);
    QObject::connect(box, &QCheckBox::toggled, box, [&model](bool on) {
        if (model.Checked() != on) model.SetChecked(on);
    });
    Follow(model, box, [&model](QCheckBox* w) {
        QSignalBlocker block(w);
        w->setText(QString::fromStdString(model.Caption()));
        w->setChecked(model.Checked());
    });
    return box;
}

QListWidget* bindListBox(ui::ListBox& model, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    QObject::connect(list, &QListWidget::currentRowChanged, list, [&model](int row) {
        if (row != model.ListIndex()) model.SetListIndex(row);
    });
    Follow(model, list, [&model](QListWidget* w) {
        QSignalBlocker block(w);
        const auto& items = model.Items();
        bool same = w->count() == static_cast<int>(items.size());
        for (int i = 0; same && i < w->count(); ++i)
            same = w->item(i)->text() == QString::fromStdString(items[i]);
        if (!same) {
            w->clear();
            for (const auto& item : items) w->addItem(QString::fromStdString(item));
        }
        if (w->currentRow() != model.ListIndex()) w->setCurrentRow(model.ListIndex());
        SetBackground(w, model.BackColor(), QPalette::Base);
    });
    return list;
}

QScrollBar* bindScrollBar(ui::ScrollBar& model, QWidget* parent) {
    const ui::Rect& r = model.Geometry();
    auto* bar = new QScrollBar(r.width >= r.height ? Qt::Horizontal : Qt::Vertical, parent);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    QObject::connect(bar, &QScrollBar::valueChanged, bar,
                     [&model](int value) { model.SetValue(value); });
    Follow(model, bar, [&model](QScrollBar* w) {
        QSignalBlocker block(w);
        w->setRange(model.Min(), model.Max());
        w->setValue(model.Value());
    });
    return bar;
}

ShapeWidget* bindShape(ui::Shape& model, QWidget* parent) {
    auto* shape = new ShapeWidget(model, parent);
    Follow(model, shape, [](ShapeWidget* w) { w->update(); });
    return shape;
}

QGroupBox* bindFrame(ui::Frame& model, QWidget* parent) {
    auto* frame = new QGroupBox(parent);
    Follow(model, frame,
           [&model](QGroupBox* w) { w->setTitle(QString::fromStdString(model.Caption())); });
    return frame;
}

QLabel* bindImage(ui::Image& model, QWidget* parent) {
    auto* image = new QLabel(parent);
    image->setAlignment(Qt::AlignCenter);
    Follow(model, image, [&model](QLabel* w) {
        QIcon icon = IconFor(model.Icon());
        w->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(w->size()));
    });
    return image;
}

GridView* bindGrid(ui::Grid& model, QWidget* parent) {
    auto* view = new GridView(model, parent);
    Follow(model, view, [](GridView*) {});
    return view;
}

QTimer* bindTimer(ui::Timer& model, QObject* parent) {
    QPointer<QTimer> timer(new QTimer(parent));
    QObject::connect(timer, &QTimer::timeout, timer, [&model] { SafeCall([&] { model.Tick(); }); });
    auto sync = [&model, timer] {
        if (!timer) return;
        bool run = model.TimerEnabled() && model.Interval() > 0;
        if (!run) return timer->stop();
        if (!timer->isActive() || timer->interval() != model.Interval())
            timer->start(model.Interval());
    };
    model.Subscribe(sync);
    sync();
    return timer;
}

void bindFormTimers(ui::Form& form, QObject* parent) {
    for (ui::Control* control : form.Controls()) {
        if (auto* timer = dynamic_cast<ui::Timer*>(control))
            bindTimer(*timer, parent)->setObjectName(QString::fromStdString(timer->Name()));
    }
}

void bindMenus(const std::vector<ui::MenuItem*>& menus, QMenuBar* bar) {
    for (ui::MenuItem* item : menus) BindMenuItem(*item, bar);
}

QIcon IconFor(const std::string& name) {
    if (name != "sirenwatch") return {};
    QIcon app = QApplication::windowIcon();
    if (!app.isNull() && !app.availableSizes().isEmpty()) return app;
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

}  // namespace qt
