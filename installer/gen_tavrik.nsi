; The installer a streamer runs: finds Winamp's folder, puts gen_tavrik.dll
; into its Plugins folder, creates the rule file and a sample template only
; where there are none, and registers an uninstaller.
;
; makensis -DTARGET=x86-unicode -DVERSION=1.0.0 -DDLL=... -DSAMPLE_TEMPLATE=... -DOUTFILE=... gen_tavrik.nsi
;
; Silent mode (setup.exe /S [/D=folder]) ends with a non-zero exit code when
; it changed nothing: 2 the folder holds no winamp.exe, 3 Winamp is running,
; 4 a file could not be written.

!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!ifndef VERSION | DLL | SAMPLE_TEMPLATE | OUTFILE
  !error "VERSION, DLL, SAMPLE_TEMPLATE and OUTFILE must be defined"
!endif

!define PLAYER_CLASS "Winamp v1.x"
!define PLAYER_EXE "winamp.exe"
!define UNINSTALLER "uninstall_gen_tavrik.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\gen_tavrik"
!define PLAYER_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp"
!define EXIT_NO_PLAYER 2
!define EXIT_PLAYER_RUNNING 3
!define EXIT_WRITE_FAILED 4

Name "gen_tavrik ${VERSION}"
OutFile "${OUTFILE}"
ShowInstDetails show
ShowUninstDetails show
BrandingText "gen_tavrik ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "gen_tavrik"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "gen_tavrik ${VERSION} setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 The gen_tavrik developers"

Var createdPlugins

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryText)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveDirectoryPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback; the installer takes the one matching
; the system's language without asking.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"
!include "${__FILEDIR__}\messages.nsh"

; ---------------------------------------------------------------------------
; Finding the player

; $0 := the folder of a command line's program: "C:\x\y.exe" /arg -> C:\x
Function FolderOfCommand
  Exch $0
  Push $1
  StrCpy $1 $0 1
  ${If} $1 == '"'
    StrCpy $0 $0 "" 1
    Push $2
    StrCpy $2 0
    ${Do}
      StrCpy $1 $0 1 $2
      ${IfThen} $1 == '"' ${|} ${ExitDo} ${|}
      ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
      IntOp $2 $2 + 1
    ${Loop}
    StrCpy $0 $0 $2
    Pop $2
  ${EndIf}
  ${GetParent} $0 $0
  Pop $1
  Exch $0
FunctionEnd

; Where the player's own settings say it is, else where its uninstaller
; entry is, else the usual folder: the first of them that holds winamp.exe.
Function ProposePlayerFolder
  ReadRegStr $0 HKCU "Software\Winamp" ""
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${PLAYER_EXE}"
    StrCpy $INSTDIR $0
    Return
  ${EndIf}
  ; A 32-bit program on 64-bit Windows reads the 32-bit view first; the
  ; player may have registered itself in either.
  ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "UninstallString"
  ${If} $0 == ""
  ${AndIf} ${RunningX64}
    SetRegView 64
    ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "UninstallString"
    SetRegView lastused
  ${EndIf}
  ${If} $0 != ""
    Push $0
    Call FolderOfCommand
    Pop $0
    ${If} ${FileExists} "$0\${PLAYER_EXE}"
      StrCpy $INSTDIR $0
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $INSTDIR "$PROGRAMFILES\Winamp"
FunctionEnd

!macro WAIT_FOR_PLAYER_CLOSED un
; Asks the user to close a running player and waits until it is gone; in
; silent mode, or when the user gives up, the setup ends without a change.
Function ${un}WaitForPlayerClosed
  ${Do}
    FindWindow $0 "${PLAYER_CLASS}"
    ${IfThen} $0 == 0 ${|} ${ExitDo} ${|}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_PLAYER_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "$(ClosePlayer)" IDOK +3
    SetErrorLevel ${EXIT_PLAYER_RUNNING}
    Quit
  ${Loop}
FunctionEnd
!macroend
!insertmacro WAIT_FOR_PLAYER_CLOSED ""
!insertmacro WAIT_FOR_PLAYER_CLOSED "un."

Function .onInit
  ${If} $INSTDIR == ""
    Call ProposePlayerFolder
  ${EndIf}
  ; Silent: every refusal comes before anything is touched.
  ${If} ${Silent}
    ${IfNot} ${FileExists} "$INSTDIR\${PLAYER_EXE}"
      SetErrorLevel ${EXIT_NO_PLAYER}
      Quit
    ${EndIf}
    Call WaitForPlayerClosed
  ${EndIf}
FunctionEnd

Function LeaveDirectoryPage
  ${IfNot} ${FileExists} "$INSTDIR\${PLAYER_EXE}"
    MessageBox MB_OK|MB_ICONSTOP "$(NoPlayer)"
    Abort
  ${EndIf}
  Call WaitForPlayerClosed
FunctionEnd

; ---------------------------------------------------------------------------
; Installing

!define PLUGINS "$INSTDIR\Plugins"
!define NEW_DLL "$INSTDIR\Plugins\gen_tavrik.dll.new"

; A step that could not write: the user is told, and .onInstFailed takes
; back what this setup began.
!macro FAIL_INSTALL
  MessageBox MB_OK|MB_ICONSTOP "$(WriteFailed)" /SD IDOK
  Abort "$(WriteFailed)"
!macroend

; Also after NSIS's own abort of a File that could not be written: the new
; DLL's staging copy goes, and so does a Plugins folder this setup made
; while it is still empty.
Function .onInstFailed
  Delete "${NEW_DLL}"
  ${If} $createdPlugins == 1
    RMDir "${PLUGINS}"
  ${EndIf}
  SetErrorLevel ${EXIT_WRITE_FAILED}
FunctionEnd

Section "gen_tavrik"
  ; The player may have been started since the folder was chosen.
  Call WaitForPlayerClosed
  AllowSkipFiles off
  StrCpy $createdPlugins 0
  ${IfNot} ${FileExists} "${PLUGINS}\*.*"
    ClearErrors
    CreateDirectory "${PLUGINS}"
    ${If} ${Errors}
      !insertmacro FAIL_INSTALL
    ${EndIf}
    StrCpy $createdPlugins 1
  ${EndIf}

  ; The new DLL is written beside the old one first: a full disk or a
  ; write error leaves the installed version as it was.
  ClearErrors
  SetOverwrite on
  File "/oname=${NEW_DLL}" "${DLL}"
  ${If} ${Errors}
    !insertmacro FAIL_INSTALL
  ${EndIf}

  ; The user's rules and templates are never overwritten: only created
  ; where there are none, so that an upgrade keeps them byte for byte. The
  ; plug-in looks in the player's settings folder (%APPDATA%\Winamp\Plugins
  ; for a player under Program Files) first, so an empty rule file here
  ; never hides the rules a user keeps there.
  ${IfNot} ${FileExists} "${PLUGINS}\gen_tavrik.cfg"
    ClearErrors
    FileOpen $0 "${PLUGINS}\gen_tavrik.cfg" w
    FileClose $0
    ${If} ${Errors}
      !insertmacro FAIL_INSTALL
    ${EndIf}
  ${EndIf}
  ${IfNot} ${FileExists} "${PLUGINS}\default.html"
    ClearErrors
    SetOverwrite off
    File "/oname=${PLUGINS}\default.html" "${SAMPLE_TEMPLATE}"
    SetOverwrite on
    ${If} ${Errors}
      !insertmacro FAIL_INSTALL
    ${EndIf}
  ${EndIf}

  ClearErrors
  WriteUninstaller "${PLUGINS}\${UNINSTALLER}"
  ${If} ${Errors}
    !insertmacro FAIL_INSTALL
  ${EndIf}

  ; One step from the old DLL to the new (MOVEFILE_REPLACE_EXISTING |
  ; MOVEFILE_WRITE_THROUGH).
  System::Call 'kernel32::MoveFileExW(w "${NEW_DLL}", w "${PLUGINS}\gen_tavrik.dll", i 9) i .r0'
  ${If} $0 == 0
    !insertmacro FAIL_INSTALL
  ${EndIf}
  DetailPrint "$(Installed)"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "gen_tavrik (Winamp plug-in)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The gen_tavrik developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${PLUGINS}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${PLUGINS}\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${PLUGINS}\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; ---------------------------------------------------------------------------
; Uninstalling: the uninstaller lives in Plugins, so $INSTDIR is that folder.
; The rule file, the settings and every template stay.

Function un.onInit
  ${If} ${Silent}
    Call un.WaitForPlayerClosed
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.WaitForPlayerClosed
  ClearErrors
  Delete "$INSTDIR\gen_tavrik.dll"
  ${If} ${Errors}
    SetErrorLevel ${EXIT_WRITE_FAILED}
    MessageBox MB_OK|MB_ICONSTOP "$(RemoveFailed)" /SD IDOK
    Abort "$(RemoveFailed)"
  ${EndIf}
  Delete "$INSTDIR\gen_tavrik.dll.new"
  Delete "$INSTDIR\${UNINSTALLER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
