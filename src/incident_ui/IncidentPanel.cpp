// The window's incident list: a table of the source's incidents, the selected one's details and
// the operator's actions on it.
#include "incident_ui/IncidentPanel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QPointer>
#include <QStringList>
#include <QVBoxLayout>

namespace incident_ui {

namespace dash = ::dashboard;

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<QString> AskWithDialog(QWidget* parent, const QString& title, const QString& label,
                                     bool multiLine) {
    bool ok = false;
    const QString text = multiLine ? QInputDialog::getMultiLineText(parent, title, label, {}, &ok)
                                   : QInputDialog::getText(parent, title, label, {}, {}, &ok);
    if (!ok) return std::nullopt;
    return text;
}

}  // namespace

QString IncidentPanel::Ago(std::int64_t seconds, bool english) {
    return Text(dash::IncidentDesk::Ago(seconds, english));
}

void IncidentPanel::Caption(int languageCode) {
    if (languageCode == language_) return;
    language_ = languageCode;
    const dash::DeskWords words = dash::IncidentDesk::Words(desk_.English());
    setWindowTitle(Text(words.title));
    QStringList columns;
    for (const auto& column : words.columns) columns << Text(column);
    table_->setHorizontalHeaderLabels(columns);
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->setText(Text(words.buttons[i]));
    who_->setText(Text(desk_.OperatorCaption()));
}

IncidentPanel::IncidentPanel(dash::Source& source, QWidget* parent)
    : QWidget(parent), desk_(source) {
    ask = [this](const QString& title, const QString& label, bool multiLine) {
        return AskWithDialog(this, title, label, multiLine);
    };

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("incidents"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setWordWrap(false);

    detail_ = new QPlainTextEdit(this);  // plain text: what came from the air stays text
    detail_->setObjectName(QStringLiteral("detail"));
    detail_->setReadOnly(true);
    detail_->setMaximumHeight(110);

    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const auto [kind, key] = dash::kDeskActions[i];
        buttons_[i] = new QPushButton(this);
        buttons_[i]->setObjectName(QLatin1String(key));
        connect(buttons_[i], &QPushButton::clicked, this, [this, kind] { Act(kind); });
    }
    who_ = new QLabel(this);
    who_->setTextFormat(Qt::PlainText);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setStyleSheet(QStringLiteral("color: #b00000"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : buttons_) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(who_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(detail_);
    layout->addLayout(buttons);
    layout->addWidget(status_);

    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
    refreshSoon_.setSingleShot(true);
    refreshSoon_.setInterval(kRefreshDelay_ms);
    connect(&refreshSoon_, &QTimer::timeout, this, [this] { Refresh(); });
    ageTick_.setInterval(kAgeTick_ms);
    connect(&ageTick_, &QTimer::timeout, this, [this] { Refresh(); });
    ageTick_.start();
    source.AddChangeListener([panel = QPointer<IncidentPanel>(this)] {
        if (panel && !panel->refreshSoon_.isActive()) panel->refreshSoon_.start();
    });
    Refresh();
}

std::string IncidentPanel::SelectedId() const {
    const int row = table_->currentRow();
    if (row < 0 || !table_->item(row, Callsign) || !table_->item(row, Callsign)->isSelected())
        return {};
    return table_->item(row, Callsign)->data(Qt::UserRole).toString().toStdString();
}

void IncidentPanel::Refresh() {
    if (const std::string problem = desk_.Refresh(); !problem.empty()) {
        status_->setText(Text(problem));
        return;
    }
    const dash::Snapshot& shown = desk_.Shown();
    Caption(shown.languageCode);
    const std::string selected = SelectedId();
    const QSignalBlocker quiet(table_);
    table_->clearSelection();
    table_->setRowCount(static_cast<int>(shown.incidents.size()));
    int reselect = -1;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const dash::IncidentView& in = shown.incidents[static_cast<std::size_t>(row)];
        const auto cells = desk_.Row(in);
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = table_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                table_->setItem(row, column, item);
            }
            const QString cell = Text(cells[static_cast<std::size_t>(column)]);
            item->setText(cell);
            item->setToolTip(cell.toHtmlEscaped());  // tool tips may take rich text
            item->setForeground(in.stateKey == "new" ? QColor(200, 0, 0)
                                                     : palette().text().color());
        }
        table_->item(row, Callsign)->setData(Qt::UserRole, Text(in.id));
        if (in.id == selected) reselect = row;
    }
    if (reselect >= 0) table_->selectRow(reselect);
    ShowSelected();
}

void IncidentPanel::ShowSelected() {
    const dash::IncidentView* in = desk_.Find(SelectedId());
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        const bool allowed = dash::IncidentDesk::Offers(in, dash::kDeskActions[i].kind);
        buttons_[i]->setEnabled(allowed);
        buttons_[i]->setVisible(in == nullptr || allowed);
    }
    if (in == nullptr) {
        detail_->clear();
        return;
    }
    const QString text = Text(desk_.Detail(*in));
    if (detail_->toPlainText() != text) detail_->setPlainText(text);
}

void IncidentPanel::Act(dash::ActionKind kind) {
    const auto asked = [this](const dash::Question& question) -> std::optional<std::string> {
        const auto answer = ask(Text(question.title), Text(question.label), question.multiLine);
        if (!answer) return std::nullopt;
        return answer->toStdString();
    };
    const auto status = desk_.Act(kind, SelectedId(), asked);
    if (!status) return;
    who_->setText(Text(desk_.OperatorCaption()));
    status_->setText(Text(*status));
    Refresh();
}

}  // namespace incident_ui
