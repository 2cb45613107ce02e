// A dashboard source of the test's own, for the incident screens' tests: it holds what the test
// puts in it and records the actions asked of it.
#pragma once

#include <vector>

#include "incident_ui/dashboard/DashboardSource.h"

namespace qttest {

// A dashboard source holding what the test puts in it, recording the actions asked of it.
class FakeSource final : public incident_ui::dashboard::Source {
public:
    incident_ui::dashboard::Snapshot Current() const override { return snapshot; }
    incident_ui::dashboard::ActionResult Act(
        const incident_ui::dashboard::Action& action) override {
        actions.push_back(action);
        return next;
    }
    incident_ui::dashboard::Snapshot snapshot;
    std::vector<incident_ui::dashboard::Action> actions;
    incident_ui::dashboard::ActionResult next;  // done
};

}  // namespace qttest
