; The Windows installer of Tallix, made by scripts/package-windows with
;   makensis -DVERSION=<version> -DLISTS=<folder> -DSIZE_KB=<size> -DOUTFILE=<setup.exe> tallix.nsi
; LISTS holds install.nsh and uninstall.nsh, the files to put in and to take
; out again. The program keeps its records in %LOCALAPPDATA%\tallix\, which
; the uninstaller leaves alone: they are the user's.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!include "MUI2.nsh"

Name "Tallix"
Caption "Tallix ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tallix"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "Tallix"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tallix ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Vossberry"

!define MUI_FINISHPAGE_RUN "$INSTDIR\tallix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tallix now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Tallix"
  SetShellVarContext all
  !include "${LISTS}\install.nsh"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tallix.lnk" "$INSTDIR\tallix.exe" "" "$INSTDIR\tallix.exe" 0 SW_SHOWNORMAL "" \
    "Meters the time spent online over a dial-up connection"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tallix"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vossberry"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tallix.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  ; Start at log-on would name a program that is gone.
  DeleteRegValue HKLM "${RUN_KEY}" "tallix.exe"
  DeleteRegValue HKCU "${RUN_KEY}" "tallix.exe"
  Delete "$SMPROGRAMS\Tallix.lnk"
  !include "${LISTS}\uninstall.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
