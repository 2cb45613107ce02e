// A measure of the event loop's responsiveness, for benchmarks: a timer that should fire every
// few milliseconds records how late it comes, and the worst lateness is told on standard error
// when the probe goes (at the program's end), over the whole run and after the first second
// (when the windows have been drawn for the first time). Started only when
// SIRENWATCH_LOOP_PROBE is set.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <memory>

namespace qt {

class LoopProbe {
public:
    static constexpr int kPeriod_ms = 10;
    static constexpr int kStartUp_ms = 1000;

    LoopProbe();
    ~LoopProbe();
    LoopProbe(const LoopProbe&) = delete;
    LoopProbe& operator=(const LoopProbe&) = delete;

    // Nothing unless the environment asks for it.
    static std::unique_ptr<LoopProbe> FromEnvironment();

private:
    void Tick();

    QTimer timer_;
    QElapsedTimer sinceLast_;
    QElapsedTimer running_;
    qint64 worst_ms_ = 0;
    qint64 worstAt_ms_ = 0;
    qint64 worstAfterStartUp_ms_ = 0;
};

}  // namespace qt
