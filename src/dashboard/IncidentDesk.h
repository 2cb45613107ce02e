// What an incident list decides, whatever toolkit draws it: its words in the add-on's two
// languages, the rows and the detail it shows, the questions each action asks and the action
// formed from the answers, and what to say when the source refuses.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "dashboard/DashboardSource.h"

namespace dashboard {

// The actions a list offers, in the order of its buttons, with their keys in IncidentView.
struct DeskAction {
    ActionKind kind;
    const char* key;
};
inline constexpr std::array<DeskAction, 6> kDeskActions = {
    {{ActionKind::Acknowledge, "acknowledge"},
     {ActionKind::Take, "take"},
     {ActionKind::TakeOver, "take_over"},
     {ActionKind::Release, "release"},
     {ActionKind::Note, "note"},
     {ActionKind::Close, "close"}}};

// Text asked of the operator: the name on one line, a note on several.
struct Question {
    std::string title;
    std::string label;
    bool multiLine = false;
};

enum DeskColumn { Callsign, State, Grade, LastHeard, Operator, HeldBack, ColumnCount };

// The list's fixed words in one language.
struct DeskWords {
    std::string title;
    std::array<std::string, ColumnCount> columns;
    std::array<std::string, kDeskActions.size()> buttons;  // in kDeskActions' order
};

class IncidentDesk {
public:
    // An answer, or nullopt when the operator cancelled.
    using Asker = std::function<std::optional<std::string>(const Question&)>;

    explicit IncidentDesk(Source& source) : source_(source) {}

    static std::string Ago(std::int64_t seconds, bool english = true);
    static DeskWords Words(bool english);
    static Question NameQuestion(bool english);
    // The note an action asks for; nullopt when it asks none.
    static std::optional<Question> NoteQuestion(ActionKind kind, bool english);
    // Whether the incident offers the action now; never for no incident.
    static bool Offers(const IncidentView* incident, ActionKind kind);

    // Reads the source again. What to say when it could not (the last reading stays shown).
    std::string Refresh();
    const Snapshot& Shown() const { return shown_; }
    bool English() const { return shown_.languageCode == 2000; }
    const IncidentView* Find(const std::string& id) const;
    std::array<std::string, ColumnCount> Row(const IncidentView& incident) const;
    // Who, when first and last heard, the evidence and the notes, one to a line.
    std::string Detail(const IncidentView& incident) const;

    // Acts on the incident as the operator, asking the name the first time and the note the
    // action needs. Returns the status line (empty when done, else the refusal), or nullopt when
    // the operator cancelled and nothing went to the source.
    std::optional<std::string> Act(ActionKind kind, const std::string& incidentId,
                                   const Asker& ask);
    const std::string& OperatorName() const { return operator_; }
    // "Operator: Anna"; empty before the name is known.
    std::string OperatorCaption() const;

private:
    Source& source_;
    Snapshot shown_;
    std::string operator_;
};

}  // namespace dashboard
