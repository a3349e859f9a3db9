; The Tessara 7 setup and its uninstaller. cmake/Setup.cmake builds it:
;   makensis -DBIN=<the programs> -DGENERATED=<setup.nsh, tessara.chm> -DSOURCE=<this folder>
;            -DVERSION=<major.minor.revision> -DOUTFILE=<setup program> tessara7.nsi
; setup.nsh holds the names the programs agree on and the policy values to
; switch off, both made from the program's own sources.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh
!include FileFunc.nsh
!include "${GENERATED}/setup.nsh"

!define PRODUCT "Tessara 7"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessara7"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Tessara 7"
!define STORE_KEY "Software\TSR"
!define MENU_CLASSES "Software\Classes"
!define SETTINGS_TITLE "Tessara 7 Settings"
!define WM_LBUTTONDBLCLK 0x0203
!define WM_SETTEXT 0x000C
!define WM_CLOSE 0x0010
!define WM_COMMAND 0x0111
!define IDOK 1
!define SYNCHRONIZE 0x00100000
!define SETUP_LOG "setup.log"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tessara"
Icon "${SOURCE}/../res/tessara.ico"
UninstallIcon "${SOURCE}/../res/tessara.ico"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "Tessara"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 Tessara"
VIAddVersionKey /LANG=1033 "OriginalFilename" "tessara7-setup.exe"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var DataFile   ; the uninstaller's data file, held open for the whole uninstall
Var Drive      ; "C:", the drive of the program folder
Var Config     ; the folder of /CONFIG=, empty without it

; ---------------------------------------------------------------------------
; Setup

Function .onInit
  SetRegView 64
  ; A running copy holds its files: the setup cannot replace them.
  System::Call 'user32::FindWindowW(p 0, w "${MAIN_TITLE}") p .r0'
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is running. Uninstall it from its configuration first, or end it, then run the setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CONFIG=" $Config
  ${If} ${Errors}
    StrCpy $Config ""
  ${ElseIf} $Config != ""
    ; The tool runs in the program folder: a relative folder means the setup's.
    GetFullPathName $Config $Config
  ${EndIf}
FunctionEnd

; /CONFIG=<folder>: the configuration exported on another PC, imported by
; the transfer tool with the same checks as its Import. A failure leaves
; the installation in place and the store untouched, and ends the setup
; with exit code 3 and a line in the setup log.
Function ImportConfiguration
  ${IfThen} $Config == "" ${|} Return ${|}
  nsExec::ExecToStack '"$INSTDIR\${TRANSFER_PROGRAM}" /import "$Config"'
  Pop $0  ; the exit code, or "error" when the tool did not start
  Pop $1  ; its message
  ; Without its line break.
  ${Do}
    StrCpy $2 $1 1 -1
    ${If} $2 != "$\n"
    ${AndIf} $2 != "$\r"
      ${ExitDo}
    ${EndIf}
    StrCpy $1 $1 -1
  ${Loop}
  ${If} $0 == 0
    StrCpy $1 "The configuration in $Config was imported."
  ${Else}
    ${IfThen} $1 == "" ${|} StrCpy $1 "The transfer tool could not be run ($0)." ${|}
    StrCpy $1 "The configuration in $Config was not imported: $1"
    SetErrorLevel 3
  ${EndIf}
  DetailPrint "$1"
  FileOpen $2 "$INSTDIR\${SETUP_LOG}" a
  FileSeek $2 0 END
  FileWrite $2 "$1$\r$\n"
  FileClose $2
FunctionEnd

; Appends one installed file name to the data file.
!macro Listed NAME
  FileWrite $DataFile "${NAME}$\r$\n"
!macroend

Section "Tessara 7"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${BIN}/${MAIN_PROGRAM}"
  File "${BIN}/${TRANSFER_PROGRAM}"
  File "${BIN}/${LAUNCHER_PROGRAM}"
  File "${BIN}/${MENU_DLL}"
  File "${BIN}/${GUARD_PROGRAM}"
  File "${GENERATED}/${HELP_FILE}"
  File "${SOURCE}/${ORDER_FORM}"
  ; The Group Policy templates, for an administrator to copy to the central store.
  SetOutPath "$INSTDIR\PolicyDefinitions"
  File "${SOURCE}/policy/tessara.admx"
  SetOutPath "$INSTDIR\PolicyDefinitions\en-US"
  File "${SOURCE}/policy/en-US/tessara.adml"
  SetOutPath "$INSTDIR"

  ; A spare copy of an earlier version would bring that version back (the
  ; guard program places this version's in the data folder, below).
  StrCpy $Drive "$INSTDIR" 2
  SetFileAttributes "$Drive\${SPARE_COPY}" NORMAL
  Delete "$Drive\${SPARE_COPY}"

  FileOpen $0 "$Drive\${ROOT_TEXT_FILE}" w
  FileWrite $0 "${PRODUCT} ${VERSION} is installed in $INSTDIR.$\r$\n"
  FileWrite $0 "To uninstall it, open its configuration (Start, Tessara, Configure), give the master password and click Uninstall on the Welcome page.$\r$\n"
  FileClose $0

  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ; The data file lists what was installed; the uninstaller needs it.
  FileOpen $DataFile "$INSTDIR\${UNINSTALLER_DATA}" w
  !insertmacro Listed "${MAIN_PROGRAM}"
  !insertmacro Listed "${TRANSFER_PROGRAM}"
  !insertmacro Listed "${LAUNCHER_PROGRAM}"
  !insertmacro Listed "${MENU_DLL}"
  !insertmacro Listed "${GUARD_PROGRAM}"
  !insertmacro Listed "${HELP_FILE}"
  !insertmacro Listed "${ORDER_FORM}"
  FileClose $DataFile

  CreateDirectory "$SMPROGRAMS\Tessara"
  CreateShortcut "$SMPROGRAMS\Tessara\Configure.lnk" "$INSTDIR\${LAUNCHER_PROGRAM}"
  CreateShortcut "$SMPROGRAMS\Tessara\Uninstall.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\${MAIN_PROGRAM}"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tessara"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MAIN_PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Before the guard starts the program, so that it starts with the imported settings.
  Call ImportConfiguration

  ; Last, with everything in place: the guard service, which starts the
  ; program in every session now and at each log-on, and again whenever it ends.
  ; The guard program also gives the install folder rights that keep users
  ; from replacing the programs, and places the spare copy and its digest.
  ExecWait '"$INSTDIR\${GUARD_PROGRAM}" /install' $0
  ${If} $0 != 0
    DetailPrint "The ${GUARD_SERVICE} service could not be installed (error $0)."
  ${EndIf}
SectionEnd

; ---------------------------------------------------------------------------
; Uninstaller

Function un.Refuse
  MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} is uninstalled from its configuration: open it (Start, Tessara, Configure), give the master password and click Uninstall on the Welcome page." /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

; Step 1: without its data file (withheld while the program runs) it
; refuses and changes nothing. The file stays open to the end, which is
; what tells the program that the uninstaller, and no one else, asks it to go.
; Step 2: the running program is asked to end without starting a new copy;
; it agrees only after its Uninstall command handed the data file over.
Function un.onInit
  SetRegView 64
  ClearErrors
  FileOpen $DataFile "$INSTDIR\${UNINSTALLER_DATA}" r
  ${If} ${Errors}
    Call un.Refuse
  ${EndIf}
  System::Call 'user32::FindWindowW(p 0, w "${MAIN_TITLE}") p .r2'
  ${If} $2 != 0
    System::Call 'user32::RegisterWindowMessageW(w "${END_MESSAGE}") i .r1'
    System::Call 'user32::GetWindowThreadProcessId(p r2, *i .r3)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r3) p .r4'
    StrCpy $5 0
    System::Call 'user32::SendMessageTimeoutW(p r2, i r1, p 0, p 0, i 2, i 10000, *p .r5) p .r6'
    ${If} $5 != ${END_ACCEPTED}
      System::Call 'kernel32::CloseHandle(p r4)'
      Call un.Refuse
    ${EndIf}
    System::Call 'kernel32::WaitForSingleObject(p r4, i 15000) i .r6'
    System::Call 'kernel32::CloseHandle(p r4)'
  ${EndIf}
FunctionEnd

; Step 3: the launcher's clean-up. A window titled as the main program's
; stands in while the launcher starts, so that it starts no new copy; a
; double click keeps the launcher's window past its two seconds, and the new
; title starts the clean-up. Waits for the launcher to end; in silent mode it
; answers the launcher's closing message itself, and in either mode it closes
; the launcher's window once the error of a failed step is answered.
Function un.RunLauncherCleanup
  System::Call 'user32::CreateWindowExW(i 0, w "STATIC", w "${MAIN_TITLE}", i 0x80000000, i 0, i 0, i 0, i 0, p 0, p 0, p 0, p 0) p .r7'
  ClearErrors
  Exec '"$INSTDIR\${LAUNCHER_PROGRAM}"'
  ${If} ${Errors}
    System::Call 'user32::DestroyWindow(p r7)'
    DetailPrint "The launcher could not be started."
    Return
  ${EndIf}
  StrCpy $0 0
  ${Do}
    FindWindow $8 "${LAUNCHER_CLASS}" "${LAUNCHER_TITLE}"
    ${IfThen} $8 != 0 ${|} ${ExitDo} ${|}
    IntOp $0 $0 + 1
    ${IfThen} $0 > 300 ${|} ${ExitDo} ${|}
    Sleep 100
  ${Loop}
  System::Call 'user32::DestroyWindow(p r7)'
  ${If} $8 == 0
    DetailPrint "The launcher's window did not appear."
    Return
  ${EndIf}
  System::Call 'user32::GetWindowThreadProcessId(p r8, *i .r3)'
  System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r3) p .r9'
  System::Call 'user32::PostMessageW(p r8, i ${WM_LBUTTONDBLCLK}, p 0, p 0)'
  SendMessage $8 ${WM_SETTEXT} 0 "STR:${UNINSTALL_TITLE}"
  DetailPrint "Waiting for the launcher's clean-up..."
  StrCpy $0 0
  StrCpy $2 0   ; the launcher showed the error of a failed step
  ${Do}
    System::Call 'kernel32::WaitForSingleObject(p r9, i 100) i .r6'
    ${IfThen} $6 == 0 ${|} ${ExitDo} ${|}
    FindWindow $1 "#32770" "${LAUNCHER_PROGRAM_TITLE}"
    ${If} ${Silent}
      ; The report, or the error of a failed step and then the window it leaves.
      FindWindow $4 "#32770" "${REPORT_TITLE}"
      ${IfThen} $4 != 0 ${|} SendMessage $4 ${WM_COMMAND} ${IDOK} 0 ${|}
      ${If} $1 != 0
        SendMessage $1 ${WM_COMMAND} ${IDOK} 0
        System::Call 'user32::PostMessageW(p r8, i ${WM_CLOSE}, p 0, p 0)'
      ${EndIf}
      IntOp $0 $0 + 1
      ${IfThen} $0 > 600 ${|} ${ExitDo} ${|}
    ${Else}
      ; The user answers the launcher's error; the window the failed step
      ; leaves behind is the uninstaller's to close, not the user's.
      ; The box stands over the launcher's window, which is disabled meanwhile.
      System::Call 'user32::IsWindowEnabled(p r8) i .r4'
      ${If} $1 != 0
      ${OrIf} $4 == 0
        StrCpy $2 1
      ${ElseIf} $2 == 1
        System::Call 'user32::PostMessageW(p r8, i ${WM_CLOSE}, p 0, p 0)'
      ${EndIf}
    ${EndIf}
  ${Loop}
  System::Call 'kernel32::CloseHandle(p r9)'
FunctionEnd

; Sets $R9 to 1 when $R0 names a file of the program folder by its name
; alone: no folder, drive, wildcard or dot name, so that a line of the data
; file cannot make the uninstaller, with its administrator rights, delete
; anything elsewhere.
Function un.IsPlainName
  StrCpy $R9 0
  ${If} $R0 == ""
  ${OrIf} $R0 == "."
  ${OrIf} $R0 == ".."
    Return
  ${EndIf}
  StrLen $R1 $R0
  StrCpy $R2 0
  ${Do}
    ${IfThen} $R2 >= $R1 ${|} ${ExitDo} ${|}
    StrCpy $R3 $R0 1 $R2
    ${If} $R3 == "\"
    ${OrIf} $R3 == "/"
    ${OrIf} $R3 == ":"
    ${OrIf} $R3 == "*"
    ${OrIf} $R3 == "?"
      Return
    ${EndIf}
    IntOp $R2 $R2 + 1
  ${Loop}
  StrCpy $R9 1
FunctionEnd

Section "un.Tessara 7"
  SetShellVarContext all
  SetAutoClose true
  StrCpy $Drive "$INSTDIR" 2

  ; The guard goes first, so that nothing starts the program again; the
  ; program told it of the hand-over before it ended.
  ExecWait '"$INSTDIR\${GUARD_PROGRAM}" /remove' $0
  ${If} $0 != 0
    DetailPrint "The ${GUARD_SERVICE} service could not be removed (error $0)."
  ${EndIf}

  Call un.RunLauncherCleanup

  ; Step 4: what is left of the installed files, by the data file's list,
  ; unless users other than administrators may have changed that list.
  ExecWait '"$INSTDIR\${GUARD_PROGRAM}" /trusted "$INSTDIR\${UNINSTALLER_DATA}"' $0
  ${If} $0 != 0
    DetailPrint "Not acted on, others may change it: $INSTDIR\${UNINSTALLER_DATA}"
    FileSeek $DataFile 0 END
  ${Else}
    FileSeek $DataFile 0 SET
  ${EndIf}
  ${Do}
    ClearErrors
    FileRead $DataFile $0
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    ; Without its line break.
    ${Do}
      StrCpy $1 $0 1 -1
      ${If} $1 != "$\n"
      ${AndIf} $1 != "$\r"
        ${ExitDo}
      ${EndIf}
      StrCpy $0 $0 -1
    ${Loop}
    ${If} $0 != ""
      StrCpy $R0 $0
      Call un.IsPlainName
      ${If} $R9 == 1
        Delete /REBOOTOK "$INSTDIR\$0"
      ${Else}
        DetailPrint "Not deleted, not a file of the program folder: $0"
      ${EndIf}
    ${EndIf}
  ${Loop}
  FileClose $DataFile
  Delete "$INSTDIR\PolicyDefinitions\en-US\tessara.adml"
  RMDir "$INSTDIR\PolicyDefinitions\en-US"
  Delete "$INSTDIR\PolicyDefinitions\tessara.admx"
  RMDir "$INSTDIR\PolicyDefinitions"
  Delete "$INSTDIR\${UNINSTALLER_DATA}"
  Delete "$INSTDIR\${UNINSTALLER}"
  Delete "$INSTDIR\${SETUP_LOG}"
  RMDir "$INSTDIR"
  SetFileAttributes "$Drive\${SPARE_COPY}" NORMAL
  Delete "$Drive\${SPARE_COPY}"
  Delete "$Drive\${ROOT_TEXT_FILE}"
  SetFileAttributes "$APPDATA\${DATA_FOLDER}\${SPARE_COPY}" NORMAL
  Delete "$APPDATA\${DATA_FOLDER}\${SPARE_COPY}"
  RMDir "$APPDATA\${DATA_FOLDER}"

  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  RMDir /r "$SMPROGRAMS\Tessara"
  DeleteRegKey HKCU "${MENU_CLASSES}\CLSID\${MENU_CLSID}"
  DeleteRegKey HKCU "${MENU_CLASSES}\*\shellex\ContextMenuHandlers\${MENU_HANDLER_NAME}"
  DeleteRegKey HKCU "${MENU_CLASSES}\Directory\shellex\ContextMenuHandlers\${MENU_HANDLER_NAME}"
  DeleteRegKey HKCU "${MENU_CLASSES}\Drive\shellex\ContextMenuHandlers\${MENU_HANDLER_NAME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; Step 5: the machine is left unlocked.
  !insertmacro SwitchOffPolicies HKLM
  !insertmacro SwitchOffPolicies HKCU
  System::Call 'user32::SendMessageTimeoutW(p 0xffff, i 0x1A, p 0, w "Policy", i 2, i 5000, *p .r0)'

  ; Step 6: the settings stay for a later install unless the user says no;
  ; in silent mode they stay.
  ${IfNot} ${Silent}
    System::Call 'user32::MessageBoxW(p $HWNDPARENT, w "Keep the ${PRODUCT} settings (lock list, master password and options) for a later install?", w "${SETTINGS_TITLE}", i 0x24) i .r0'
    ${If} $0 == 7
      DeleteRegKey HKLM "${STORE_KEY}"
      DeleteRegKey HKCU "${STORE_KEY}"
    ${EndIf}
  ${EndIf}
SectionEnd
