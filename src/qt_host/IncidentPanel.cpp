#include "qt_host/IncidentPanel.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QPointer>
#include <QVBoxLayout>
#include <exception>

namespace qt_host {

namespace dash = dashboard;

namespace {

QString Text(const std::string& s) {
    return QString::fromStdString(s);
}

QString Clock(std::int64_t time_s) {
    return QDateTime::fromSecsSinceEpoch(time_s).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
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

QString IncidentPanel::Ago(std::int64_t seconds) {
    if (seconds < 0) seconds = 0;
    if (seconds < 60) return QStringLiteral("%1 s ago").arg(seconds);
    if (seconds < 3600) return QStringLiteral("%1 min ago").arg(seconds / 60);
    if (seconds < 86400)
        return QStringLiteral("%1 h %2 min ago").arg(seconds / 3600).arg(seconds % 3600 / 60);
    return QStringLiteral("%1 d %2 h ago").arg(seconds / 86400).arg(seconds % 86400 / 3600);
}

IncidentPanel::IncidentPanel(dash::Source& source, QWidget* parent)
    : QWidget(parent), source_(source) {
    setWindowTitle(QStringLiteral("Incidents"));
    ask = [this](const QString& title, const QString& label, bool multiLine) {
        return AskWithDialog(this, title, label, multiLine);
    };

    table_ = new QTableWidget(0, ColumnCount, this);
    table_->setObjectName(QStringLiteral("incidents"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Callsign"), QStringLiteral("State"),
                                       QStringLiteral("Grade"), QStringLiteral("Last heard"),
                                       QStringLiteral("Operator"), QStringLiteral("Held back")});
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

    const auto button = [this](const char* name, const QString& text, dash::ActionKind kind) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, kind] { Act(kind); });
        return b;
    };
    acknowledge_ =
        button("acknowledge", QStringLiteral("Acknowledge"), dash::ActionKind::Acknowledge);
    take_ = button("take", QStringLiteral("Take"), dash::ActionKind::Take);
    note_ = button("note", QStringLiteral("Add note..."), dash::ActionKind::Note);
    close_ = button("close", QStringLiteral("Close..."), dash::ActionKind::Close);
    who_ = new QLabel(this);
    who_->setTextFormat(Qt::PlainText);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setStyleSheet(QStringLiteral("color: #b00000"));

    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(acknowledge_), static_cast<QWidget*>(take_),
                       static_cast<QWidget*>(note_), static_cast<QWidget*>(close_)})
        buttons->addWidget(w);
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
    source_.AddChangeListener([panel = QPointer<IncidentPanel>(this)] {
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
    try {
        shown_ = source_.Current();
    } catch (const std::exception& e) {
        status_->setText(QStringLiteral("The incidents could not be read: ") + e.what());
        return;
    }
    const std::string selected = SelectedId();
    const QSignalBlocker quiet(table_);
    table_->clearSelection();
    table_->setRowCount(static_cast<int>(shown_.incidents.size()));
    int reselect = -1;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const dash::IncidentView& in = shown_.incidents[static_cast<std::size_t>(row)];
        const QString cells[ColumnCount] = {
            Text(in.callsign),     Text(in.state),
            Text(in.grade),        Ago(shown_.now_s - in.lastHeard_s),
            Text(in.operatorName), Text(in.heldBack)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = table_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                table_->setItem(row, column, item);
            }
            item->setText(cells[column]);
            item->setToolTip(cells[column].toHtmlEscaped());  // tool tips may take rich text
            item->setForeground(in.state == "new" ? QColor(200, 0, 0) : palette().text().color());
        }
        table_->item(row, Callsign)->setData(Qt::UserRole, Text(in.id));
        if (in.id == selected) reselect = row;
    }
    if (reselect >= 0) table_->selectRow(reselect);
    ShowSelected();
}

void IncidentPanel::ShowSelected() {
    const std::string id = SelectedId();
    const dash::IncidentView* in = nullptr;
    for (const auto& candidate : shown_.incidents)
        if (candidate.id == id) in = &candidate;
    const bool open = in != nullptr && in->state != "closed";
    for (QPushButton* b : {acknowledge_, take_, note_, close_}) b->setEnabled(open);
    if (in == nullptr) {
        detail_->clear();
        return;
    }
    QString text = Text(in->callsign) + QStringLiteral(", first heard ") + Clock(in->firstHeard_s) +
                   QStringLiteral(", last heard ") + Clock(in->lastHeard_s) + '\n' +
                   Text(in->evidence);
    for (const auto& note : in->notes)
        text += '\n' + Clock(note.time_s) + ' ' + Text(note.operatorName) + QStringLiteral(": ") +
                Text(note.text);
    if (detail_->toPlainText() != text) detail_->setPlainText(text);
}

void IncidentPanel::Act(dash::ActionKind kind) {
    const std::string id = SelectedId();
    if (id.empty()) return;
    if (operator_.isEmpty()) {
        const auto name = ask(QStringLiteral("Operator"),
                              QStringLiteral("Your name, kept for this session:"), false);
        if (!name || name->trimmed().isEmpty()) return;
        operator_ = name->trimmed();
        who_->setText(QStringLiteral("Operator: ") + operator_);
    }
    dash::Action action{
        .kind = kind, .incident = id, .operatorName = operator_.toStdString(), .note = {}};
    if (kind == dash::ActionKind::Note || kind == dash::ActionKind::Close) {
        const auto text =
            kind == dash::ActionKind::Note
                ? ask(QStringLiteral("Add a note"), QStringLiteral("Note:"), true)
                : ask(QStringLiteral("Close the incident"), QStringLiteral("What happened:"), true);
        if (!text) return;
        action.note = text->toStdString();
    }
    dash::ActionResult result;
    try {
        result = source_.Act(action);
    } catch (const std::exception& e) {
        result = {false, e.what()};
    }
    status_->setText(result.ok ? QString() : QStringLiteral("Refused: ") + Text(result.reason));
    Refresh();
}

}  // namespace qt_host
