; The setup program: puts tavrixsaver.scr into the Windows folder, makes it the active screen saver and
; writes an uninstaller that takes it away again and gives back the saver that was active before.
;
; Built twice from this script, as the saver itself is: x86-ansi, which loads on Windows 95 and later,
; bundling the 32-bit saver; and with TWIN defined, amd64-unicode bundling the 64-bit twin, for the tests.
;   makensis -DVERSION=1.0.0 -DPUBLISHER=... -DCOPYRIGHT=... -DSAVER=tavrixsaver.scr -DICON=tavrix.ico
;            -DOUTFILE=tavrixsaver-setup.exe [-DTWIN] tavrixsaver.nsi

!ifdef TWIN
  Target amd64-unicode
!else
  Unicode false
  Target x86-ansi
!endif

!define PRODUCT "Tavrix Bildschirmschoner"
!define SAVER_FILE "tavrixsaver.scr"
!define SETTINGS_FILE "tavrixsaver.ini"
!define UNINSTALLER "tavrixsaver-uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TavrixBildschirmschoner"
!define DESKTOP_KEY "Control Panel\Desktop"
; The name under which Windows keeps the active saver, in system.ini [boot] and in DESKTOP_KEY.
!define ACTIVE_SAVER "SCRNSAVE.EXE"
!define SPI_SETSCREENSAVEACTIVE 17

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!include MUI2.nsh
!include LogicLib.nsh
!include WinVer.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Dieser Assistent installiert den ${PRODUCT} ${VERSION} in Ihren Windows-Ordner und macht ihn zu Ihrem Bildschirmschoner.$\r$\n$\r$\nIhr bisheriger Bildschirmschoner wird vorgemerkt: Wenn Sie den ${PRODUCT} wieder entfernen, wird er wieder aktiv.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
; The finish page's title and text are short: its three-line German default title and a longer text
; are cut off above the settings box.
!define MUI_FINISHPAGE_TITLE "Installation abgeschlossen"
!define MUI_FINISHPAGE_TEXT "Der ${PRODUCT} ist jetzt Ihr Bildschirmschoner. Sie finden ihn auch in den Eigenschaften der Anzeige."
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Einstellungen des Bildschirmschoners öffnen"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSettings
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "Der ${PRODUCT} wird aus Ihrem Windows-Ordner entfernt, und der Bildschirmschoner, der vor ihm aktiv war, wird wieder eingetragen. $_CLICK"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Windows-Ordner:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "OriginalFilename" "tavrixsaver-setup.exe"

; Where Windows keeps the active saver: "system.ini" ([boot], short path) on Windows 95, 98 and Me;
; "registry" (HKCU DESKTOP_KEY, long path) on the NT family.
Var SaverPlace

; The saver functions, for the installer (prefix "") and the uninstaller (prefix "un.").
!macro ActiveSaverFunctions PREFIX

  ; $0: the active saver's path as Windows keeps it; error flag when none is set.
  Function ${PREFIX}ReadActiveSaver
    ClearErrors
    ${If} $SaverPlace == "system.ini"
      ReadINIStr $0 "$WINDIR\system.ini" "boot" "${ACTIVE_SAVER}"
    ${Else}
      ReadRegStr $0 HKCU "${DESKTOP_KEY}" "${ACTIVE_SAVER}"
    ${EndIf}
  FunctionEnd

  ; Makes $0 the active saver path; an empty $0 clears it.
  Function ${PREFIX}WriteActiveSaver
    ${If} $SaverPlace == "system.ini"
      ${If} $0 == ""
        DeleteINIStr "$WINDIR\system.ini" "boot" "${ACTIVE_SAVER}"
      ${Else}
        WriteINIStr "$WINDIR\system.ini" "boot" "${ACTIVE_SAVER}" $0
      ${EndIf}
      FlushINI "$WINDIR\system.ini"
    ${ElseIf} $0 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "${ACTIVE_SAVER}"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "${ACTIVE_SAVER}" $0
    ${EndIf}
  FunctionEnd

  ; $1: our saver's path in the form its place uses.
  Function ${PREFIX}OurSaverPath
    StrCpy $1 "$INSTDIR\${SAVER_FILE}"
    ${If} $SaverPlace == "system.ini"
      GetFullPathName /SHORT $1 $1
    ${EndIf}
  FunctionEnd

  ; Sets ScreenSaveActive to $0 ("" removes it), and switches the running system's saver on or off to match
  ; (no broadcast: nothing else needs to hear of it, and a broadcast waits on every busy window).
  Function ${PREFIX}WriteSaverActive
    ${If} $0 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" $0
    ${EndIf}
    ${If} $0 == "1"
      StrCpy $2 1
    ${Else}
      StrCpy $2 0
    ${EndIf}
    System::Call "user32::SystemParametersInfo(i ${SPI_SETSCREENSAVEACTIVE}, i r2, p 0, i 0)"
  FunctionEnd

!macroend
!insertmacro ActiveSaverFunctions ""
!insertmacro ActiveSaverFunctions "un."

Function .onInit
  StrCpy $INSTDIR $WINDIR
  ${If} ${IsNT}
    StrCpy $SaverPlace "registry"
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "admin"
      MessageBox MB_OK|MB_ICONSTOP "Zur Installation des ${PRODUCT}s sind Administratorrechte erforderlich." /SD IDOK
      SetErrorLevel 740
      Quit
    ${EndIf}
  ${Else}
    StrCpy $SaverPlace "system.ini"
  ${EndIf}
FunctionEnd

; Remembers the active saver and its switch in the uninstall entry, unless the active one is already ours
; (a second installation keeps what the first one remembered).
Function RememberPreviousSaver
  Call ReadActiveSaver
  ${If} ${Errors}
    StrCpy $0 ""
  ${EndIf}
  Call OurSaverPath
  ${If} $0 == $1
  ${OrIf} $0 == "$INSTDIR\${SAVER_FILE}"
    Return
  ${EndIf}
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "PreviousSaver"
  DeleteRegValue HKLM "${UNINSTALL_KEY}" "PreviousSaverActive"
  ${If} $0 != ""
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousSaver" $0
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
  ${IfNot} ${Errors}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "PreviousSaverActive" $0
  ${EndIf}
FunctionEnd

Function WriteUninstallEntry
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${SAVER_FILE},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "SaverPlace" $SaverPlace
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
FunctionEnd

Section "Bildschirmschoner"
  SetOutPath $INSTDIR
  File "/oname=${SAVER_FILE}" "${SAVER}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  Call RememberPreviousSaver
  Call WriteUninstallEntry
  DetailPrint "Der ${PRODUCT} wird als Bildschirmschoner eingetragen"
  Call OurSaverPath
  StrCpy $0 $1
  Call WriteActiveSaver
  StrCpy $0 "1"
  Call WriteSaverActive
SectionEnd

Function OpenSettings
  Exec '"$INSTDIR\${SAVER_FILE}" /c'
FunctionEnd

Function un.onInit
  ClearErrors
  ReadRegStr $SaverPlace HKLM "${UNINSTALL_KEY}" "SaverPlace"
  ${If} ${Errors}
    ${If} ${IsNT}
      StrCpy $SaverPlace "registry"
    ${Else}
      StrCpy $SaverPlace "system.ini"
    ${EndIf}
  ${EndIf}
FunctionEnd

; If our saver is still the active one, the one before it comes back (or none, if none was set).
; A saver the user chose after the installation stays.
Function un.RestorePreviousSaver
  Call un.ReadActiveSaver
  ${If} ${Errors}
    Return
  ${EndIf}
  Call un.OurSaverPath
  ${If} $0 != $1
  ${AndIf} $0 != "$INSTDIR\${SAVER_FILE}"
    Return
  ${EndIf}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PreviousSaver"
  ${If} $0 == ""
    DetailPrint "Der ${PRODUCT} wird als Bildschirmschoner ausgetragen"
  ${Else}
    DetailPrint "Der vorherige Bildschirmschoner wird wieder eingetragen: $0"
  ${EndIf}
  Call un.WriteActiveSaver
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "PreviousSaverActive"
  Call un.WriteSaverActive
FunctionEnd

Section "Uninstall"
  Call un.RestorePreviousSaver
  Delete /REBOOTOK "$INSTDIR\${SAVER_FILE}"
  ${If} ${FileExists} "$INSTDIR\${SETTINGS_FILE}"
    MessageBox MB_YESNO|MB_ICONQUESTION "Sollen auch Ihre Einstellungen des Bildschirmschoners ($INSTDIR\${SETTINGS_FILE}) gelöscht werden?" /SD IDNO IDNO keepSettings
      Delete "$INSTDIR\${SETTINGS_FILE}"
    keepSettings:
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
