#include "qt/UiQueueOnQt.h"

#include <QMetaObject>

namespace qt {

void DrainOnQtLoop(net::UiQueue& queue, QObject* context) {
    queue.SetWaker([&queue, context] {
        QMetaObject::invokeMethod(
            context, [&queue] { queue.Drain(); }, Qt::QueuedConnection);
    });
}

}  // namespace qt
