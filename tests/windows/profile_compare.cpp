// profile_compare.exe FOLDER: runs the same reads and writes through Windows' profile-string
// calls and through our profile layer, each on its own copy of a settings file, and prints
// every difference in what was read or in the files written. Exits 1 when there is one.
#include <windows.h>
// windows.h names one of Windows' own calls WriteProfileString, as a macro; ours is meant here.
#undef WriteProfileString

#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "fakes/FileText.h"
#include "settings/ProfileFile.h"

namespace {

struct Step {
    const char* section;
    const char* key;
    const char* value = nullptr;  // a write of this value; a read without one
};

// A settings file as a user may have edited it by hand, and the host's settings file.
const char kEdited[] =
    "[SetUp]\r\nVersion=1.10\r\nLeft = 1200 \r\nName=\"quoted value\"\r\nSingle='x'\r\n"
    "Empty=\r\nlanguage=2\r\n\r\n[Other]\r\nKey=v\r\n";
const char kHost[] =
    "[Station]\r\nCallsign=N0CALL\r\nLatitude=4530.25N\r\nLongitude=00912.34E\r\n"
    "[SetUp]\r\nPROGRAM_VERSION=1.86\r\n";

// What the program reads and writes: the first run's defaults, a new version, the shut-down's
// saves under both spellings of the section; and reads in every form a hand-edited file has.
const std::vector<Step> kSettingsSteps = {
    {"SetUp", "Version"},
    {"setup", "VERSION"},
    {"Setup", "Left"},
    {"SetUp", "Name"},
    {"SetUp", "Single"},
    {"SetUp", "Empty"},
    {"SetUp", "Language"},
    {"SetUp", "Missing"},
    {"Missing", "Key"},
    {"OTHER", "key"},
    {"SetUp", "Version", "1.11"},
    {"SetUp", "CircleColor", "255"},
    {"SetUp", "CircleWidth", "5"},
    {"SetUp", "FillType", "7"},
    {"SetUp", "FillColor", "16777215"},
    {"SetUp", "Unit", "1"},
    {"Setup", "CircleColor", "65280"},
    {"Setup", "FillType", "4.5"},
    {"SetUp", "Top", "800"},
    {"SetUp", "Language", "1"},
    {"SETUP", "CircleColor"},
    {"SetUp", "FillType"},
    {"setup", "top"},
    {"SetUp", "Language"},
    {"Other", "Key"},
};

const std::vector<Step> kHostSteps = {{"Station", "Callsign"},
                                      {"station", "LATITUDE"},
                                      {"Station", "Longitude"},
                                      {"SetUp", "PROGRAM_VERSION"},
                                      {"Setup", "program_version"}};

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The file's sections, keys and values in order, without its layout: blank lines go, and
// blanks around names and values. Wine writes every line of a file anew in this form, while
// Windows and our layer leave the lines they do not change as they stood.
std::string Content(const std::string& text) {
    std::istringstream in(text);
    std::string content;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        line = Trim(line);
        if (line.empty()) continue;
        const auto equals = line.find('=');
        if (line[0] != '[' && equals != std::string::npos)
            line = Trim(line.substr(0, equals)) + "=" + Trim(line.substr(equals + 1));
        content += line + "\n";
    }
    return content;
}

// One run of the steps on a file that starts as `start` (nothing: no file at all). The files
// written must be the same byte for byte, or only in content where a hand-edited layout
// was there to keep.
int Compare(const std::string& folder, const char* name, const char* start,
            const std::vector<Step>& steps, bool sameBytes) {
    const std::string windowsFile = folder + "\\windows-" + name + ".ini";
    const std::string ourFile = folder + "\\ours-" + name + ".ini";
    for (const auto& file : {windowsFile, ourFile}) {
        std::filesystem::remove(file);
        if (start) fakes::WriteAll(file, start);
    }
    int differences = 0;
    for (const Step& step : steps) {
        if (step.value) {
            WritePrivateProfileStringA(step.section, step.key, step.value, windowsFile.c_str());
            settings::WriteProfileString(ourFile, step.section, step.key, step.value);
            continue;
        }
        char theirs[256] = {};
        GetPrivateProfileStringA(step.section, step.key, "", theirs, sizeof theirs,
                                 windowsFile.c_str());
        const std::string ours = settings::ReadProfileString(ourFile, step.section, step.key);
        if (theirs == ours) continue;
        ++differences;
        std::cout << name << ": [" << step.section << "] " << step.key << ": Windows '" << theirs
                  << "', ours '" << ours << "'\n";
    }
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, windowsFile.c_str());  // flush
    const std::string theirs = fakes::ReadAll(windowsFile);
    const std::string ours = fakes::ReadAll(ourFile);
    if (sameBytes ? theirs != ours : Content(theirs) != Content(ours)) {
        ++differences;
        std::cout << name << ": the files differ\n--- Windows\n"
                  << theirs << "--- ours\n"
                  << ours << "---\n";
    }
    return differences;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: profile_compare.exe FOLDER\n";
        return 2;
    }
    const int differences = Compare(argv[1], "edited", kEdited, kSettingsSteps, false) +
                            Compare(argv[1], "first-run", nullptr, kSettingsSteps, true) +
                            Compare(argv[1], "host", kHost, kHostSteps, true);
    std::cout << (differences ? "profile files: DIFFERENT\n" : "profile files: same\n");
    return differences ? 1 : 0;
}
