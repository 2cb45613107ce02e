// Start-up in its fixed order (identity, settings version, host checks, home station, units,
// circle style, language, window place, captions, host connection, test mode) and shut-down.
#include "program/Lifecycle.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <exception>
#include <utility>

#include "geo/Coordinates.h"
#include "host/HostFailure.h"
#include "host/HostPorts.h"
#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "settings/StringTable.h"

namespace program {

namespace {

constexpr const char* kCR = "\r";

// First-run defaults of the circle style and the unit.
constexpr double kDefaultCircleColor = 255;
constexpr double kDefaultCircleWidth = 5;
constexpr double kDefaultFillType = 7;
constexpr double kDefaultFillColor = 16777215;
constexpr double kDefaultUnit = 1;

std::string TestLogUnavailableText(int codiceLingua, const std::string& path) {
    if (codiceLingua == settings::kItalian)
        return "Impossibile aprire il file di log " + path +
               ". Il programma prosegue senza registrare i pacchetti.";
    return "The test log " + path + " cannot be opened. The program goes on without logging.";
}

}  // namespace

Lifecycle::Lifecycle(forms::FrmMain& main, platform::ProgramValues& values, platform::Ports& ports,
                     settings::GestioneINI_New& ini, program::Captions& captions,
                     monitor::Units& units, monitor::TestLog& log, HostSteps steps)
    : main_(main),
      values_(values),
      ports_(ports),
      ini_(ini),
      captions_(captions),
      units_(units),
      log_(log),
      steps_(std::move(steps)) {}

std::string Lifecycle::TestLogName(const platform::DateTime& day) {
    char name[32];
    std::snprintf(name, sizeof name, "%02d_%02d_%04d.log", day.day, day.month, day.year);
    return name;
}

bool Lifecycle::Form_Load() {
    if (state_ != State::NotStarted) return Running();
    SetIdentity();
    ports_.layer.SetTopmost(true);
    values_.FileIni = platform::JoinPath(ports_.program.SettingsFolder(), "Sirenwatch.ini");
    StampVersion();
    if (!CheckHostInstalled()) return false;
    ReadHomeStation();
    ReadUnits();
    ReadCircleStyle();
    ReadLanguage();
    if (!CheckHostVersion() || !CheckSingleInstance() || !ConvertHomeCoordinates()) return false;
    PlaceWindow();
    ReadMessageType();
    captions_.GestioneLingua(values_.CodiceLingua);
    main_.TxtRawData.SetText("");
    if (!ConnectHost()) return false;
    const std::string unopenedLog = StartTestMode();
    if (steps_.setUpTable) steps_.setUpTable();
    state_ = State::Running;
    // Told only now: a message box lets the host's frames through, and a frame handled before
    // the table is set up would be wiped by it.
    if (!unopenedLog.empty())
        ports_.dialogs.MsgBox(TestLogUnavailableText(values_.CodiceLingua, unopenedLog),
                              platform::Buttons::Ok, platform::Icon::Exclamation);
    return true;
}

void Lifecycle::Form_Unload() {
    if (state_ == State::NotStarted) {
        // Closed before it ever started: nothing of this run is worth saving.
        state_ = State::Ended;
        ports_.app.Quit();
        return;
    }
    if (state_ != State::Running) return;
    state_ = State::Ended;
    // "Setup" and "SetUp" name the same section: section names match whatever their case.
    const std::string& file = values_.FileIni;
    ini_.ScriviValore(file, "Setup", "CircleColor", static_cast<double>(values_.ColoreCerchio));
    ini_.ScriviValore(file, "Setup", "CircleWidth", values_.SpessoreCerchio);
    ini_.ScriviValore(file, "Setup", "FillType", values_.TipoRiempimento);
    ini_.ScriviValore(file, "Setup", "FillColor", values_.ColoreRiempimento);
    if (values_.ModoTest == 1) log_.Close();
    // A minimised window's place says nothing about where the user wants it.
    if (main_.State() != ui::WindowState::Minimized) {
        ini_.ScriviValore(file, kSection, "Left", static_cast<double>(main_.Left()));
        ini_.ScriviValore(file, kSection, "Top", static_cast<double>(main_.Top()));
    }
    ports_.app.Quit();
}

void Lifecycle::mUIV_UIView32IsClosing() {
    Form_Unload();
}

std::string Lifecycle::Read(const std::string& key) {
    return ini_.LeggiValore(values_.FileIni, kSection, key);
}

std::string Lifecycle::ReadHost(const std::string& section, const std::string& key) {
    // The stored folder ends with its separator, so the name is appended as it stands.
    return ini_.LeggiValore(values_.CartellaUIView + host::kSettingsFileName, section, key);
}

std::optional<double> Lifecycle::ReadNumber(const std::string& key) {
    return platform::StoredNumber(Read(key), ports_.regional);
}

bool Lifecycle::Fail(const std::string& text, platform::Icon icon,
                     const std::optional<std::string>& title) {
    ports_.dialogs.MsgBox(text, platform::Buttons::Ok, icon, title);
    state_ = State::Ended;
    ports_.app.Quit();
    return false;
}

std::string Lifecycle::T(int offset) const {
    return settings::LoadResString(values_.CodiceLingua + offset);
}

void Lifecycle::SetIdentity() {
    values_.VersioneMinima = host::kLowestVersion;
    values_.HelpFile = platform::JoinPath(ports_.program.SharedFolder(), "Sirenwatch.chm");
    values_.VersioneProgramma = settings::GestioneINI_New::Version(ports_.program.Version());
    main_.SetCaption(main_.Caption() + "  Ver. " + values_.VersioneProgramma);
}

void Lifecycle::StampVersion() {
    const std::string stored = Read("Version");
    const std::string& file = values_.FileIni;
    if (stored != values_.VersioneProgramma)
        ini_.ScriviValore(file, kSection, "Version", values_.VersioneProgramma);
    if (!stored.empty()) return;
    ini_.ScriviValore(file, kSection, "CircleColor", kDefaultCircleColor);
    ini_.ScriviValore(file, kSection, "CircleWidth", kDefaultCircleWidth);
    ini_.ScriviValore(file, kSection, "FillType", kDefaultFillType);
    ini_.ScriviValore(file, kSection, "FillColor", kDefaultFillColor);
    ini_.ScriviValore(file, kSection, "Version", values_.VersioneProgramma);
    ini_.ScriviValore(file, kSection, "Unit", kDefaultUnit);
}

bool Lifecycle::CheckHostInstalled() {
    values_.CartellaUIView =
        ports_.userStore.Get(host::kStoreApplication, host::kStoreSection, host::kStoreKey);
    if (!values_.CartellaUIView.empty()) return true;
    // The language is not known yet: both are shown.
    return Fail(std::string("ATTENZIONE !!") + kCR + settings::LoadResString(1100) + kCR + kCR +
                    "ATTENTION !!" + kCR + settings::LoadResString(2100),
                platform::Icon::Critical);
}

void Lifecycle::ReadHomeStation() {
    values_.NominativoStazione = ReadHost("Station", "Callsign");
    values_.LongitudineStazioneText = ReadHost("Station", "Longitude");
    values_.LatitudineStazioneText = ReadHost("Station", "Latitude");
}

void Lifecycle::ReadUnits() {
    const double unit = ReadNumber("Unit").value_or(kDefaultUnit);
    units_.SetUp(platform::ToInt16(unit));
}

void Lifecycle::ReadCircleStyle() {
    values_.SpessoreCerchio = static_cast<float>(kDefaultCircleWidth);
    values_.ColoreCerchio = static_cast<std::int32_t>(kDefaultCircleColor);
    values_.TipoRiempimento = static_cast<float>(kDefaultFillType);
    values_.ColoreRiempimento = kDefaultFillColor;
    // A key that is missing or holds no number keeps its first-run default.
    if (auto v = ReadNumber("CircleWidth")) values_.SpessoreCerchio = static_cast<float>(*v);
    if (auto v = ReadNumber("CircleColor")) values_.ColoreCerchio = platform::ToInt32(*v);
    if (auto v = ReadNumber("FillType")) values_.TipoRiempimento = static_cast<float>(*v);
    if (auto v = ReadNumber("FillColor")) values_.ColoreRiempimento = *v;
}

void Lifecycle::ReadLanguage() {
    // Anything but English is Italian, so a missing or odd value still leaves one language
    // checked and every text id valid.
    values_.CodiceLingua = settings::LanguageCode(Read("Language"), ports_.regional);
    const bool english = values_.CodiceLingua == settings::kEnglish;
    main_.MnuNazione[0].SetChecked(!english);
    main_.MnuNazione[1].SetChecked(english);
}

bool Lifecycle::CheckHostVersion() {
    const std::optional<double> own = steps_.hostVersion ? steps_.hostVersion() : std::nullopt;
    const double version = own ? *own : platform::Val(ReadHost("SetUp", "PROGRAM_VERSION"));
    if (version >= values_.VersioneMinima) return true;
    return Fail(T(104) + kCR + T(127), platform::Icon::Critical);
}

bool Lifecycle::CheckSingleInstance() {
    if (!ports_.instance.AnotherInstanceRunning()) return true;
    return Fail(main_.Caption() + " " + T(126), platform::Icon::Exclamation);
}

bool Lifecycle::ConvertHomeCoordinates() {
    auto missing = [this] {
        return Fail(T(104) + kCR + T(102) + kCR + T(103), platform::Icon::Critical,
                    main_.Caption());
    };
    if (values_.LongitudineStazioneText.empty() || values_.LatitudineStazioneText.empty())
        return missing();
    values_.LongitudineStazione = geo::ConvertiCoordinate(values_.LongitudineStazioneText);
    values_.LatitudineStazione = geo::ConvertiCoordinate(values_.LatitudineStazioneText);
    // A home off the globe would fail every bearing later on: refuse it now, as a missing one.
    if (!(std::fabs(values_.LatitudineStazione) <= 90) ||
        !(std::fabs(values_.LongitudineStazione) <= 180))
        return missing();
    return true;
}

void Lifecycle::PlaceWindow() {
    // Without a stored number the window keeps its designed place.
    if (auto left = ReadNumber("Left")) main_.SetLeft(platform::ToInt32(*left));
    if (auto top = ReadNumber("Top")) main_.SetTop(platform::ToInt32(*top));
}

void Lifecycle::ReadMessageType() {
    values_.TipoMessaggio = platform::UCase(Read("MessageType"));
    if (values_.TipoMessaggio.empty()) values_.TipoMessaggio = "EMERGENCY";
}

bool Lifecycle::ConnectHost() {
    if (!steps_.connectHost) return true;
    try {
        steps_.connectHost();
        return true;
    } catch (const host::HostUnavailable& e) {
        return Fail(host::HostUnavailableText(values_.CodiceLingua, e.what()),
                    platform::Icon::Critical);
    } catch (const std::exception& e) {
        // Without the host there is nothing to watch.
        return Fail(host::HostFailureText(values_.CodiceLingua, e.what()),
                    platform::Icon::Critical);
    }
}

std::string Lifecycle::StartTestMode() {
    values_.ModoTest = platform::ToInt16(platform::Val(Read("Test")));
    if (values_.ModoTest != 1) return {};
    const std::string path =
        platform::JoinPath(ports_.program.TestLogFolder(), TestLogName(ports_.clock.Now()));
    return log_.Open(path) ? std::string() : path;
}

}  // namespace program
