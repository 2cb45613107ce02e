; Sirenwatch's Windows installer, compiled by makensis from the Windows build (target
; package_installer). The build defines VERSION, ARCH (x64 or x86), STAGE (the folder holding
; the files to install) and OUTFILE.
Unicode true
SetCompressor /SOLID lzma

; What the Start-menu entry and the start with Windows pass to Sirenwatch.exe: the built-in host
; with the feed in its settings (the first run writes the demo as the feed).
!define START_ARGUMENTS "--host"

!define PRODUCT "Sirenwatch"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
!if "${ARCH}" == "x64"
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES32\${PRODUCT}"
!endif

!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The installer speaks the system's language when it is one of these, as the program does.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Italian"

LangString StartWithWindows ${LANG_ENGLISH} "Start with Windows"
LangString StartWithWindows ${LANG_ITALIAN} "Avvia con Windows"
LangString Needs64Bit ${LANG_ENGLISH} "This is the 64-bit Sirenwatch: install the x86 one on this Windows."
LangString Needs64Bit ${LANG_ITALIAN} "Questo è Sirenwatch a 64 bit: su questo Windows installare quello x86."

; The files the program is made of, the same list for installing and for removing: nothing else
; in the folder is ours to delete.
!macro ProgramFiles action
  !insertmacro ${action} "Sirenwatch.exe"
  !insertmacro ${action} "lowtemp.wav"
  !insertmacro ${action} "demo.tnc2"
  !insertmacro ${action} "basemap.txt"
  !insertmacro ${action} "Sirenwatch.chm"
  !insertmacro ${action} "LEGGIMI.txt"
  !insertmacro ${action} "README.txt"
  !insertmacro ${action} "LICENSE"
  !insertmacro ${action} "LICENSE-GeographicLib.txt"
  !insertmacro ${action} "LICENSE-mosquitto.txt"
  !insertmacro ${action} "LICENSE-OpenSSL.txt"
!macroend
!macro InstallFile name
  File "${STAGE}\${name}"
!macroend
!macro RemoveFile name
  Delete "$INSTDIR\${name}"
!macroend

!macro UseProgramView
  SetShellVarContext all
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

Section "${PRODUCT}" SectionProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  File /r "${STAGE}\dashboard"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Sirenwatch.exe" "${START_ARGUMENTS}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (${ARCH})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sirenwatch.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Off unless chosen (or /AUTOSTART given to a silent install): the user who installs starts
; Sirenwatch at each logon.
Section /o "$(StartWithWindows)" SectionStartWithWindows
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\Sirenwatch.exe" ${START_ARGUMENTS}'
SectionEnd

Function .onInit
  !if "${ARCH}" == "x64"
    ${IfNot} ${RunningX64}
      MessageBox MB_OK|MB_ICONSTOP "$(Needs64Bit)" /SD IDOK
      Abort
    ${EndIf}
  !endif
  !insertmacro UseProgramView
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/AUTOSTART" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SectionStartWithWindows} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro UseProgramView
FunctionEnd

; Removes what the installer put there, and only that. Sirenwatch installed here keeps the
; user's settings and test mode's day logs in the user's AppData folders, which stay; the folder
; itself stays if anything else was put in it.
Section "Uninstall"
  !insertmacro ProgramFiles RemoveFile
  RMDir /r "$INSTDIR\dashboard"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
