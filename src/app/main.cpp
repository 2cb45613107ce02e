// sirenwatch: the add-on with its built-in host. The command line is read before Qt starts,
// so --help, --version and mistakes need no display, and headless mode can pick Qt's
// offscreen platform.
#include <QApplication>
#include <iostream>

#include "app/CommandLine.h"
#include "app/Program.h"

int main(int argc, char** argv) {
    const auto parsed = app::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.ok()) {
        std::cerr << "sirenwatch: " << parsed.error << "\nTry 'sirenwatch --help'.\n";
        return 2;
    }
    if (parsed.options.help) {
        std::cout << app::UsageText("sirenwatch");
        return 0;
    }
    if (parsed.options.version) {
        std::cout << "sirenwatch " << app::VersionText() << '\n';
        return 0;
    }
    const bool headless = parsed.options.headless || app::NoDisplay();
    if (headless) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return app::RunProgram(parsed.options, headless);
}
