// A measure of how soon an emergency shows, for the frame-to-alarm benchmark: the sender
// writes its clock (CLOCK_MONOTONIC, "t=NANOSECONDS") into each emergency's comment just
// before the frame goes on the socket, and the probe notes when a box of the main window's
// panel shows that comment. At the end each stamp and the time it showed go, one pair a
// line, to the file SIRENWATCH_LATENCY_PROBE names (the sender works out the rest).
#pragma once

#include <QObject>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace qt {

class LatencyProbe {
public:
    LatencyProbe(const QWidget& window, QString file);
    ~LatencyProbe();
    LatencyProbe(const LatencyProbe&) = delete;
    LatencyProbe& operator=(const LatencyProbe&) = delete;

    // Nothing unless the environment asks for it and there is a window.
    static std::unique_ptr<LatencyProbe> FromEnvironment(const QWidget* window);

private:
    void Shown(const QString& text);

    QObject connections_;  // the boxes are let go of with the probe
    QString file_;
    std::vector<std::pair<std::int64_t, std::int64_t>> shown_ns_;  // stamp, shown
};

}  // namespace qt
