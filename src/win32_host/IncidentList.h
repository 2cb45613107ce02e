// The built-in host's incident list on Windows: the incidents the dashboard shows, from the same
// Source, with the same actions, each offered only where the incident's state allows it. A list
// view, the selected incident's detail, the action buttons, the operator and a status line, in
// the add-on's language; the operator's name asked at the first action and kept, a note asked
// where the action needs one. Text from the air is shown as plain text.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dashboard/DashboardSource.h"
#include "dashboard/IncidentDesk.h"

namespace win32_host {

class IncidentList {
public:
    // The source changed: the list follows a moment later, once for a burst of changes.
    static constexpr UINT kRefreshDelay_ms = 200;
    // "How long ago" is written again this often, changes or not.
    static constexpr UINT kAgeTick_ms = 5000;

    // A top-level window of its own, shown; placed under `above` (the map window) when given.
    // Adds itself as a listener of the source for the source's life: once the list is gone the
    // listener does nothing.
    explicit IncidentList(dashboard::Source& source, HWND above = nullptr);
    ~IncidentList();
    IncidentList(const IncidentList&) = delete;
    IncidentList& operator=(const IncidentList&) = delete;

    HWND Handle() const { return window_; }
    // Asks the operator for text; the input window unless replaced.
    std::function<std::optional<std::string>(const dashboard::Question&)> ask;

    void Refresh();
    // Selects the incident (the map's detail may point at one); nothing for an unknown id.
    void Select(const std::string& incidentId);
    void Act(dashboard::ActionKind kind);  // on the selected incident

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void Build();
    void Caption();
    void FillRows();
    void ShowSelected();
    void Layout();
    void LayoutButtons(int top);
    LRESULT CustomDraw(LPARAM l) const;
    std::string SelectedId() const;
    void Place(HWND above);

    dashboard::IncidentDesk desk_;
    HWND window_ = nullptr;
    HWND list_ = nullptr, detail_ = nullptr, who_ = nullptr, status_ = nullptr;
    std::array<HWND, dashboard::kDeskActions.size()> buttons_{};
    std::vector<std::string> rowIds_;  // the incident shown in each row
    int language_ = 0;                 // the language the captions are in; 0 before the first
    bool filling_ = false;             // selection notices while the rows are rewritten
    bool refreshPending_ = false;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace win32_host
