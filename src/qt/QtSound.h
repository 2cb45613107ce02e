// The alarm sound with QSoundEffect: asynchronous, a new play replacing one still playing,
// the desktop's beep when the file is missing or cannot be played.
#pragma once

#include <QSoundEffect>
#include <functional>
#include <memory>

#include "platform/Ports.h"

namespace qt {

class QtSound final : public platform::Sound {
public:
    // The beep defaults to QApplication::beep(); tests count it instead.
    explicit QtSound(std::function<void()> beep = {});
    ~QtSound() override;

    void Play(const std::string& path) override;

private:
    std::function<void()> beep_;
    std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace qt
