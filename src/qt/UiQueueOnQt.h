// The Qt event loop drains the network loop's queue: each wake is one queued call.
#pragma once

#include <QObject>

#include "net/UiQueue.h"

namespace qt {

// `context` lives on the UI thread and outlives the queue's use; the queue outlives `context`'s
// queued calls (both end with the program's loop).
void DrainOnQtLoop(net::UiQueue& queue, QObject* context);

}  // namespace qt
