// The registration dialog's logic: defaults, read-back of an existing file, and the four-line
// file the host reads (name, executable path, automatic start, automatic closing).
#include "program/Registration.h"

#include <fstream>
#include <system_error>

#include "platform/NumberText.h"
#include "platform/Paths.h"
#include "settings/AtomicFile.h"
#include "settings/StringTable.h"

namespace program {

namespace {

constexpr const char* kFileName = "Sirenwetch.xtr";

// Told when the file could not be written; kept apart from the program's string table.
struct NotWrittenText {
    const char* sentence;
    const char* reason;
};
constexpr NotWrittenText kNotWrittenItalian{"Il file XTR non e' stato scritto.", "Motivo:"};
constexpr NotWrittenText kNotWrittenEnglish{"The XTR file was not written.", "Reason:"};

bool EndsWithSeparator(const std::string& folder) {
    return !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
}

std::string TrueFalse(bool checked) {
    return checked ? "TRUE" : "FALSE";
}

// One line, without its line end (CR LF or LF); false past the end of the file.
bool ReadLine(std::ifstream& in, std::string& line) {
    std::string read;
    if (!std::getline(in, read)) return false;
    if (!read.empty() && read.back() == '\r') read.pop_back();
    line = std::move(read);
    return true;
}

}  // namespace

RegistrationDialog::RegistrationDialog(forms::FrmXTR& form, forms::FrmMain& main,
                                       platform::ProgramValues& values, platform::Ports& ports,
                                       settings::GestioneINI_New& ini,
                                       std::function<void()> reapplyCaptions)
    : form_(form),
      main_(main),
      values_(values),
      ports_(ports),
      ini_(ini),
      reapplyCaptions_(std::move(reapplyCaptions)) {
    main_.MnuXTR.onClick = [this] { MnuXTR_Click(); };
    form_.CmdOk[0].onClick = [this] { CmdOk_Click(0); };
    form_.CmdOk[1].onClick = [this] { CmdOk_Click(1); };
    // Closing from the title bar answers nothing: the dialog just goes away.
    form_.onClose = [this] {
        if (form_.Shown()) form_.Hide();
    };
}

void RegistrationDialog::MnuXTR_Click() {
    platform::ShowModalDialog(ports_.dialogs, ports_.layer, form_, [this] { Form_Load(); });
    if (reapplyCaptions_) reapplyCaptions_();
}

void RegistrationDialog::Form_Load() {
    form_.Reset();
    form_.SetIcon(main_.Icon());
    values_.CodiceLingua = settings::LanguageCode(
        ini_.LeggiValore(values_.FileIni, "SetUp", "Language"), ports_.regional);
    const int code = values_.CodiceLingua;
    form_.LblRichiesta.SetCaption(settings::LoadResString(code + 101));
    form_.LblNome.SetCaption(settings::LoadResString(code + 14));
    form_.LblPath.SetCaption(settings::LoadResString(code + 15));
    form_.CheckAvvio.SetCaption(settings::LoadResString(code + 16));
    form_.CheckChiusura.SetCaption(settings::LoadResString(code + 17));
    form_.LblPathProgramma.SetCaption(ProgramPathText(ports_.program));
    LeggiFileXTR();
}

// A line that is missing leaves the text read before it in place, so a short file shows the
// previous line's text (or nothing) in the label of the missing line.
void RegistrationDialog::LeggiFileXTR() {
    std::ifstream in(platform::FilePath(FileXTR()), std::ios::binary);
    if (!in) return;  // no file yet (or none we may read): the defaults stay
    // The host reads the file in the system's ANSI code page, so it is written in it.
    std::string text;
    ReadLine(in, text);
    form_.LblNomeProgramma.SetCaption(ports_.regional.FromAnsi(text));
    ReadLine(in, text);
    form_.LblPathProgramma.SetCaption(ports_.regional.FromAnsi(text));
    std::string autoStart;
    ReadLine(in, autoStart);
    in.close();
    autoStart = platform::UCase(autoStart);
    if (autoStart == "FALSE")
        form_.CheckAvvio.SetChecked(false);
    else if (autoStart == "TRUE")
        form_.CheckAvvio.SetChecked(true);
}

void RegistrationDialog::CmdOk_Click(int Index) {
    if (Index != 0 && Index != 1) return;
    const std::string autoStart = TrueFalse(form_.CheckAvvio.Checked());
    const std::string autoClose = TrueFalse(form_.CheckChiusura.Checked());
    ini_.ScriviValore(values_.FileIni, "SetUp", "FirstTime", 0.0);
    if (Index == 0) WriteFileXTR(autoStart, autoClose);
    ini_.ScriviValore(values_.FileIni, "SetUp", "Language",
                      static_cast<double>(values_.CodiceLingua / 1000));
    form_.Hide();
}

void RegistrationDialog::WriteFileXTR(const std::string& autoStart, const std::string& autoClose) {
    const std::string content = ports_.regional.ToAnsi(form_.LblNomeProgramma.Caption() + "\r\n" +
                                                       form_.LblPathProgramma.Caption() + "\r\n" +
                                                       autoStart + "\r\n" + autoClose + "\r\n");
    std::error_code error;
    if (settings::ReplaceFileContent(FileXTR(), content, error)) return;
    const NotWrittenText& text =
        values_.CodiceLingua == settings::kEnglish ? kNotWrittenEnglish : kNotWrittenItalian;
    ports_.dialogs.MsgBox(
        std::string(text.sentence) + "\n" + FileXTR() + "\n" + text.reason + " " + error.message(),
        platform::Buttons::Ok, platform::Icon::Exclamation);
}

// The host's folder is stored with its final separator; one is added when it lacks it, so the
// file never lands beside the folder under a joined name.
std::string RegistrationDialog::FileXTR() const {
    const std::string& folder = values_.CartellaUIView;
    if (folder.empty() || EndsWithSeparator(folder)) return folder + kFileName;
    return platform::JoinPath(folder, kFileName);
}

std::string RegistrationDialog::ProgramPathText(const platform::ProgramInfo& program) {
#ifdef _WIN32
    std::string path = program.Folder() + "\\" + program.ExeName() + ".exe";
#else
    std::string path = program.ExePath();
#endif
    if (path.find(' ') != std::string::npos) path = '"' + path + '"';
    return path;
}

}  // namespace program
