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
!include FileFunc.nsh
!include "${__FILEDIR__}/../res/release.nsh"

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${UNINST_NAME}"
!define PANEL_CLASS "TTessaraControlPanel"
; The property a control panel carries while it answers; it drops it once it accepts a close.
!define PANEL_ANSWERING "TessaraFolderKey"
!define WM_CLOSE 0x10
!define SMTO_ABORTIFHUNG 2
; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
!define PROCESS_WAIT_QUERY 0x101000
; FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING, and the flag that
; lets CreateFile open a folder.
!define SHARE_ALL 7
!define OPEN_EXISTING 3
!define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
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
; A program file that cannot be replaced stops the install (NSIS's Retry/Cancel box; when
; silent, the exit code), rather than leaving new files beside an old one.
AllowSkipFiles off
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey "FileDescription" "Tessara Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

; With a signing command (package.sh --sign-command) the uninstaller is signed before it is
; packed and the installer once it is written. A command that fails fails the build.
!ifdef SIGN_COMMAND
  !uninstfinalize `${SIGN_COMMAND}` = 0
  !finalize `${SIGN_COMMAND}` = 0
!endif

Page directory SkipFolderOfInstalledCopy
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var FolderId      ; of $INSTDIR, see FolderIdentity
Var RestartCopy   ; 1 once a running copy was closed: it is started again at the end

; An installed copy is upgraded where it is (InstallDirRegKey has put its folder in $INSTDIR).
Function SkipFolderOfInstalledCopy
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    Abort
  ${EndIf}
FunctionEnd

; The identity of folder $R0 in $R0: its volume's serial number and its file index, the same
; whatever name reaches it (a short name, a junction, a link); "" when it cannot be opened.
!macro FOLDER_IDENTITY un
Function ${un}FolderIdentity
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  System::Call 'kernel32::CreateFileW(w R0, i 0, i ${SHARE_ALL}, p 0, i ${OPEN_EXISTING}, \
                i ${FILE_FLAG_BACKUP_SEMANTICS}, p 0) p .R1'
  StrCpy $R0 ""
  ${If} $R1 P<> -1
    System::Call '*(&i52) p .R2'  ; BY_HANDLE_FILE_INFORMATION
    System::Call 'kernel32::GetFileInformationByHandle(p R1, p R2) i .R3'
    ${If} $R3 <> 0
      System::Call '*$R2(i, i, i, i, i, i, i, i .R3, i, i, i, i .R4, i .R0)'
      StrCpy $R0 "$R3:$R4:$R0"
    ${EndIf}
    System::Free $R2
    System::Call 'kernel32::CloseHandle(p R1)'
  ${EndIf}
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
FunctionEnd
!macroend
!insertmacro FOLDER_IDENTITY ""
!insertmacro FOLDER_IDENTITY "un."

; A copy of Tessara running from $INSTDIR, however it was started, is asked to exit as its own
; Exit does (the control panel's close, which saves every tessara) and waited for. It is never
; killed: while a dialog of it is open it refuses, and if it does not end, nothing is changed
; and the user is told (when silent, by the exit code).
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  StrCpy $R0 $INSTDIR
  Call ${un}FolderIdentity
  StrCpy $FolderId $R0
  StrCmp $FolderId "" done  ; nothing there yet
  StrCpy $1 0
  next:
    System::Call 'user32::FindWindowExW(p 0, p r1, w "${PANEL_CLASS}", p 0) p .r1'
    IntPtrCmp $1 0 done
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r2)'
    System::Call 'kernel32::OpenProcess(i ${PROCESS_WAIT_QUERY}, i 0, i r2) p .r3'
    IntPtrCmp $3 0 next
    StrCpy $4 ""
    System::Call 'kernel32::QueryFullProcessImageNameW(p r3, i 0, w .r4, *i ${NSIS_MAX_STRLEN})'
    ${GetParent} $4 $R0
    Call ${un}FolderIdentity
    ${If} $R0 == $FolderId
      DetailPrint "Asking the running Tessara to save and exit"
      ask:
      System::Call 'user32::SendMessageTimeoutW(p r1, i ${WM_CLOSE}, p 0, p 0, \
                    i ${SMTO_ABORTIFHUNG}, i 5000, *p .r5)'
      System::Call 'user32::GetPropW(p r1, w "${PANEL_ANSWERING}") p .r5'
      ${If} $5 P<> 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
          "Tessara, running from $INSTDIR, did not exit: a dialog of it is open.$\r$\nClose the dialog, then choose Retry." \
          /SD IDCANCEL IDRETRY ask
        StrCpy $5 1
      ${Else}
        System::Call 'kernel32::WaitForSingleObject(p r3, i ${EXIT_WAIT_MS}) i .r5'
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r3)'
      ${If} $5 != 0
        MessageBox MB_ICONSTOP "Tessara is still running from $INSTDIR.$\r$\nExit it from its control panel, then run this again." /SD IDOK
        SetErrorLevel ${EXIT_IN_USE}
        Quit
      ${EndIf}
      StrCpy $RestartCopy 1
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
  Call StartClosedCopy
SectionEnd

; Silent too: "winget upgrade" must not leave the desktop without its tessaras.
Function StartClosedCopy
  ${If} $RestartCopy == 1
    Exec '"$INSTDIR\tessara.exe"'
  ${EndIf}
FunctionEnd

; A file that could not be replaced (NSIS has named it): the copy closed is started again as
; it is, and a silent install ends with the code of a program in use.
Function .onInstFailed
  SetErrorLevel ${EXIT_IN_USE}
  Call StartClosedCopy
FunctionEnd

; Deletes the start-with-Windows shortcut $0 if it starts a program in $INSTDIR; a portable
; copy's shortcut of the same name stays.
Function un.DeleteStartupLinkIntoFolder
  StrCpy $R0 ""
  System::Call 'ole32::CoInitialize(p 0) i .r2'
  System::Call 'ole32::CoCreateInstance(g "{00021401-0000-0000-C000-000000000046}", p 0, i 1, \
                g "{000214F9-0000-0000-C000-000000000046}", *p .r3) i .r4'  ; IShellLinkW
  ${If} $4 == 0
    System::Call '$3->0(g "{0000010B-0000-0000-C000-000000000046}", *p .r4) i .r5'  ; IPersistFile
    ${If} $5 == 0
      System::Call '$4->5(w r0, i 0) i .r5'  ; Load
      ${If} $5 == 0
        System::Call '$3->3(w .R0, i ${NSIS_MAX_STRLEN}, p 0, i 0)'  ; GetPath
      ${EndIf}
      System::Call '$4->2()'
    ${EndIf}
    System::Call '$3->2()'
  ${EndIf}
  ${If} $2 >= 0
    System::Call 'ole32::CoUninitialize()'
  ${EndIf}
  ${GetParent} $R0 $R0
  Call un.FolderIdentity
  ${If} $R0 != ""
  ${AndIf} $R0 == $FolderId
    Delete $0
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  SetAutoClose true
  Call un.CloseRunningCopy
  ; The one the start-with-Windows option writes, and the name earlier versions used.
  StrCpy $0 "$SMSTARTUP\tessara2.lnk"
  Call un.DeleteStartupLinkIntoFolder
  StrCpy $0 "$SMSTARTUP\Tessara.lnk"
  Call un.DeleteStartupLinkIntoFolder
  !insertmacro PROGRAM_FILES Delete
  RMDir "$INSTDIR\licenses"
  Delete "$SMPROGRAMS\Tessara.lnk"
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Also remove your tessaras, their tiles and looks (tessara.ini, tswin.ini and the settings folder in $INSTDIR)?" \
    /SD IDNO IDNO keep
    Delete "$INSTDIR\tessara.ini"
    Delete "$INSTDIR\tswin.ini"
    ; What a save cut short left: "<file>.tmp<process id>"; those in settings go with it.
    Delete "$INSTDIR\tessara.ini.tmp*"
    Delete "$INSTDIR\tswin.ini.tmp*"
    RMDir /r "$INSTDIR\settings"
  keep:
  ; Only now that every question is answered: until then the entry can start this again.
  DeleteRegKey HKCU "${UNINST_KEY}"
  ; Last, so that its absence tells that everything else is done.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
