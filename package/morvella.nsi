; The Windows setup program: installs the saver for all users into the folder
; where Windows lists 32-bit screen savers, optionally makes it the current
; user's screen saver, and registers an uninstaller.
;
; Built by scripts/package.sh, which passes:
;   VERSION, FILE_VERSION, PRODUCT, PUBLISHER  release facts of the version resource
;   STAGE        folder holding the files to install and files.nsh, the
;                generated lists of the saver's files (install and delete)
;   ESTIMATED_KB size of the installed files, for Apps / Add or Remove Programs
;   OUTFILE      the setup program to write

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvella"
!define DESKTOP_KEY "Control Panel\Desktop"
; SystemParametersInfo: switch screen saving on, store it and tell every window.
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATE_AND_SEND 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; Only the uninstaller and the read-me texts go here; the saver itself goes
; to the screen-saver folder, found at run time.
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

!include "${STAGE}/files.nsh"

Function .onInit
  Call FindSaverDir
  ; Same or older version installed: upgrade in place. A newer one is only
  ; replaced when the user says so; a silent install leaves it alone.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 = 1
      MessageBox MB_YESNO|MB_ICONEXCLAMATION "$(NewerInstalled)" /SD IDNO IDYES +2
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "$(SecSaverName)" SecSaver
  SectionIn RO
  SetOverwrite on
  SetOutPath $SaverDir
  !insertmacro MORVELLA_INSTALL_SAVER_FILES
  SetOutPath $INSTDIR
  File "${STAGE}/readme-en.txt"
  File "${STAGE}/readme-ja.txt"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$SaverDir"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" ${ESTIMATED_KB}
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section "$(SecCurrentName)" SecCurrent
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SaverDir\morvella.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATE_AND_SEND})'
SectionEnd

; ---- uninstaller ----

Section "-un.Saver"
  ; The user's screen saver is cleared only while it still names this copy
  ; (in the long or the short form of its path); a saver chosen since then,
  ; or a copy of Morvella elsewhere, stays chosen.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  StrCpy $1 "$SaverDir\morvella.scr"
  GetFullPathName /SHORT $2 $1
  ${If} $0 != ""
    ${If} $0 == $1
    ${OrIf} $0 == $2
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  !insertmacro MORVELLA_DELETE_SAVER_FILES
  Delete "$INSTDIR\readme-en.txt"
  Delete "$INSTDIR\readme-ja.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd

Section /o "un.$(SecUnSettingsName)" SecUnSettings
  Delete "$WINDIR\morvella.ini"
SectionEnd

Function un.onInit
  Call un.FindSaverDir
  ; Silent uninstalls keep the settings unless the command line asks.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVESETTINGS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecUnSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
