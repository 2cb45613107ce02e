// Emergencies' time from the socket to the panel.
#include "qt/LatencyProbe.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <chrono>
#include <fstream>

#include "platform/Log.h"

namespace qt {

LatencyProbe::LatencyProbe(const QWidget& window, QString file) : file_(std::move(file)) {
    for (QLineEdit* box : window.findChildren<QLineEdit*>())
        QObject::connect(box, &QLineEdit::textChanged, &connections_,
                         [this](const QString& text) { Shown(text); });
}

std::unique_ptr<LatencyProbe> LatencyProbe::FromEnvironment(const QWidget* window) {
    if (window == nullptr || qEnvironmentVariableIsEmpty("SIRENWATCH_LATENCY_PROBE"))
        return nullptr;
    return std::make_unique<LatencyProbe>(*window,
                                          qEnvironmentVariable("SIRENWATCH_LATENCY_PROBE"));
}

void LatencyProbe::Shown(const QString& text) {
    static const QRegularExpression stamp("t=(\\d+)");
    const auto match = stamp.match(text);
    if (!match.hasMatch()) return;
    const std::int64_t sent_ns = match.captured(1).toLongLong();
    if (!shown_ns_.empty() && shown_ns_.back().first == sent_ns) return;  // shown again
    const std::int64_t now_ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
    shown_ns_.emplace_back(sent_ns, now_ns);
}

LatencyProbe::~LatencyProbe() {
    std::ofstream out(file_.toStdString());
    for (const auto& [sent, shown] : shown_ns_) out << sent << ' ' << shown << '\n';
    if (!out) platform::Log(platform::Level::Warning, "the latency probe could not write its file");
}

}  // namespace qt
