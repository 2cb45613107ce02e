// The event loop's worst lateness, measured by a timer.
#include "qt/LoopProbe.h"

#include "platform/Log.h"

namespace qt {

LoopProbe::LoopProbe() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { Tick(); });
    timer_.start(kPeriod_ms);
    sinceLast_.start();
    running_.start();
}

LoopProbe::~LoopProbe() {
    platform::LogLine(platform::Level::Info)
        << "event loop: worst lateness " << worst_ms_ << " ms at " << worstAt_ms_ / 1000.0 << " s, "
        << worstAfterStartUp_ms_ << " ms after the first second, over "
        << running_.elapsed() / 1000.0 << " s";
}

std::unique_ptr<LoopProbe> LoopProbe::FromEnvironment() {
    if (qEnvironmentVariableIsEmpty("SIRENWATCH_LOOP_PROBE")) return nullptr;
    return std::make_unique<LoopProbe>();
}

void LoopProbe::Tick() {
    const qint64 late_ms = sinceLast_.restart() - kPeriod_ms;
    const qint64 now_ms = running_.elapsed();
    if (late_ms > worst_ms_) {
        worst_ms_ = late_ms;
        worstAt_ms_ = now_ms;
    }
    if (now_ms > kStartUp_ms && late_ms > worstAfterStartUp_ms_) worstAfterStartUp_ms_ = late_ms;
}

}  // namespace qt
