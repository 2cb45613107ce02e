// Frame intake and the emergency decision.
#include "monitor/FrameIntake.h"

#include <optional>
#include <vector>

#include "host/HostFailure.h"
#include "platform/NumberText.h"

namespace monitor {

namespace {
constexpr std::int16_t kToggleKey = 't';
constexpr const char* kNoValue = "-----";
}  // namespace

FrameIntake::FrameIntake(forms::FrmMain& form, const platform::ProgramValues& values,
                         host::Application& app, host::Station& station,
                         EmergencyRecorder& recorder, TestLog& log, platform::Ports& ports)
    : form_(form),
      values_(values),
      app_(app),
      station_(station),
      recorder_(recorder),
      log_(log),
      ports_(ports) {
    form_.TxtRawData.onClick = [this] { TxtRawData_Click(); };
    form_.TxtRawData.onKeyPress = [this](std::int16_t& key) { TxtRawData_KeyPress(key); };
}

void FrameIntake::mUIV_DataAvailable() {
    std::string frame;
    auto fetch = [&] { frame = app_.GetAprsData(); };
    if (!host::GuardHostCall(ports_.dialogs, values_.CodiceLingua, fetch)) return;
    MostraRawData(form_.TxtRawData, frame);
    if (inElaborazione_ != 0) return;
    inElaborazione_ = 1;
    if (auto call = host::TryHostCall(fetch); !call) {
        inElaborazione_ = 0;
        Report({call.error().text});
        return;
    }
    GestioneMessaggio(values_.TipoMessaggio, frame);
}

void FrameIntake::MostraRawData(ui::TextBox& box, const std::string& text) {
    box.SetText("");
    box.SetText(text);
}

void FrameIntake::GestioneMessaggio(const std::string& TipoMsg, const std::string& DatiAprs) {
    inElaborazione_ = 1;
    nominativoRx_.clear();
    std::vector<std::string> failures;
    // A failure while the frame is identified drops it; later ones come back in failures.
    if (auto call = host::TryHostCall([&] { failures = Handle(TipoMsg, DatiAprs); }); !call)
        failures.push_back(call.error().text);
    inElaborazione_ = 0;
    // Told only with the guard open again, so the next frame is handled however long the
    // report stays on screen.
    Report(failures);
}

std::vector<std::string> FrameIntake::Handle(const std::string& TipoMsg,
                                             const std::string& DatiAprs) {
    if (values_.ModoTest == 1) log_.WriteLine(DatiAprs);
    nominativoRx_ = aprs_.Nominativo(DatiAprs);
    station_.SetCallsign(nominativoRx_);
    bool found = false;
    app_.GetStation(station_, found);
    const std::string messageType = platform::UCase(station_.GetMessageType());
    if (TipoMsg != messageType) return {};

    // What the first boxes show is read before any of them changes. From here on a failing
    // read costs only its value, shown as missing: the emergency itself is never dropped.
    std::vector<std::string> failures;
    auto read = [&failures](auto get) {
        std::optional<decltype(get())> value;
        if (auto call = host::TryHostCall([&] { value = get(); }); !call)
            failures.push_back(call.error().text);
        return value;
    };
    const auto beaconText = read([this] { return station_.GetBeaconText(); });
    const auto distance = read([this] { return station_.GetDistance(); });
    const auto course = read([this] { return station_.GetCourse(); });
    const auto speed = read([this] { return station_.GetSpeed(); });

    const std::string beacon = beaconText ? aprs_.BeaconMessage(*beaconText, ">") : kNoValue;
    Reception reception;
    reception.callsign = nominativoRx_;
    // A host without the station's position has no distance either and says so as it says
    // a missing position.
    reception.distanceText =
        distance && *distance != host::kMissing
            ? platform::DistanceText(*distance, values_.FattoreUnita, ports_.regional)
            : kNoValue;
    reception.courseText = course ? std::to_string(*course) : kNoValue;
    reception.speedText = speed ? platform::SingleText(*speed, ports_.regional) : kNoValue;
    reception.when = ports_.clock.Now();
    FillPanel(messageType, reception, beacon);
    std::vector<std::string> later = recorder_.Record(reception);
    failures.insert(failures.end(), later.begin(), later.end());
    return failures;
}

void FrameIntake::Report(const std::vector<std::string>& failures) {
    if (failures.empty()) return;
    std::string what;
    for (const std::string& failure : failures) what += (what.empty() ? "" : "\n") + failure;
    host::ReportHostFailure(ports_.dialogs, values_.CodiceLingua, what);
}

void FrameIntake::FillPanel(const std::string& messageType, const Reception& reception,
                            const std::string& beacon) {
    const platform::Regional& regional = ports_.regional;
    form_.TxtNominativo.SetText(reception.callsign);
    form_.TxtMsg.SetText(messageType);
    form_.TxtBeaconMsg.SetText(beacon);
    form_.TxtOraRx.SetText(platform::TimeText(reception.when) + " " +
                           platform::ShortDateText(reception.when, regional));
    form_.TxtDistanza.SetText(reception.distanceText);
    form_.TxtDirezione.SetText(reception.courseText);
    form_.TxtVelocita.SetText(reception.speedText);
}

void FrameIntake::TxtRawData_Click() {
    abilitaTest_ = true;
}

void FrameIntake::TxtRawData_KeyPress(std::int16_t& KeyAscii) {
    if (!abilitaTest_ || KeyAscii != kToggleKey) return;
    abilitaTest_ = false;
    form_.CmdTest.SetVisible(!form_.CmdTest.Visible());
}

}  // namespace monitor
