// Marked widgets follow their models once per paced moment.
#include "qt/DisplayPacer.h"

#include <QWidget>
#include <algorithm>

namespace qt {

DisplayPacer::DisplayPacer(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DisplayPacer"));
    timer_.setSingleShot(true);
    timer_.setInterval(kInterval_ms);
    connect(&timer_, &QTimer::timeout, this, &DisplayPacer::Flush);
}

DisplayPacer* DisplayPacer::Of(const QWidget* widget) {
    if (!widget) return nullptr;
    return widget->window()->findChild<DisplayPacer*>(QString(), Qt::FindDirectChildrenOnly);
}

void DisplayPacer::Follow(const void* key, const std::function<void()>& follow) {
    if (batches_ == 0) return follow();
    auto marked = std::find_if(pending_.begin(), pending_.end(),
                               [key](const auto& entry) { return entry.first == key; });
    if (marked != pending_.end()) return;
    pending_.emplace_back(key, follow);
    if (!timer_.isActive()) timer_.start();
}

void DisplayPacer::Flush() {
    timer_.stop();
    // Taken out first: a follow may reach its model and be marked again.
    auto due = std::exchange(pending_, {});
    for (auto& entry : due) entry.second();
}

}  // namespace qt
