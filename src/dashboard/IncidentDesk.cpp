// The incident list's decisions and words, for the Qt panel and the Win32 window alike.
#include "dashboard/IncidentDesk.h"

#include <algorithm>
#include <exception>

#include "platform/TimeText.h"

namespace dashboard {

namespace {

// One text in the add-on's two languages.
std::string Say(bool english, const char* englishText, const char* italianText) {
    return english ? englishText : italianText;
}

// A moment in local time, as the detail shows it.
std::string Clock(std::int64_t time_s) {
    return platform::LocalTimeText(time_s, "%Y-%m-%d %H:%M:%S");
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

std::string IncidentDesk::Ago(std::int64_t seconds, bool english) {
    seconds = std::max<std::int64_t>(seconds, 0);
    const std::string ago = english ? " ago" : " fa";
    const auto n = [](std::int64_t value) { return std::to_string(value); };
    if (seconds < 60) return n(seconds) + " s" + ago;
    if (seconds < 3600) return n(seconds / 60) + " min" + ago;
    if (seconds < 86400) return n(seconds / 3600) + " h " + n(seconds % 3600 / 60) + " min" + ago;
    return n(seconds / 86400) + (english ? " d " : " g ") + n(seconds % 86400 / 3600) + " h" + ago;
}

DeskWords IncidentDesk::Words(bool en) {
    return {
        .title = Say(en, "Incidents", "Interventi"),
        .columns = {Say(en, "Callsign", "Nominativo"), Say(en, "State", "Stato"),
                    Say(en, "Grade", "Grado"), Say(en, "Last heard", "Ultima ricezione"),
                    Say(en, "Operator", "Operatore"), Say(en, "Held back", "Trattenuto")},
        .buttons = {Say(en, "Acknowledge", "Tacita"), Say(en, "Take", "Prendi in carico"),
                    Say(en, "Take over...", "Subentra..."), Say(en, "Release...", "Rilascia..."),
                    Say(en, "Add note...", "Aggiungi nota..."), Say(en, "Close...", "Chiudi...")}};
}

Question IncidentDesk::NameQuestion(bool en) {
    return {
        Say(en, "Operator", "Operatore"),
        Say(en, "Your name, kept for this session:", "Il tuo nome, tenuto per questa sessione:"),
        false};
}

std::optional<Question> IncidentDesk::NoteQuestion(ActionKind kind, bool en) {
    switch (kind) {
        case ActionKind::Note:
            return Question{Say(en, "Add a note", "Aggiungi una nota"), Say(en, "Note:", "Nota:"),
                            true};
        case ActionKind::Close:
            return Question{Say(en, "Close the incident", "Chiudi l'intervento"),
                            Say(en, "What happened:", "Cosa è successo:"), true};
        case ActionKind::TakeOver:
            return Question{Say(en, "Take over the incident", "Subentra nell'intervento"),
                            Say(en, "Why you take it over:", "Perché subentri:"), true};
        case ActionKind::Release:
            return Question{Say(en, "Release the incident", "Rilascia l'intervento"),
                            Say(en, "A note for who takes it next (may be empty):",
                                "Una nota per chi lo prenderà (può restare vuota):"),
                            true};
        case ActionKind::Acknowledge:
        case ActionKind::Take:
            break;
    }
    return std::nullopt;
}

bool IncidentDesk::Offers(const IncidentView* incident, ActionKind kind) {
    if (incident == nullptr) return false;
    const auto action = std::ranges::find(kDeskActions, kind, &DeskAction::kind);
    return std::ranges::find(incident->actions, std::string(action->key)) !=
           incident->actions.end();
}

std::string IncidentDesk::Refresh() {
    try {
        shown_ = source_.Current();
    } catch (const std::exception& e) {
        return Say(English(),
                   "The incidents could not be read: ", "Gli interventi non si possono leggere: ") +
               e.what();
    }
    return {};
}

const IncidentView* IncidentDesk::Find(const std::string& id) const {
    if (id.empty()) return nullptr;
    const auto found = std::ranges::find(shown_.incidents, id, &IncidentView::id);
    return found == shown_.incidents.end() ? nullptr : &*found;
}

std::array<std::string, ColumnCount> IncidentDesk::Row(const IncidentView& in) const {
    return {in.callsign,     in.state,   in.grade, Ago(shown_.now_s - in.lastHeard_s, English()),
            in.operatorName, in.heldBack};
}

std::string IncidentDesk::Detail(const IncidentView& in) const {
    const bool en = English();
    std::string text = in.callsign + Say(en, ", first heard ", ", prima ricezione ") +
                       Clock(in.firstHeard_s) + Say(en, ", last heard ", ", ultima ricezione ") +
                       Clock(in.lastHeard_s) + '\n' + in.evidence;
    if (!in.sites.empty()) {
        text += Say(en, "\nHeard at ", "\nRicevuto da ");
        for (std::size_t i = 0; i < in.sites.size(); ++i) text += (i > 0 ? ", " : "") + in.sites[i];
    }
    for (const auto& note : in.notes)
        text += '\n' + Clock(note.time_s) + ' ' + note.operatorName + ": " + note.text;
    return text;
}

std::string IncidentDesk::OperatorCaption() const {
    return operator_.empty() ? std::string()
                             : Say(English(), "Operator: ", "Operatore: ") + operator_;
}

std::optional<std::string> IncidentDesk::Act(ActionKind kind, const std::string& incidentId,
                                             const Asker& ask) {
    if (incidentId.empty()) return std::nullopt;
    const bool en = English();
    if (operator_.empty()) {
        const auto name = ask(NameQuestion(en));
        if (!name || Trimmed(*name).empty()) return std::nullopt;
        operator_ = Trimmed(*name);
    }
    Action action{.kind = kind, .incident = incidentId, .operatorName = operator_, .note = {}};
    if (const auto question = NoteQuestion(kind, en)) {
        const auto note = ask(*question);
        if (!note) return std::nullopt;
        action.note = *note;
    }
    ActionResult result;
    try {
        result = source_.Act(action);
    } catch (const std::exception& e) {
        result = platform::Fail(e.what());
    }
    return result ? std::string() : Say(en, "Refused: ", "Rifiutato: ") + result.error().text;
}

}  // namespace dashboard
