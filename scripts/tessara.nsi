; The per-user installer of Tessara, built by scripts/package.sh:
;   makensis -DVERSION=<version> -DSTAGE=<folder of the files to install> -DSIZE_KB=<size>
;            -DICON=<program icon> -DOUTFILE=<setup.exe> tessara.nsi
; No administrator rights: the program goes where the user may write, because Tessara keeps
; its settings beside itself.
Target amd64-unicode
Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma
SetDateSave off

!include LogicLib.nsh
!include "${__FILEDIR__}/../res/release.nsh"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${UNINST_NAME}"
!define PANEL_CLASS "TTessaraControlPanel"
!define WM_CLOSE 0x10
; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
!define PROCESS_WAIT_QUERY 0x101000
; How long a running copy may take to save its tiles and end.
!define EXIT_WAIT_MS 60000

Name "${PRODUCT_NAME}"
Caption "Tessara ${VERSION} Setup"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Tessara"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
ShowInstDetails show
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "FileDescription" "Tessara Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

Page directory
Page instfiles
UninstPage instfiles

; A copy of Tessara running from $INSTDIR is asked to exit as its own Exit does (the control
; panel's close, which saves every tessara) and waited for. It is never killed: if it does
; not end, nothing is changed and the user is told.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  StrCpy $1 0
  next:
    System::Call 'user32::FindWindowExW(p 0, p r1, w "${PANEL_CLASS}", p 0) p .r1'
    IntPtrCmp $1 0 done
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2)'
    System::Call 'kernel32::OpenProcess(i ${PROCESS_WAIT_QUERY}, i 0, i r2) p .r3'
    IntPtrCmp $3 0 next
    StrCpy $4 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r4, *i ${NSIS_MAX_STRLEN})'
    ${If} $4 == "$INSTDIR\tessara.exe"
      DetailPrint "Asking the running Tessara to save and exit"
      System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
      System::Call 'kernel32::WaitForSingleObject(p r3, i ${EXIT_WAIT_MS}) i .r5'
      System::Call 'kernel32::CloseHandle(p r3)'
      ${If} $5 != 0
        MessageBox MB_ICONSTOP "Tessara is still running from $INSTDIR.$\r$\nExit it from its control panel, then run this again." /SD IDOK
        SetErrorLevel ${EXIT_IN_USE}
        Quit
      ${EndIf}
      StrCpy $1 0
      Goto next
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r3)'
    Goto next
  done:
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

; The program's files; the user's "tessara.ini", "tswin.ini" and "settings" are never among
; them, so an install over an older version keeps the user's tessaras.
!macro PROGRAM_FILES action
  ${action} "$INSTDIR\tessara.exe"
  ${action} "$INSTDIR\TESSARA.DLL"
  ${action} "$INSTDIR\README.txt"
  ${action} "$INSTDIR\LICENSES.txt"
  ${action} "$INSTDIR\licenses\gcc-runtime.txt"
  ${action} "$INSTDIR\licenses\mingw-w64-runtime.txt"
  ${action} "$INSTDIR\licenses\GPL-3.txt"
!macroend

Section "Tessara"
  SetShellVarContext current
  Call CloseRunningCopy
  CreateDirectory "$INSTDIR\licenses"
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}/tessara.exe"
  File "${STAGE}/TESSARA.DLL"
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSES.txt"
  SetOutPath "$INSTDIR\licenses"
  File "${STAGE}/licenses/gcc-runtime.txt"
  File "${STAGE}/licenses/mingw-w64-runtime.txt"
  File "${STAGE}/licenses/GPL-3.txt"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tessara.lnk" "$INSTDIR\tessara.exe" "" "$INSTDIR\tessara.exe" 0 \
                 SW_SHOWNORMAL "" "Tessara desktop launcher"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\tessara.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  SetAutoClose true
  Call un.CloseRunningCopy
  !insertmacro PROGRAM_FILES Delete
  RMDir "$INSTDIR\licenses"
  Delete "$SMPROGRAMS\Tessara.lnk"
  ; The start-with-Windows shortcuts: the one the option writes and the one it clears.
  Delete "$SMSTARTUP\tessara2.lnk"
  Delete "$SMSTARTUP\Tessara.lnk"
  DeleteRegKey HKCU "${UNINST_KEY}"
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your tessaras, their tiles and looks (tessara.ini, tswin.ini and the settings folder in $INSTDIR)?" \
    /SD IDNO IDNO keep
    Delete "$INSTDIR\tessara.ini"
    Delete "$INSTDIR\tswin.ini"
    RMDir /r "$INSTDIR\settings"
  keep:
  ; Last, so that its absence tells that everything else is done.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
