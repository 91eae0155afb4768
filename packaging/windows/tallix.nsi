; The Windows installer of Tallix, made by scripts/package-windows with
;   makensis -DVERSION=<version> -DFILE_VERSION=<a.b.c.d> -DSTAGE=<folder> -DLISTS=<folder>
;            -DSIZE_KB=<size> -DOUTFILE=<setup.exe> tallix.nsi
; STAGE is the folder of files to install (the portable copy as it stands);
; LISTS holds install.nsh and uninstall.nsh, the files to put in and to take
; out again. The program keeps its records in %LOCALAPPDATA%\tallix\, which
; the uninstaller leaves alone: they are the user's.
;
; A running Tallix holds its files: both the installer and the uninstaller
; first send every copy that runs from the installation folder a close
; request (it ends at once, its records in step) and wait for it. A file that
; still cannot be replaced or removed makes the whole run a failure (exit
; code 2, and a message naming the files), never a success.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PROGRAM "$INSTDIR\tallix.exe"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"

Name "Tallix"
Caption "Tallix ${VERSION} Setup"
UninstallCaption "Tallix ${VERSION} Uninstall"
BrandingText "Tallix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tallix"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "Tallix"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Vossberry"
VIAddVersionKey "FileDescription" "Tallix ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 Vossberry"

; The program's own icon and picture, not the installer maker's.
!define MUI_ICON "${__FILEDIR__}/tallix.ico"
!define MUI_UNICON "${__FILEDIR__}/tallix.ico"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}/wizard.bmp"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${__FILEDIR__}/wizard.bmp"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start Tallix now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartTallixAsUser
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var Failed      ; the files that could not be replaced or removed, one a line
Var WasRunning  ; 1 when a running copy was ended

; Puts one file in; one that cannot be written is listed.
!macro TallixFile source name
  ClearErrors
  File "${source}"
  ${If} ${Errors}
    StrCpy $Failed "$Failed$\r$\n    $INSTDIR\${name}"
  ${EndIf}
!macroend

; Takes one file out; one that cannot be removed is listed.
!macro TallixDelete name
  ClearErrors
  Delete "$INSTDIR\${name}"
  ${If} ${Errors}
    StrCpy $Failed "$Failed$\r$\n    $INSTDIR\${name}"
  ${EndIf}
!macroend

!macro TallixRMDir name
  ClearErrors
  RMDir "$INSTDIR\${name}"
  ${If} ${Errors}
    StrCpy $Failed "$Failed$\r$\n    $INSTDIR\${name}"
  ${EndIf}
!macroend

; Sends every Tallix that runs from $INSTDIR a close request and waits for
; it to end. One that does not end is a failure, unless the user ends it and
; tries again.
!macro EndRunningTallix un
Function ${un}EndRunningTallix
  StrCpy $R9 0
  again:
  StrCpy $R0 0
  next:
    IntOp $R9 $R9 + 1
    ${If} $R9 > 200
      Return
    ${EndIf}
    FindWindow $R0 "TallixForm3" "" 0 $R0
    ${If} $R0 == 0
      Return
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i R1) p .R2'
    ${If} $R2 == 0
      Goto next
    ${EndIf}
    StrCpy $R3 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R3, *i ${NSIS_MAX_STRLEN})'
    ${If} $R3 != "${PROGRAM}"
      System::Call 'kernel32::CloseHandle(p R2)'
      Goto next
    ${EndIf}
    StrCpy $WasRunning 1
    DetailPrint "Ending the running Tallix ($R3)"
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    System::Call 'kernel32::WaitForSingleObject(p R2, i 15000) i .R4'
    System::Call 'kernel32::CloseHandle(p R2)'
    ${If} $R4 != 0
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Tallix is running from $INSTDIR and did not end.$\r$\nEnd it with Remove in its icon's menu, then choose Retry." \
        /SD IDCANCEL IDRETRY again
      SetErrorLevel 2
      Abort "Tallix is still running from $INSTDIR."
    ${EndIf}
    Goto again
FunctionEnd
!macroend
!insertmacro EndRunningTallix ""
!insertmacro EndRunningTallix "un."

; Deletes a Run value that older versions wrote, when it names this copy.
!macro DeleteOldRunValue root
  ReadRegStr $R0 ${root} "${RUN_KEY}" "tallix.exe"
  ${If} $R0 == "${PROGRAM}"
  ${OrIf} $R0 == '"${PROGRAM}"'
    DeleteRegValue ${root} "${RUN_KEY}" "tallix.exe"
  ${EndIf}
!macroend

; Started through the desktop's own shell, so that Tallix runs as the user
; who is logged on and not elevated as this installer is: it records into
; that user's folder and cannot write the machine's settings.
Function StartTallixAsUser
  Exec '"$WINDIR\explorer.exe" "${PROGRAM}"'
FunctionEnd

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Tallix"
  SetShellVarContext all
  StrCpy $Failed ""
  Call EndRunningTallix
  !include "${LISTS}\install.nsh"
  ClearErrors
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    StrCpy $Failed "$Failed$\r$\n    $INSTDIR\Uninstall.exe"
  ${EndIf}
  CreateShortcut "$SMPROGRAMS\Tallix.lnk" "${PROGRAM}" "" "${PROGRAM}" 0 SW_SHOWNORMAL "" \
    "Meters the time spent online over a dial-up connection"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tallix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vossberry"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ${If} $Failed != ""
    DetailPrint "Not replaced:$Failed"
    MessageBox MB_ICONSTOP \
      "These files could not be replaced, so Tallix is not installed whole:$Failed$\r$\nEnd whatever uses them and run this setup again." \
      /SD IDOK
    SetErrorLevel 2
    Abort "Setup failed: files could not be replaced."
  ${EndIf}
SectionEnd

; A copy that was running before the upgrade runs again after it, as the
; user; in an interactive run the last page's "Start Tallix now" does it.
Function .onInstSuccess
  ${If} ${Silent}
  ${AndIf} $WasRunning == 1
    Call StartTallixAsUser
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  StrCpy $Failed ""
  Call un.EndRunningTallix
  !include "${LISTS}\uninstall.nsh"
  ${If} $Failed != ""
    DetailPrint "Not removed:$Failed"
    MessageBox MB_ICONSTOP \
      "These files could not be removed, so Tallix stays installed:$Failed$\r$\nEnd whatever uses them and uninstall again." \
      /SD IDOK
    SetErrorLevel 2
    Abort "Uninstall failed: files could not be removed."
  ${EndIf}

  ; Start at log-on would name a program that is gone: this copy's own value,
  ; and the values older versions wrote for it.
  DeleteRegValue HKCU "${RUN_KEY}" "Tallix ($INSTDIR)"
  !insertmacro DeleteOldRunValue HKCU
  !insertmacro DeleteOldRunValue HKLM
  Delete "$SMPROGRAMS\Tallix.lnk"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
