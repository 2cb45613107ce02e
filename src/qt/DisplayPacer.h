// Lets a window follow models that change far more often than a screen repaints. While frames
// are being handled (inside a Batch), a widget does not redo its text layout on every change
// of its model: it is marked, and each marked widget follows its model's latest state once,
// at the screen's pace. Outside a batch (the user's actions, start-up) widgets follow at once.
// The models keep every value; only the drawing is coalesced.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace qt {

class DisplayPacer : public QObject {
    Q_OBJECT
public:
    // About one repaint of a 60 Hz screen.
    static constexpr int kInterval_ms = 16;

    explicit DisplayPacer(QObject* parent = nullptr);

    // The pacer of the window a widget belongs to, if that window has one.
    static DisplayPacer* Of(const QWidget* widget);

    // Frames are being handled for as long as one exists.
    class Batch {
    public:
        explicit Batch(DisplayPacer* pacer) : pacer_(pacer) {
            if (pacer_) ++pacer_->batches_;
        }
        ~Batch() {
            if (pacer_) --pacer_->batches_;
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        DisplayPacer* pacer_;
    };

    // Runs follow now outside a batch; inside one, once at the next paced moment, however
    // many times it is asked for the same key meanwhile.
    void Follow(const void* key, const std::function<void()>& follow);

    // Runs every marked follow now.
    void Flush();

private:
    int batches_ = 0;
    std::vector<std::pair<const void*, std::function<void()>>> pending_;
    QTimer timer_;
};

}  // namespace qt
