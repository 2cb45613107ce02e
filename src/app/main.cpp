// sirenwatch: the add-on with its built-in host. The command line is read before Qt starts,
// so --help, --version and mistakes need no display, and headless mode can pick Qt's
// offscreen platform.
// What this file writes to standard error (a mistake on the command line, --check's and
// --export's answers) is the command's own answer, not a log line: it goes there directly,
// beside its standard output, and not through platform::Log.
#include <QApplication>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/SettingsCheck.h"
#include "platform/Log.h"
#include "qt/QtPorts.h"
#include "watch/ExportCommand.h"

namespace {

// Qt's own messages go to the log with their level. Qt falls back to a private folder of its
// own when the session set no runtime folder (XDG_RUNTIME_DIR), as under cron or su, and says so
// at every start: the fallback serves us well, so that warning is left out.
void QtMessagesToTheLog(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtWarningMsg && message.startsWith("QStandardPaths: XDG_RUNTIME_DIR not set"))
        return;
    const platform::Level level = type == QtFatalMsg      ? platform::Level::Critical
                                  : type == QtCriticalMsg ? platform::Level::Error
                                  : type == QtWarningMsg  ? platform::Level::Warning
                                                          : platform::Level::Info;
    platform::Log(level, message.toStdString());
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(QtMessagesToTheLog);
    const auto parsed = app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed) {
        std::cerr << "sirenwatch: " << parsed.error().text << "\nTry 'sirenwatch --help'.\n";
        return 2;
    }
    if (parsed->help) {
        std::cout << app::UsageText("sirenwatch");
        return 0;
    }
    if (parsed->version) {
        std::cout << "sirenwatch " << app::VersionText() << '\n';
        return 0;
    }
    if (parsed->check) {
        QCoreApplication application(argc, argv);
        const qt::QtRegional regional;
        return app::CheckSettings(*parsed, {.layout = qt::CurrentLayout(), .regional = regional},
                                  std::cout, std::cerr);
    }
    if (parsed->exportFile) {
        QCoreApplication application(argc, argv);
        return watch::ExportIncidentLog(qt::CurrentLayout().data, *parsed->exportFile,
                                        parsed->since, std::cout, std::cerr);
    }
    const bool headless = parsed->headless || app::NoDisplay();
    if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return app::RunProgram(*parsed, headless);
}
