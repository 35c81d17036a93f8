; The Windows setup program: installs the saver for all users into the folder
; where Windows lists 32-bit screen savers, optionally makes it the screen
; saver of the user who started setup, and registers an uninstaller. It
; records each file it puts down, so that neither an upgrade nor the
; uninstaller touches a file of the user's.
;
; Options: /S silent; /KEEPSAVER leaves the user's choice of screen saver
; alone. Uninstaller: /S; /REMOVESETTINGS removes the settings as well.
;
; Built by scripts/package.sh, which passes:
;   VERSION, FILE_VERSION, PRODUCT, PUBLISHER  release facts of the version resource
;   STAGE        folder holding the files to install and files.nsh, the
;                generated list of the saver's files with their sizes
;   ESTIMATED_KB size of the installed files, for Apps / Add or Remove Programs
;   OUTFILE      the setup program to write
;   SIGN         (when a certificate is given) the command that signs a
;                program in place: scripts/sign.sh
;
; Exit codes: 0 done; 1 cancelled by the user; 2 stopped before changing
; anything (no administrator rights, the saver in use, a newer version
; installed) or stopped by a file that could not be written. The uninstaller
; answers 3010 when a file in use goes only at the next restart.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvella"
; One value per file setup put into the saver folder: its size and
; last-write time as setup left it ("size high low").
!define FILES_KEY "Software\Morvella\Installed files"
; Where setup put the saver, and the Start menu entry of the object window
; (its name is in the language of the setup that made it).
!define MORVELLA_KEY "Software\Morvella"
!define DESKTOP_KEY "Control Panel\Desktop"
; SystemParametersInfo: switch screen saving on, store it and tell every window.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3
!define ERROR_SHARING_VIOLATION 32
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
!define MOVEFILE_DELAY_UNTIL_REBOOT 4
; HKEY_LOCAL_MACHINE as a handle, sign-extended as 64-bit Windows has it.
!define HKLM_HANDLE -2147483646
!define SESSION_MANAGER_KEY "SYSTEM\CurrentControlSet\Control\Session Manager"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The uninstaller is signed as makensis makes it, before it goes into the
; setup program; the setup program once it is written. A failed signature
; fails the build.
!ifdef SIGN
  !uninstfinalize '"${SIGN}" -n "${PRODUCT} Uninstall" "%1"' = 0
  !finalize '"${SIGN}" -n "${PRODUCT} ${VERSION} Setup" "%1"' = 0
!endif
; The uninstaller, the read-me texts and the object window (with the
; licences of the libraries in it) go here; the saver itself goes to the
; screen-saver folder, found at run time.
InstallDir "$PROGRAMFILES\Morvella"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${FILE_VERSION}"
VIFileVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 The Morvella developers"

Var SaverDir   ; where the saver's files live: System32 or SysWOW64
Var UserSid    ; the user who started the program, when not its own account
Var LegacyTime ; the one time of the files of an install that kept no record
; A file setup cannot write stops it (in silent mode as well) instead of
; being skipped into a mixed install.
AllowSkipFiles off

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SecSaverName ${LANG_ENGLISH} "Morvella screen saver (required)"
LangString SecSaverName ${LANG_JAPANESE} "Morvella スクリーンセーバー (必須)"
LangString SecCurrentName ${LANG_ENGLISH} "Make Morvella my screen saver"
LangString SecCurrentName ${LANG_JAPANESE} "Morvella を現在のスクリーンセーバーにする"
LangString SecUnSettingsName ${LANG_ENGLISH} "Remove my settings (morvella.ini)"
LangString SecUnSettingsName ${LANG_JAPANESE} "設定も削除する (morvella.ini)"
LangString NewerInstalled ${LANG_ENGLISH} "${PRODUCT} $0 is installed, newer than this version ${VERSION}. Replace it with the older version?"
LangString NewerInstalled ${LANG_JAPANESE} "このバージョン ${VERSION} より新しい ${PRODUCT} $0 がインストールされています。古いバージョンで置き換えますか?"
LangString NeedAdmin ${LANG_ENGLISH} "Administrator rights are needed: ${PRODUCT} is installed for every user of this PC. Log on as an administrator, or run this program as one, and try again."
LangString NeedAdmin ${LANG_JAPANESE} "管理者の権限が必要です (${PRODUCT} はこの PC のすべてのユーザーにインストールされます)。管理者としてログオンするか、管理者としてこのプログラムを実行して、もう一度お試しください。"
LangString SaverInUse ${LANG_ENGLISH} "${PRODUCT} is in use: its preview or its settings dialog is open, or the screen saver did not close. Close the Screen Saver settings and click Retry. Cancel leaves everything as it is."
LangString SaverInUse ${LANG_JAPANESE} "${PRODUCT} が使用中です (プレビューまたは設定ダイアログが開いているか、スクリーンセーバーが終了しませんでした)。スクリーンセーバーの設定を閉じてから [再試行] をクリックしてください。[キャンセル] では何も変更しません。"
LangString KeptFile ${LANG_ENGLISH} "Kept $SaverDir\$R0: it is not as setup left it (your own file, or changed since)"
LangString KeptFile ${LANG_JAPANESE} "$SaverDir\$R0 は残しました: セットアップが置いたときから変わっています (ご自分のファイル、または変更されたファイル)"
LangString ReplacedSaver ${LANG_ENGLISH} "Replacing $SaverDir\$R0, which another copy of ${PRODUCT} put there"
LangString ReplacedSaver ${LANG_JAPANESE} "別にコピーされた ${PRODUCT} の $SaverDir\$R0 を置き換えます"
LangString RemovedAtRestart ${LANG_ENGLISH} "$SaverDir\$R0 is in use; it goes when Windows restarts"
LangString RemovedAtRestart ${LANG_JAPANESE} "$SaverDir\$R0 は使用中です。Windows の再起動時に削除されます"
LangString ObjectShortcut ${LANG_ENGLISH} "Morvella — your own object"
LangString ObjectShortcut ${LANG_JAPANESE} "Morvella — 自分のオブジェクト"
LangString RestartNeeded ${LANG_ENGLISH} "A file of ${PRODUCT} was in use (its preview, its settings dialog or its object window is open) and is removed when Windows restarts. Restart now?"
LangString RestartNeeded ${LANG_JAPANESE} "${PRODUCT} のファイルが使用中でした (プレビュー、設定ダイアログまたは「自分のオブジェクト」のウィンドウが開いています)。このファイルは Windows の再起動時に削除されます。今すぐ再起動しますか?"

; The folder where Windows lists 32-bit screen savers. On 64-bit Windows a
; 32-bit program's System32 is redirected to SysWOW64 while Windows itself
; reads the real System32 from a saver path, so the path must name SysWOW64
; outright. GetSystemWow64Directory answers that folder on 64-bit Windows and
; fails on 32-bit Windows, where System32 is the place.
!macro FIND_SAVER_DIR un
Function ${un}FindSaverDir
  System::Call 'kernel32::GetSystemWow64DirectoryW(w .r0, i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 = 0
    StrCpy $0 $SYSDIR
  ${EndIf}
  StrCpy $SaverDir $0
FunctionEnd
!macroend
!insertmacro FIND_SAVER_DIR ""
!insertmacro FIND_SAVER_DIR "un."

; Everything goes into the system folder and every user's list of programs:
; a limited account would meet an error for each file and install nothing.
!macro CHECK_ADMIN un
Function ${un}CheckAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedAdmin)" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CHECK_ADMIN ""
!insertmacro CHECK_ADMIN "un."

; The user who started the program. A standard user who types in an
; administrator's name and password at the elevation prompt gets a program
; that runs as the administrator, whose HKCU is not the user's; the desktop
; session still belongs to the user. $UserSid is that user's SID when it is
; not this program's own account, and empty when it is (or cannot be told):
; HKCU is then the right place.
!macro FIND_STARTING_USER un
Function ${un}FindStartingUser
  StrCpy $UserSid ""
  ; The session's user, as DOMAIN\name (WTSUserName 5, WTSDomainName 7).
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 5, *p .r1, *i .r2) i .r0'
  StrCmp $0 0 done
  System::Call '*$1(&w${NSIS_MAX_STRLEN} .r3)'
  System::Call 'wtsapi32::WTSFreeMemory(p r1)'
  StrCmp $3 "" done
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i -1, i 7, *p .r1, *i .r2) i .r0'
  ${If} $0 <> 0
    System::Call '*$1(&w${NSIS_MAX_STRLEN} .r4)'
    System::Call 'wtsapi32::WTSFreeMemory(p r1)'
    StrCmp $4 "" +2
    StrCpy $3 "$4\$3"
  ${EndIf}
  System::Alloc 256
  Pop $5
  System::Call 'advapi32::LookupAccountNameW(p 0, w r3, p r5, *i 256, w .r6, *i ${NSIS_MAX_STRLEN}, *i .r7) i .r0'
  StrCpy $8 ""
  ${If} $0 <> 0
    System::Call 'advapi32::ConvertSidToStringSidW(p r5, *p .r1) i .r0'
    ${If} $0 <> 0
      System::Call '*$1(&w${NSIS_MAX_STRLEN} .r8)'
      System::Call 'kernel32::LocalFree(p r1)'
    ${EndIf}
  ${EndIf}
  ; This program's own account (TokenUser 1; TOKEN_QUERY 8).
  StrCpy $9 ""
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r0'
  ${If} $0 <> 0
    System::Call 'advapi32::GetTokenInformation(p r1, i 1, p r5, i 256, *i .r2) i .r0'
    System::Call 'kernel32::CloseHandle(p r1)'
    ${If} $0 <> 0
      System::Call '*$5(p .r6)'
      System::Call 'advapi32::ConvertSidToStringSidW(p r6, *p .r1) i .r0'
      ${If} $0 <> 0
        System::Call '*$1(&w${NSIS_MAX_STRLEN} .r9)'
        System::Call 'kernel32::LocalFree(p r1)'
      ${EndIf}
    ${EndIf}
  ${EndIf}
  System::Free $5
  ${If} $8 != ""
  ${AndIf} $9 != ""
  ${AndIf} $8 != $9
    StrCpy $UserSid $8
  ${EndIf}
  done:
FunctionEnd
!macroend
!insertmacro FIND_STARTING_USER ""
!insertmacro FIND_STARTING_USER "un."

; $R0: a file name in the saver folder. Sets $R1 to "size high low", the
; file's size and last-write time as they are now, or to "" when there is
; no such file.
!macro FILE_STATE un
Function ${un}FileState
  Push $R2
  Push $R3
  Push $R4
  StrCpy $R1 ""
  ClearErrors
  FileOpen $R2 "$SaverDir\$R0" r
  ${IfNot} ${Errors}
    FileSeek $R2 0 END $R3
    FileClose $R2
    GetFileTime "$SaverDir\$R0" $R2 $R4
    ; Printed signed; made unsigned so one time has one spelling.
    IntFmt $R2 "%u" $R2
    IntFmt $R4 "%u" $R4
    StrCpy $R1 "$R3 $R2 $R4"
  ${EndIf}
  Pop $R4
  Pop $R3
  Pop $R2
FunctionEnd
!macroend
!insertmacro FILE_STATE ""
!insertmacro FILE_STATE "un."

!define WM_CLOSE_MESSAGE 0x10
!macro CLOSE_RUNNING_SAVER un
; $R0 = 1 when the saver file is a running program's (the saver, its
; preview, its settings dialog): Windows then refuses to open it for writing.
Function ${un}SaverInUse
  Push $R1
  Push $R2
  StrCpy $R0 0
  System::Call 'kernel32::CreateFileW(w "$SaverDir\morvella.scr", i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .R1 ?e'
  Pop $R2
  ${If} $R1 = -1
    ${If} $R2 = ${ERROR_SHARING_VIOLATION}
      StrCpy $R0 1
    ${EndIf}
  ${Else}
    System::Call 'kernel32::CloseHandle(p R1)'
  ${EndIf}
  Pop $R2
  Pop $R1
FunctionEnd

; A running full-screen Morvella is asked to close, as a key press would,
; and given a few seconds to go. A saver window of another program (the same
; class and title are every saver's) is left alone.
Function ${un}CloseRunningSaver
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrCpy $R2 0
  ${Do}
    StrCpy $R3 0
    StrCpy $R4 0
    ${Do}
      System::Call 'user32::FindWindowExW(p 0, p R4, w "WindowsScreenSaverClass", w "Screen Saver") p .R4'
      ${If} $R4 == 0
        ${ExitDo}
      ${EndIf}
      Call ${un}IsMorvellaWindow
      ${If} $R5 = 1
        System::Call 'user32::PostMessageW(p R4, i ${WM_CLOSE_MESSAGE}, p 0, p 0)'
        IntOp $R3 $R3 + 1
      ${EndIf}
    ${Loop}
    ${If} $R3 = 0
    ${OrIf} $R2 >= 40
      ${ExitDo}
    ${EndIf}
    Sleep 250
    IntOp $R2 $R2 + 1
  ${Loop}
  ; A saver that was asked to close may take a moment after its window to
  ; end and let go of its file.
  ${If} $R2 > 0
    ${Do}
      Push $R0
      Call ${un}SaverInUse
      StrCpy $R3 $R0
      Pop $R0
      ${If} $R3 = 0
      ${OrIf} $R2 >= 80
        ${ExitDo}
      ${EndIf}
      Sleep 250
      IntOp $R2 $R2 + 1
    ${Loop}
  ${EndIf}
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
FunctionEnd

; $R4: a saver window. $R5 = 0 when its program is known and is not
; morvella.scr, 1 otherwise.
Function ${un}IsMorvellaWindow
  Push $R6
  Push $R7
  Push $R8
  StrCpy $R5 1
  System::Call 'user32::GetWindowThreadProcessId(p R4, *i .R6)'
  System::Call 'kernel32::OpenProcess(i 0x410, i 0, i R6) p .R7'
  ${If} $R7 != 0
    System::Call 'psapi::GetModuleFileNameExW(p R7, p 0, w .R8, i ${NSIS_MAX_STRLEN}) i .R6'
    System::Call 'kernel32::CloseHandle(p R7)'
    ${If} $R6 <> 0
      ${GetFileName} $R8 $R8
      ${If} $R8 != "morvella.scr"
        StrCpy $R5 0
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $R8
  Pop $R7
  Pop $R6
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_SAVER ""
!insertmacro CLOSE_RUNNING_SAVER "un."

!include "${STAGE}/files.nsh"

; ---- installer ----

; $R0: a saver file, $R5: the state of the one this setup carries. Sets $R9
; to 1 when the file may be put down: there is none, or it is as this setup
; (or an earlier one) left it, or it is the very file carried. Any other
; file is the user's (their own object, a changed sample) and is kept.
Function MayReplace
  Call FileState
  ReadRegStr $R4 HKLM "${FILES_KEY}" $R0
  StrCpy $R9 1
  ${If} $R1 == ""
  ${OrIf} $R1 == $R4
  ${OrIf} $R1 == $R5
    Return
  ${EndIf}
  ; Put down by a setup that kept no record: all its files carry one time.
  ${If} $LegacyTime != ""
    GetFileTime "$SaverDir\$R0" $R2 $R3
    IntFmt $R2 "%u" $R2
    IntFmt $R3 "%u" $R3
    StrCmp "$R2 $R3" $LegacyTime 0 +2
    Return
  ${EndIf}
  ; The saver program is always this version's: a copy put there by hand is
  ; an older Morvella, and the saver chosen below must be the one installed.
  ${If} $R0 == "morvella.scr"
    DetailPrint "$(ReplacedSaver)"
    Return
  ${EndIf}
  StrCpy $R9 0
  DetailPrint "$(KeptFile)"
  DeleteRegValue HKLM "${FILES_KEY}" $R0
FunctionEnd

; What Windows is to delete at the next start lies in
; PendingFileRenameOperations: pairs of names, source ("\??\C:\...") then
; target (empty for a delete). A pair whose source is a file this setup puts
; down, or the program's folder, left there by an uninstall that could not
; finish, would undo this install at that start: it is dropped.
!macro PENDING_IS_SAVER_FILE NAME SOURCE SIZE
  StrCmp $R6 "$SaverDir\${NAME}" own
!macroend
Function IsOwnPending
  StrCpy $R7 0
  StrCpy $R9 $R6 4
  StrCmp $R9 "\??\" 0 +2
  StrCpy $R6 $R6 "" 4
  StrCmp $R6 "$INSTDIR\uninstall.exe" own
  StrCmp $R6 "$INSTDIR\morvella-object.exe" own
  StrCmp $R6 "$INSTDIR" own
  StrCmp $R6 "$INSTDIR\" own
  !insertmacro MORVELLA_SAVER_FILES PENDING_IS_SAVER_FILE
  Return
  own:
  StrCpy $R7 1
FunctionEnd

Function ForgetPendingDeletes
  System::Call 'advapi32::RegOpenKeyExW(p ${HKLM_HANDLE}, w "${SESSION_MANAGER_KEY}", i 0, i 3, *p .r1) i .r0'
  StrCmp $0 0 0 done
  System::Call 'advapi32::RegQueryValueExW(p r1, w "PendingFileRenameOperations", p 0, *i .r2, p 0, *i .r3) i .r0'
  ${If} $0 = 0
  ${AndIf} $2 = 7
  ${AndIf} $3 > 0
    IntOp $4 $3 + 4
    ; Zero-filled, so both lists end in empty names.
    System::Alloc $4
    Pop $5
    System::Alloc $4
    Pop $6
    System::Call 'advapi32::RegQueryValueExW(p r1, w "PendingFileRenameOperations", p 0, p 0, p r5, *i r3) i .r0'
    StrCpy $7 $5
    StrCpy $8 $6
    IntPtrOp $9 $5 + $3
    StrCpy $R8 0
    ${DoWhile} $7 P< $9
      System::Call 'kernel32::lstrlenW(p r7) i .R1'
      ${If} $R1 = 0
        ${ExitDo}
      ${EndIf}
      IntOp $R2 $R1 + 1
      IntOp $R2 $R2 * 2
      IntPtrOp $R3 $7 + $R2
      System::Call 'kernel32::lstrlenW(p R3) i .R4'
      IntOp $R5 $R4 + 1
      IntOp $R5 $R5 * 2
      System::Call '*$7(&w${NSIS_MAX_STRLEN} .R6)'
      Call IsOwnPending
      IntOp $R9 $R2 + $R5
      ${If} $R7 = 1
        IntOp $R8 $R8 + 1
      ${Else}
        System::Call 'kernel32::RtlMoveMemory(p r8, p r7, p R9)'
        IntPtrOp $8 $8 + $R9
      ${EndIf}
      IntPtrOp $7 $7 + $R9
    ${Loop}
    ${If} $R8 > 0
      IntPtrOp $R9 $8 - $6
      ${If} $R9 = 0
        System::Call 'advapi32::RegDeleteValueW(p r1, w "PendingFileRenameOperations")'
      ${Else}
        IntOp $R9 $R9 + 2
        System::Call 'advapi32::RegSetValueExW(p r1, w "PendingFileRenameOperations", i 0, i 7, p r6, i R9)'
      ${EndIf}
    ${EndIf}
    System::Free $5
    System::Free $6
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p r1)'
  done:
FunctionEnd

; An earlier setup that recorded nothing put its files down with the one
; time its package gave them all; the saver program it installed shows that
; time. Files of that time are taken for that setup's, the rest (the user's
; own, or changed since) are kept.
Function FindLegacyTime
  StrCpy $LegacyTime ""
  ClearErrors
  EnumRegValue $0 HKLM "${FILES_KEY}" 0
  ${If} ${Errors}
  ${OrIf} $0 == ""
    ReadRegStr $0 HKLM "${UNINST_KEY}" "DisplayVersion"
    ClearErrors
    GetFileTime "$SaverDir\morvella.scr" $1 $2
    ${If} $0 != ""
    ${AndIfNot} ${Errors}
      IntFmt $1 "%u" $1
      IntFmt $2 "%u" $2
      StrCpy $LegacyTime "$1 $2"
    ${EndIf}
  ${EndIf}
FunctionEnd

!macro PUT_SAVER_FILE NAME SOURCE SIZE
  StrCpy $R0 "${NAME}"
  ; The staged file's time. File keeps times to two seconds, so
  ; scripts/package.sh stages every file with an even time: the file put
  ; down then shows this very time.
  GetFileTimeLocal "${SOURCE}" $R2 $R3
  IntFmt $R2 "%u" $R2
  IntFmt $R3 "%u" $R3
  StrCpy $R5 "${SIZE} $R2 $R3"
  Call MayReplace
  ${If} $R9 = 1
    File "${SOURCE}"
    Call FileState
    WriteRegStr HKLM "${FILES_KEY}" $R0 $R1
  ${EndIf}
!macroend

Section "$(SecSaverName)" SecSaver
  SectionIn RO
  ; Nothing is changed while the saver's file is in use: it could not be
  ; replaced, and the rest would belong to another version.
  Call CloseRunningSaver
  ${Do}
    Call SaverInUse
    ${If} $R0 = 0
      ${ExitDo}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(SaverInUse)" /SD IDCANCEL IDRETRY retry
    DetailPrint "$(SaverInUse)"
    SetErrorLevel 2
    Abort
    retry:
    Call CloseRunningSaver
  ${Loop}

  Call ForgetPendingDeletes
  Call FindLegacyTime
  SetOverwrite on
  SetOutPath $SaverDir
  ; The saver program first: should it fail, nothing else has changed.
  !insertmacro MORVELLA_SAVER_FILES PUT_SAVER_FILE
  SetOutPath $INSTDIR
  File "${STAGE}/readme-en.txt"
  File "${STAGE}/readme-ja.txt"
  File "${STAGE}/LICENSE.txt"
  File "${STAGE}/morvella-object.exe"
  File "${STAGE}/THIRD-PARTY.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The object window looks for the saver here when the user's settings
  ; name no Morvella.
  WriteRegStr HKLM "${MORVELLA_KEY}" "SaverFolder" "$SaverDir"
  ; The Start menu entry of every user, in this setup's language: one made
  ; in the other language by an earlier setup goes first.
  SetShellVarContext all
  ReadRegStr $0 HKLM "${MORVELLA_KEY}" "StartMenuEntry"
  ${If} $0 != ""
    Delete $0
  ${EndIf}
  CreateShortCut "$SMPROGRAMS\$(ObjectShortcut).lnk" "$INSTDIR\morvella-object.exe"
  WriteRegStr HKLM "${MORVELLA_KEY}" "StartMenuEntry" "$SMPROGRAMS\$(ObjectShortcut).lnk"
  SetShellVarContext current

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  ; The uninstaller normally hands its work to a copy of itself in the temp
  ; folder and returns at once; with _?= it works in place and returns when
  ; done. _?= must come last.
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" ${ESTIMATED_KB}
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section "$(SecCurrentName)" SecCurrent
  ; Only a saver this setup has put in place is ever chosen.
  StrCpy $R0 "morvella.scr"
  Call FileState
  ReadRegStr $R4 HKLM "${FILES_KEY}" $R0
  ${If} $R1 == ""
  ${OrIf} $R1 != $R4
    Return
  ${EndIf}
  ${If} $UserSid == ""
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverDir\morvella.scr"
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
  ${Else}
    ; Elevated as another account: the choice goes into the settings of the
    ; user who started setup, whose profile is loaded while they are logged on.
    WriteRegStr HKU "$UserSid\${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverDir\morvella.scr"
    WriteRegStr HKU "$UserSid\${DESKTOP_KEY}" "ScreenSaveActive" "1"
  ${EndIf}
SectionEnd

Function .onInit
  Call CheckAdmin
  Call FindSaverDir
  Call FindStartingUser
  ; /KEEPSAVER leaves the user's choice of screen saver as it is.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/KEEPSAVER" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecCurrent} 0
  ${EndIf}
  ; Same or older version installed: upgrade in place. A newer one is only
  ; replaced when the user says so; a silent install leaves it alone.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 = 1
      MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(NewerInstalled)" /SD IDNO IDYES +3
      SetErrorLevel 2
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---- uninstaller ----

; $R0: a file of setup's in the saver folder. One in use (the saver's
; preview or settings dialog) cannot go now: it is renamed to a name of its
; own and that name goes at the next restart, so that a Morvella installed
; before the restart is not deleted with it.
Function un.RemoveFile
  Push $R2
  Delete "$SaverDir\$R0"
  ${If} ${FileExists} "$SaverDir\$R0"
    GetTempFileName $R2 $SaverDir
    Delete $R2
    ClearErrors
    Rename "$SaverDir\$R0" $R2
    ${If} ${Errors}
      StrCpy $R2 "$SaverDir\$R0"
    ${EndIf}
    Delete /REBOOTOK $R2
    DetailPrint "$(RemovedAtRestart)"
  ${EndIf}
  Pop $R2
FunctionEnd

; The user's screen saver is cleared only while it still names this copy (in
; the long form $R5 or the short form $R6 of its path): a saver chosen since
; then, or a copy of Morvella elsewhere, stays chosen. Every logged-on user
; is looked at, the one who started the uninstaller among them.
Function un.ForgetSaverChoice
  StrCpy $1 0
  ${Do}
    ClearErrors
    EnumRegKey $2 HKU "" $1
    ${If} ${Errors}
    ${OrIf} $2 == ""
      ${ExitDo}
    ${EndIf}
    IntOp $1 $1 + 1
    ReadRegStr $0 HKU "$2\${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 != ""
      ${If} $0 == $R5
      ${OrIf} $0 == $R6
        DeleteRegValue HKU "$2\${DESKTOP_KEY}" "SCRNSAVE.EXE"
      ${EndIf}
    ${EndIf}
  ${Loop}
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != ""
    ${If} $0 == $R5
    ${OrIf} $0 == $R6
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Run in place (the waiting form, _?=), the uninstaller is a running program
; that holds its own file open: neither it nor its folder can go until it
; has ended. Both are left to the next restart, which nothing of the saver
; needs; a later install drops that delete again (ForgetPendingDeletes).
Function un.RemoveUninstaller
  Delete "$INSTDIR\uninstall.exe"
  ; A folder that is the current directory cannot be removed.
  SetOutPath $TEMP
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR\uninstall.exe", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
  ${ElseIf} ${FileExists} "$INSTDIR\morvella-object.exe"
    ; The object window was open: its file goes at the restart, then the folder.
    System::Call 'kernel32::MoveFileExW(w "$INSTDIR", p 0, i ${MOVEFILE_DELAY_UNTIL_REBOOT})'
  ${EndIf}
FunctionEnd

Section "-un.Saver"
  Call un.CloseRunningSaver
  ; The saver path's two spellings, read while the file is there.
  StrCpy $R5 "$SaverDir\morvella.scr"
  GetFullPathName /SHORT $R6 $R5
  ; Only what setup put down and is still as setup left it goes; a file
  ; changed since (the user's own object or bitmap) is kept.
  StrCpy $R7 0
  ${Do}
    ClearErrors
    EnumRegValue $R0 HKLM "${FILES_KEY}" $R7
    ${If} ${Errors}
    ${OrIf} $R0 == ""
      ${ExitDo}
    ${EndIf}
    IntOp $R7 $R7 + 1
    Call un.FileState
    ReadRegStr $R4 HKLM "${FILES_KEY}" $R0
    ${If} $R1 == ""
      ; gone already
    ${ElseIf} $R1 == $R4
      Call un.RemoveFile
    ${Else}
      DetailPrint "$(KeptFile)"
    ${EndIf}
  ${Loop}
  ${IfNot} ${FileExists} $R5
    Call un.ForgetSaverChoice
  ${EndIf}

  Delete "$INSTDIR\readme-en.txt"
  Delete "$INSTDIR\readme-ja.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  ; The object window may be open: then it goes at the next restart.
  Delete /REBOOTOK "$INSTDIR\morvella-object.exe"
  ReadRegStr $0 HKLM "${MORVELLA_KEY}" "StartMenuEntry"
  ${If} $0 != ""
    Delete $0
  ${EndIf}
  Call un.RemoveUninstaller
  DeleteRegKey HKLM "${FILES_KEY}"
  DeleteRegValue HKLM "${MORVELLA_KEY}" "SaverFolder"
  DeleteRegValue HKLM "${MORVELLA_KEY}" "StartMenuEntry"
  DeleteRegKey /ifempty HKLM "${MORVELLA_KEY}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  IfRebootFlag 0 +2
  SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
SectionEnd

Section /o "un.$(SecUnSettingsName)" SecUnSettings
  Delete "$WINDIR\morvella.ini"
  ; Windows Vista and later keep what a 32-bit program without a manifest
  ; writes into the Windows folder in the user's VirtualStore: the saver's
  ; settings live there. The path below the drive is kept.
  StrCpy $0 $WINDIR "" 2
  StrCpy $1 $LOCALAPPDATA
  ${If} $UserSid != ""
    ReadRegStr $1 HKU "$UserSid\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders" "Local AppData"
  ${EndIf}
  ${If} $1 != ""
    Delete "$1\VirtualStore$0\morvella.ini"
  ${EndIf}
SectionEnd

Function un.onInit
  Call un.CheckAdmin
  Call un.FindSaverDir
  Call un.FindStartingUser
  ; Silent uninstalls keep the settings unless the command line asks.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onUninstSuccess
  IfRebootFlag 0 done
  MessageBox MB_YESNO|MB_ICONINFORMATION "$(RestartNeeded)" /SD IDNO IDNO done
  Reboot
  done:
FunctionEnd
