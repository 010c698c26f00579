; Quorvel's installer: a per-user installation (no administrator rights) with
; autostart, a start-menu entry and an uninstaller that never touches backups.
; makensis -DVERSION=1.2.3 -DBINDIR=<folder with both programs> -DOUTFILE=<setup.exe>
;          [-DICON=<program icon>] Quorvel.nsi
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION must be defined"
!endif
!ifndef BINDIR
  !error "BINDIR must be defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined"
!endif

!define PRODUCT "Quorvel"
!define PUBLISHER "Quorvel"
!define MAIN_EXE "quorvel.exe"
!define CLI_EXE "quorvel-cli.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
; Names the programs use for their window, their instance and a backup run.
!define WINDOW_CLASS "TVEZivavuvIdazadide"
!define INSTANCE_MUTEX "7D3F1A95-2C64-4B8E-A0D1-9E52B7C4F318"
!define RUN_MUTEX "Global\Quorvel.BackupRun.5C2E9A41"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quorvel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "FileDescription" "${PRODUCT} Installation"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "${PUBLISHER}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${MAIN_EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Quorvel jetzt starten"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; Ends a running tray program before its files are replaced or removed. A
; backup run is never interrupted: while one is active (the run lock is held,
; or the window refuses to close) the user may retry or cancel; a silent
; installation cancels.
Var WasRunning  ; "1" when an update found the tray program running

!macro DEFINE_CLOSE_RUNNING un
Function ${un}IsRunLockHeld  ; -> $R0 "1" while a backup run holds the lock
  StrCpy $R0 0
  System::Call 'kernel32::OpenMutexW(i 0x00100001, i 0, w "${RUN_MUTEX}") p.r1'
  ${If} $1 <> 0
    System::Call 'kernel32::WaitForSingleObject(p r1, i 0) i.r2'
    ${If} $2 = 258  ; WAIT_TIMEOUT: another process owns it
      StrCpy $R0 1
    ${Else}
      System::Call 'kernel32::ReleaseMutex(p r1)'
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
FunctionEnd

Function ${un}IsProgramRunning  ; -> $R0 "1" while quorvel.exe runs
  StrCpy $R0 0
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p.r1'
  ${If} $1 <> 0
    StrCpy $R0 1
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
FunctionEnd

; A program whose instance is gone may still be ending: its file is written
; or removed only once the system has let go of it (waited for at most 10 s).
Function ${un}WaitUntilProgramFileFree
  StrCpy $3 0
  ${DoWhile} ${FileExists} "$INSTDIR\${MAIN_EXE}"
    ClearErrors
    FileOpen $4 "$INSTDIR\${MAIN_EXE}" a
    ${IfNot} ${Errors}
      FileClose $4
      Return
    ${EndIf}
    Sleep 250
    IntOp $3 $3 + 1
    ${If} $3 >= 40
      Return
    ${EndIf}
  ${Loop}
FunctionEnd

Function ${un}CloseRunningQuorvel
  retry:
  Call ${un}IsRunLockHeld
  ${If} $R0 == 1
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "Quorvel sichert gerade die Datenbanken.$\r$\n$\r$\nBitte warten Sie, bis die Sicherung fertig ist, und wählen Sie dann $\"Wiederholen$\"." \
      /SD IDCANCEL IDRETRY retry
    Abort "Abgebrochen: Eine Sicherung läuft gerade."
  ${EndIf}
  Call ${un}IsProgramRunning
  ${If} $R0 == 0
    Call ${un}WaitUntilProgramFileFree  ; it may have just ended
    Return
  ${EndIf}
  FindWindow $1 "${WINDOW_CLASS}"
  ${If} $1 <> 0
    SendMessage $1 ${WM_CLOSE} 0 0 /TIMEOUT=10000
  ${EndIf}
  ; The program ends once it has closed its window; one that agreed to close
  ; may still finish its copies between runs, which is waited for (at most
  ; 10 minutes). A backup run, which holds the run lock, refuses the close.
  DetailPrint "Warte, bis Quorvel beendet ist.."
  StrCpy $3 0
  ${Do}
    Call ${un}IsProgramRunning
    ${If} $R0 == 0
      Call ${un}WaitUntilProgramFileFree
      Return
    ${EndIf}
    Call ${un}IsRunLockHeld
    ${If} $R0 == 1
      ${Break}
    ${EndIf}
    Sleep 250
    IntOp $3 $3 + 1
  ${LoopUntil} $3 >= 2400
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
    "Quorvel lässt sich gerade nicht beenden, vermutlich weil noch eine Sicherung läuft.$\r$\n$\r$\nBitte warten Sie, bis die Sicherung fertig ist, und wählen Sie dann $\"Wiederholen$\"." \
    /SD IDCANCEL IDRETRY retry
  Abort "Abgebrochen: Quorvel läuft noch."
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_RUNNING ""
!insertmacro DEFINE_CLOSE_RUNNING "un."

Section "Quorvel" SecMain
  SectionIn RO
  SetShellVarContext current
  Call IsProgramRunning
  StrCpy $WasRunning $R0
  Call CloseRunningQuorvel
  SetOutPath "$INSTDIR"
  ; Only the programs are written: UserMode.INI, DATABASEUTIL\ and every
  ; backup of an earlier installation stay as they are.
  File "${BINDIR}/${MAIN_EXE}"
  File "${BINDIR}/${CLI_EXE}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\${MAIN_EXE}"'
  CreateShortCut "$SMPROGRAMS\Quorvel.lnk" "$INSTDIR\${MAIN_EXE}" "" "$INSTDIR\${MAIN_EXE}" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${MAIN_EXE}",0'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/M=*.exe /S=0K /G=0" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; A silent update has no finish page to start the program again: without
  ; this, no backup would run until the next logon.
  ${If} ${Silent}
  ${AndIf} $WasRunning == 1
    Exec '"$INSTDIR\${MAIN_EXE}"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningQuorvel
  Delete "$INSTDIR\${MAIN_EXE}"
  Delete "$INSTDIR\${CLI_EXE}"
  Delete "$SMPROGRAMS\Quorvel.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; Settings and protocol only when the user says so; a silent uninstall
  ; keeps them. Backups lie in the target folder and are never touched.
  ${If} ${FileExists} "$INSTDIR\UserMode.INI"
  ${OrIf} ${FileExists} "$INSTDIR\DATABASEUTIL\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Sollen auch die Einstellungen (UserMode.INI) und das Protokoll (DATABASEUTIL) gelöscht werden?$\r$\n$\r$\nIhre Sicherungen bleiben in jedem Fall erhalten." \
      /SD IDNO IDNO keep_settings
    Delete "$INSTDIR\UserMode.INI"
    Delete "$INSTDIR\DATABASEUTIL\QUORVEL.LOG"
    Delete "$INSTDIR\DATABASEUTIL\QUORVEL.htm"
    Delete "$INSTDIR\DATABASEUTIL\UserDefined.txt"
    RMDir "$INSTDIR\DATABASEUTIL"
    keep_settings:
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
SectionEnd
