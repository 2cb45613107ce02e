// A dashboard source of the test's own, for the server's and the incident screens' tests: it holds
// what the test puts in it and records the actions asked of it.
#pragma once

#include <vector>

#include "dashboard/DashboardSource.h"

namespace dashboard_test {

// A dashboard source holding what the test puts in it, recording the actions asked of it.
class FakeSource final : public dashboard::Source {
public:
    dashboard::Snapshot Current() const override { return snapshot; }
    dashboard::ActionResult Act(const dashboard::Action& action) override {
        actions.push_back(action);
        return next;
    }
    dashboard::Snapshot snapshot;
    std::vector<dashboard::Action> actions;
    dashboard::ActionResult next;  // done
};

}  // namespace dashboard_test
