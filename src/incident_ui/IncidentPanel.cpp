// The window's incident list: a table of the source's incidents, the selected one's details and
// the operator's actions on it.
#include "incident_ui/IncidentPanel.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QInputDialog>
#include <QPointer>
#include <QStringList>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>

namespace incident_ui {

namespace dash = ::dashboard;

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

// One text in the add-on's two languages.
QString Say(bool english, const char* englishText, const char* italianText) {
    return QString::fromUtf8(english ? englishText : italianText);
}

}  // namespace

QString IncidentPanel::Ago(std::int64_t seconds, bool english) {
    if (seconds < 0) seconds = 0;
    const QString ago = english ? QStringLiteral(" ago") : QStringLiteral(" fa");
    if (seconds < 60) return QStringLiteral("%1 s").arg(seconds) + ago;
    if (seconds < 3600) return QStringLiteral("%1 min").arg(seconds / 60) + ago;
    if (seconds < 86400)
        return QStringLiteral("%1 h %2 min").arg(seconds / 3600).arg(seconds % 3600 / 60) + ago;
    return (english ? QStringLiteral("%1 d %2 h") : QStringLiteral("%1 g %2 h"))
               .arg(seconds / 86400)
               .arg(seconds % 86400 / 3600) +
           ago;
}

void IncidentPanel::Caption(int languageCode) {
    if (languageCode == language_) return;
    language_ = languageCode;
    const bool en = English();
    setWindowTitle(Say(en, "Incidents", "Interventi"));
    table_->setHorizontalHeaderLabels(
        {Say(en, "Callsign", "Nominativo"), Say(en, "State", "Stato"), Say(en, "Grade", "Grado"),
         Say(en, "Last heard", "Ultima ricezione"), Say(en, "Operator", "Operatore"),
         Say(en, "Held back", "Trattenuto")});
    acknowledge_->setText(Say(en, "Acknowledge", "Tacita"));
    take_->setText(Say(en, "Take", "Prendi in carico"));
    takeOver_->setText(Say(en, "Take over...", "Subentra..."));
    release_->setText(Say(en, "Release...", "Rilascia..."));
    note_->setText(Say(en, "Add note...", "Aggiungi nota..."));
    close_->setText(Say(en, "Close...", "Chiudi..."));
    if (!operator_.isEmpty()) who_->setText(Say(en, "Operator: ", "Operatore: ") + operator_);
}

IncidentPanel::IncidentPanel(dash::Source& source, QWidget* parent)
    : QWidget(parent), source_(source) {
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

    const auto button = [this](const char* name, dash::ActionKind kind) {
        auto* b = new QPushButton(this);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, [this, kind] { Act(kind); });
        return b;
    };
    acknowledge_ = button("acknowledge", dash::ActionKind::Acknowledge);
    take_ = button("take", dash::ActionKind::Take);
    takeOver_ = button("take_over", dash::ActionKind::TakeOver);
    release_ = button("release", dash::ActionKind::Release);
    note_ = button("note", dash::ActionKind::Note);
    close_ = button("close", dash::ActionKind::Close);
    who_ = new QLabel(this);
    who_->setTextFormat(Qt::PlainText);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setStyleSheet(QStringLiteral("color: #b00000"));

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {acknowledge_, take_, takeOver_, release_, note_, close_})
        buttons->addWidget(b);
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
        status_->setText(Say(English(), "The incidents could not be read: ",
                             "Gli interventi non si possono leggere: ") +
                         e.what());
        return;
    }
    Caption(shown_.languageCode);
    const std::string selected = SelectedId();
    const QSignalBlocker quiet(table_);
    table_->clearSelection();
    table_->setRowCount(static_cast<int>(shown_.incidents.size()));
    int reselect = -1;
    for (int row = 0; row < table_->rowCount(); ++row) {
        const dash::IncidentView& in = shown_.incidents[static_cast<std::size_t>(row)];
        const QString cells[ColumnCount] = {
            Text(in.callsign),     Text(in.state),
            Text(in.grade),        Ago(shown_.now_s - in.lastHeard_s, English()),
            Text(in.operatorName), Text(in.heldBack)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = table_->item(row, column);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                table_->setItem(row, column, item);
            }
            item->setText(cells[column]);
            item->setToolTip(cells[column].toHtmlEscaped());  // tool tips may take rich text
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
    const std::string id = SelectedId();
    const dash::IncidentView* in = nullptr;
    for (const auto& candidate : shown_.incidents)
        if (candidate.id == id) in = &candidate;
    for (QPushButton* b : {acknowledge_, take_, takeOver_, release_, note_, close_}) {
        const bool allowed =
            in != nullptr &&
            std::ranges::find(in->actions, b->objectName().toStdString()) != in->actions.end();
        b->setEnabled(allowed);
        b->setVisible(in == nullptr || allowed);
    }
    if (in == nullptr) {
        detail_->clear();
        return;
    }
    const bool en = English();
    QString text = Text(in->callsign) + Say(en, ", first heard ", ", prima ricezione ") +
                   Clock(in->firstHeard_s) + Say(en, ", last heard ", ", ultima ricezione ") +
                   Clock(in->lastHeard_s) + '\n' + Text(in->evidence);
    if (!in->sites.empty()) {
        text += Say(en, "\nHeard at ", "\nRicevuto da ");
        for (std::size_t i = 0; i < in->sites.size(); ++i)
            text += (i > 0 ? QStringLiteral(", ") : QString()) + Text(in->sites[i]);
    }
    for (const auto& note : in->notes)
        text += '\n' + Clock(note.time_s) + ' ' + Text(note.operatorName) + QStringLiteral(": ") +
                Text(note.text);
    if (detail_->toPlainText() != text) detail_->setPlainText(text);
}

void IncidentPanel::Act(dash::ActionKind kind) {
    const std::string id = SelectedId();
    if (id.empty()) return;
    const bool en = English();
    if (operator_.isEmpty()) {
        const auto name = ask(Say(en, "Operator", "Operatore"),
                              Say(en, "Your name, kept for this session:",
                                  "Il tuo nome, tenuto per questa sessione:"),
                              false);
        if (!name || name->trimmed().isEmpty()) return;
        operator_ = name->trimmed();
        who_->setText(Say(en, "Operator: ", "Operatore: ") + operator_);
    }
    dash::Action action{
        .kind = kind, .incident = id, .operatorName = operator_.toStdString(), .note = {}};
    std::optional<QString> text = QString();
    switch (kind) {
        case dash::ActionKind::Note:
            text = ask(Say(en, "Add a note", "Aggiungi una nota"), Say(en, "Note:", "Nota:"), true);
            break;
        case dash::ActionKind::Close:
            text = ask(Say(en, "Close the incident", "Chiudi l'intervento"),
                       Say(en, "What happened:", "Cosa è successo:"), true);
            break;
        case dash::ActionKind::TakeOver:
            text = ask(Say(en, "Take over the incident", "Subentra nell'intervento"),
                       Say(en, "Why you take it over:", "Perché subentri:"), true);
            break;
        case dash::ActionKind::Release:
            text = ask(Say(en, "Release the incident", "Rilascia l'intervento"),
                       Say(en, "A note for who takes it next (may be empty):",
                           "Una nota per chi lo prenderà (può restare vuota):"),
                       true);
            break;
        case dash::ActionKind::Acknowledge:
        case dash::ActionKind::Take:
            break;
    }
    if (!text) return;
    action.note = text->toStdString();
    dash::ActionResult result;
    try {
        result = source_.Act(action);
    } catch (const std::exception& e) {
        result = platform::Fail(e.what());
    }
    status_->setText(result ? QString()
                            : Say(en, "Refused: ", "Rifiutato: ") + Text(result.error().text));
    Refresh();
}

}  // namespace incident_ui
