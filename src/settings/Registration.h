// The dialog that writes the host's registration file "Sirenwetch.xtr", through which the
// host lists the add-on and starts and closes it together with itself.
#pragma once

#include <functional>
#include <string>

#include "host/ProgramValues.h"
#include "monitor/FrmMain.h"
#include "platform/Ports.h"
#include "settings/FrmXTR.h"
#include "settings/GestioneINI_New.h"

namespace settings {

class RegistrationDialog {
public:
    // `reapplyCaptions` re-applies the main window's captions in the current language.
    RegistrationDialog(FrmXTR& form, monitor::FrmMain& main, host::ProgramValues& values,
                       platform::Ports& ports, GestioneINI_New& ini,
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

    FrmXTR& form_;
    monitor::FrmMain& main_;
    host::ProgramValues& values_;
    platform::Ports& ports_;
    GestioneINI_New& ini_;
    std::function<void()> reapplyCaptions_;
};

}  // namespace settings
