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

; A running Kalvor is asked to close as its close box would (it saves its settings then), and
; waited for; a copy that still holds kalvor.exe (another user's, or one that would not close)
; stops the installer or uninstaller before it changes anything, with exit code 2 when silent.
!macro CLOSE_RUNNING PREFIX
Function ${PREFIX}CloseRunning
  StrCpy $1 0
  loop:
    FindWindow $0 "KalvorFenwoMain"
    StrCmp $0 0 done
    IntCmp $1 50 done
    SendMessage $0 0x0010 0 0 /TIMEOUT=2000 ; WM_CLOSE
    Sleep 200
    IntOp $1 $1 + 1
    Goto loop
  done:
FunctionEnd

Function ${PREFIX}RefuseWhileRunning
  IfFileExists "$INSTDIR\kalvor.exe" 0 free
  ; A program that runs cannot be opened for writing: nor replaced, nor removed. One that was
  ; just asked to close may take a moment to let go.
  StrCpy $1 0
  try:
    ClearErrors
    FileOpen $0 "$INSTDIR\kalvor.exe" a
    IfErrors 0 opened
    IntCmp $1 25 held
    Sleep 200
    IntOp $1 $1 + 1
    Goto try
  opened:
  FileClose $0
  Goto free
  held:
  MessageBox MB_OK|MB_ICONSTOP "Kalvor is still running (perhaps for another user). Close it, then try again." /SD IDOK
  SetErrorLevel 2
  Abort "Kalvor is still running."
  free:
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING ""
!insertmacro CLOSE_RUNNING "un."

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  ; Silent, there is no page to stop at: refuse here, where the exit code is the refusal's.
  IfSilent 0 asked
  Call un.CloseRunning
  Call un.RefuseWhileRunning
  asked:
FunctionEnd

Section "Kalvor"
  Call CloseRunning
  Call RefuseWhileRunning
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

; The settings in %APPDATA%\Kalvor stay: they are the user's. (The installed program keeps them
; nowhere else: it knows itself installed by the uninstaller beside it.)
Section "Uninstall"
  Call un.CloseRunning
  Call un.RefuseWhileRunning
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
