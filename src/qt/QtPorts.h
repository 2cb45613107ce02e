// The small platform ports with Qt: window layer, single instance, clock, regional formats,
// program identity, help and quitting.
#pragma once

#include <QLocale>
#include <QLockFile>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "platform/Paths.h"
#include "platform/Ports.h"
#include "qt/LocalTime.h"

namespace qt {

// Topmost on and off for one window; a state asked for before the window exists is applied
// when it is set.
class QtWindowLayer final : public platform::WindowLayer {
public:
    void SetWindow(QWidget* window);
    void SetTopmost(bool topmost) override;

private:
    void Apply();

    QPointer<QWidget> window_;
    std::optional<bool> topmost_;
};

// A lock file beside the data it protects, held from the first check to the program's end.
// Two runs that would write the same settings and incident log find each other whatever
// their runtime folders (XDG_RUNTIME_DIR may differ between a terminal and a service).
class QtSingleInstance final : public platform::SingleInstance {
public:
    // Empty folder: the program's data folder (see CurrentLayout), made when missing.
    explicit QtSingleInstance(QString folder = {}, QString name = "sirenwatch.lock");
    bool AnotherInstanceRunning() override;

private:
    QString folder_, name_;
    std::unique_ptr<QLockFile> lock_;
};

// The local wall clock; the zone's offset is looked up once a minute.
class QtClock final : public platform::Clock {
public:
    platform::DateTime Now() const override { return local_.Now(); }

private:
    mutable LocalTimeCache local_;
};

// Qt's date pattern in the tokens the core formats with (d, dd, M, MM, yy, yyyy); day and
// month names become numbers or are dropped, quoted text is kept without its quotes.
std::string ToShortDatePattern(const QString& qtPattern);

// The locale's formats, read once: the program asks for them on every frame it shows.
class QtRegional final : public platform::Regional {
public:
    explicit QtRegional(const QLocale& locale = QLocale::system());
    std::string decimalSymbol() const override { return decimalSymbol_; }
    std::string shortDateFormat() const override { return shortDateFormat_; }

private:
    std::string decimalSymbol_;
    std::string shortDateFormat_;
};

// Where this run keeps its files: the layout rule applied to the running executable and the
// environment. A QCoreApplication must exist.
platform::FileLayout CurrentLayout();

class QtProgramInfo final : public platform::ProgramInfo {
public:
    std::string Folder() const override;
    std::string SettingsFolder() const override { return CurrentLayout().settings; }
    std::string SharedFolder() const override { return CurrentLayout().shared; }
    std::string TestLogFolder() const override { return CurrentLayout().testLog; }
    std::string ExeName() const override;
    std::string ExePath() const override;
    platform::VersionNumbers Version() const override;
};

// Opens the CHM help with the desktop's handler; where there is none, our HTML help
// ("help/index.html" beside the executable) in the browser; where neither opens, says so in
// a notice through `dialogs` (when given) and on standard error.
class QtHelp final : public platform::Help {
public:
    using UrlOpener = std::function<bool(const QUrl&)>;
    using HandlerCheck = std::function<bool()>;
    // Defaults: QDesktopServices::openUrl, and xdg-mime's answer for CHM files.
    explicit QtHelp(QString htmlIndex = {}, UrlOpener open = {}, HandlerCheck chmHandler = {},
                    platform::Dialogs* dialogs = nullptr);
    void Open(const std::string& helpFile) override;

private:
    QString htmlIndex_;
    UrlOpener open_;
    HandlerCheck chmHandler_;
    platform::Dialogs* dialogs_;
};

// Ends the event loop once the current handler has returned to it.
class QtApplication final : public platform::Application {
public:
    void Quit() override;
};

}  // namespace qt
