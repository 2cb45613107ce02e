// Fakes of the platform ports used by tests and benchmarks.
#include "fakes/FakePorts.h"

#include <atomic>
#include <chrono>
#include <filesystem>

#include "settings/ProfileFile.h"
#include "ui/Controls.h"

namespace fakes {

platform::Answer ScriptedDialogs::MsgBox(const std::string& text, platform::Buttons buttons,
                                         platform::Icon icon,
                                         const std::optional<std::string>& title) {
    boxes.push_back({text, buttons, icon, title});
    if (onMsgBox) onMsgBox(boxes.back());
    if (answers_.empty()) return platform::Answer::Ok;
    platform::Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedDialogs::ShowModal(ui::Form& form) {
    modalForms.push_back(form.Name());
    form.Show();
    if (onModal) onModal(form);
    if (form.Shown()) form.Hide();
}

void ScriptedDialogs::Notice(const std::string& text, platform::Icon icon) {
    notices.push_back({text, icon});
    if (onNotice) onNotice(notices.back());
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto stamp = std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    std::filesystem::path candidate;
    do {
        candidate = std::filesystem::temp_directory_path() /
                    ("sirenwatch-test-" + stamp + "-" + std::to_string(counter++));
    } while (!std::filesystem::create_directory(candidate));
    path_ = candidate.string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteHostSettings(const std::string& folder, const HostInstall& install) {
    std::filesystem::create_directories(folder);
    const std::string file = platform::JoinPath(folder, "Uiview32.INI");
    settings::WriteProfileString(file, "Station", "Callsign", install.callsign);
    settings::WriteProfileString(file, "Station", "Latitude", install.latitude);
    settings::WriteProfileString(file, "Station", "Longitude", install.longitude);
    settings::WriteProfileString(file, "SetUp", "PROGRAM_VERSION", install.version);
}

}  // namespace fakes
