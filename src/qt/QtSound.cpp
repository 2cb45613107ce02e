// Plays the alarm sound with QSoundEffect, falling back to the desktop's beep.
#include "qt/QtSound.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

namespace qt {

QtSound::QtSound(std::function<void()> beep) : beep_(std::move(beep)) {
    if (!beep_) beep_ = [] { QApplication::beep(); };
}

QtSound::~QtSound() = default;

void QtSound::Play(const std::string& path) {
    QString file = QString::fromStdString(path);
    if (!QFileInfo(file).isFile()) return beep_();
    if (!effect_) {
        // Made on first use: without a sound server QSoundEffect complains once, here.
        effect_ = std::make_unique<QSoundEffect>();
        QObject::connect(effect_.get(), &QSoundEffect::statusChanged, effect_.get(), [this] {
            if (effect_->status() == QSoundEffect::Error) beep_();
        });
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    if (effect_->source() != url) {
        effect_->setSource(url);
    } else if (effect_->status() == QSoundEffect::Error) {
        return beep_();
    }
    // A sound still playing is cut off and started again.
    effect_->stop();
    effect_->play();
}

}  // namespace qt
