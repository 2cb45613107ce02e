// The dialog that writes the host's registration file "Sirenwetch.xtr", through which the
// host lists the add-on and starts and closes it together with itself.
#pragma once

#include <functional>
#include <string>

#include "forms/FrmMain.h"
#include "forms/FrmXTR.h"
#include "platform/Ports.h"
#include "platform/ProgramValues.h"
#include "settings/GestioneINI_New.h"

namespace program {

class RegistrationDialog {
public:
    // `reapplyCaptions` re-applies the main window's captions in the current language.
    RegistrationDialog(forms::FrmXTR& form, forms::FrmMain& main, platform::ProgramValues& values,
                       platform::Ports& ports, settings::GestioneINI_New& ini,
                       std::function<void()> reapplyCaptions);

    // Menu "File XTR": the dialog, modal, with the main window out of the topmost layer.
    void MnuXTR_Click();
    // Prepares the dialog: language, captions, defaults, then an existing file's content.
    void Form_Load();
    // Reads lines 1 to 3 of an existing registration file into the dialog.
    void LeggiFileXTR();
    // 0 "OK" writes the file, 1 "NO" does not; both record the answer and close the dialog.
    void CmdOk_Click(int Index);

    // Where the registration file lives: the host's install folder + "Sirenwetch.xtr".
    std::string FileXTR() const;
    // The executable's path as line 2 shows it, in double quotes when it holds a blank.
    static std::string ProgramPathText(const platform::ProgramInfo& program);

private:
    void WriteFileXTR(const std::string& autoStart, const std::string& autoClose);

    forms::FrmXTR& form_;
    forms::FrmMain& main_;
    platform::ProgramValues& values_;
    platform::Ports& ports_;
    settings::GestioneINI_New& ini_;
    std::function<void()> reapplyCaptions_;
};

}  // namespace program
