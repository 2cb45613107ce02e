// The window's incident list: the incidents the dashboard shows, from the same Source, with the
// same actions (acknowledge, take, take over, release, add a note, close), each offered only
// where the incident's state allows it. The operator's name is asked at the first action and
// kept for the session; a refused action shows why. It speaks the add-on's language, as the
// source says. Everything from the air is shown as plain text.
#pragma once

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "dashboard/DashboardSource.h"
#include "dashboard/IncidentDesk.h"

namespace incident_ui {

class IncidentPanel : public QWidget {
    Q_OBJECT
public:
    // Adds itself as a listener of the source, for the source's life; it must outlive nothing:
    // once the panel is gone the listener does nothing.
    explicit IncidentPanel(dashboard::Source& source, QWidget* parent = nullptr);

    // Asks the operator for text: the name (one line) or a note (several); nullopt when
    // cancelled. Input dialogs unless replaced (tests answer in advance).
    std::function<std::optional<QString>(const QString& title, const QString& label,
                                         bool multiLine)>
        ask;

    enum Column {
        Callsign = dashboard::Callsign,
        State = dashboard::State,
        Grade = dashboard::Grade,
        LastHeard = dashboard::LastHeard,
        Operator = dashboard::Operator,
        HeldBack = dashboard::HeldBack,
        ColumnCount = dashboard::ColumnCount
    };
    // The source changed: the list follows a moment later, once for a burst of changes.
    static constexpr int kRefreshDelay_ms = 200;
    // "How long ago" is written again this often, changes or not.
    static constexpr int kAgeTick_ms = 5000;
    static QString Ago(std::int64_t seconds, bool english = true);

    void Refresh();
    void Act(dashboard::ActionKind kind);  // on the selected incident
    QString OperatorName() const { return QString::fromStdString(desk_.OperatorName()); }

private:
    std::string SelectedId() const;
    void ShowSelected();
    void Caption(int languageCode);

    dashboard::IncidentDesk desk_;
    QTableWidget* table_;
    QPlainTextEdit* detail_;
    std::array<QPushButton*, dashboard::kDeskActions.size()> buttons_{};  // in the desk's order
    int language_ = 0;  // the language the captions are in; 0 before the first
    QLabel* who_;
    QLabel* status_;
    QTimer refreshSoon_;
    QTimer ageTick_;
};

}  // namespace incident_ui
