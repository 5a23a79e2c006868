; The Kalvor installer: kalvor.exe under Program Files, a Start-menu entry and an uninstaller.
; makensis -DVERSION=x.y.z -DSTAGE=<folder with kalvor.exe, README.txt, LICENSE.txt>
;          -DOUTFILE=<installer> kalvor.nsi
; A 64-bit installer for a 64-bit program: it runs wherever kalvor.exe does.
Target amd64-unicode
!include "MUI2.nsh"

Name "Kalvor"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kalvor"
InstallDirRegKey HKLM "Software\Kalvor" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Kalvor"
VIAddVersionKey "FileDescription" "Kalvor installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Kalvor developers, MIT License"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalvor"
!define MUI_ICON "${STAGE}\kalvor.ico"
!define MUI_UNICON "${STAGE}\kalvor.ico"

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Kalvor"
  SetOutPath "$INSTDIR"
  File "${STAGE}\kalvor.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Kalvor"
  CreateShortcut "$SMPROGRAMS\Kalvor\Kalvor.lnk" "$INSTDIR\kalvor.exe"
  WriteRegStr HKLM "Software\Kalvor" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kalvor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Kalvor developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kalvor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The settings in %APPDATA%\Kalvor stay: they are the user's.
Section "Uninstall"
  Delete "$SMPROGRAMS\Kalvor\Kalvor.lnk"
  RMDir "$SMPROGRAMS\Kalvor"
  Delete "$INSTDIR\kalvor.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Kalvor"
SectionEnd
