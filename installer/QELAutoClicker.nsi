; The Windows edition's installer, built on Linux with NSIS (makensis) by
; scripts/build-release.sh:
;   makensis -DVERSION=2.4 -DEXE=path\QELAutoClicker.exe -DTRANSL=path\transl.dt
;            -DOUTFILE=QELAutoClicker-2.4-setup.exe installer/QELAutoClicker.nsi
; It installs for the current user alone, without elevation. /S (the update path) waits
; for the running program to end, replaces it and starts the new version. Settings,
; macros and the chosen language live in the user's data folder and registry key, which
; neither an upgrade nor an uninstall touches unless the user asks for their removal.
Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "-DVERSION=... is required"
!endif
!ifndef EXE
  !error "-DEXE=... (the program) is required"
!endif
!ifndef TRANSL
  !error "-DTRANSL=... (transl.dt) is required"
!endif
; Four numbers for the version resource: 2.4 becomes 2.4.0.0.
!ifndef FILEVERSION
  !define FILEVERSION "${VERSION}.0.0"
!endif
!ifndef OUTFILE
  !define OUTFILE "QELAutoClicker-${VERSION}-setup.exe"
!endif

!define APP "QEL Auto Clicker"
!define PUBLISHER "QEL Auto Clicker"
!define EXENAME "QELAutoClicker.exe"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QELAutoClicker"
!define DATAKEY "Software\QEL Auto Clicker"
; The class of the program's windows: while one exists, the program runs.
!define WINDOWCLASS "QELWindow"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTKEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXENAME}"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!include "languages.nsh"

VIProductVersion "${FILEVERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APP}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APP} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

; Waits until no window of the program is left: the update path starts this installer
; just before the program ends. Silent, it gives up after a minute; otherwise the user
; is asked to close the program.
!macro WaitForProgram un
Function ${un}WaitForProgram
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOWCLASS}"
    ${If} $0 = 0
      Return
    ${EndIf}
    ${If} $1 >= 120
      IfSilent 0 +2
        Abort
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" IDRETRY +2
        Abort
      StrCpy $1 0
    ${EndIf}
    Sleep 500
    IntOp $1 $1 + 1
  ${Loop}
FunctionEnd
!macroend
!insertmacro WaitForProgram ""
!insertmacro WaitForProgram "un."

Section "!$(SecProgram)" SecProgram
  SectionIn RO
  Call WaitForProgram
  SetOutPath "$INSTDIR"
  File "/oname=${EXENAME}" "${EXE}"
  File "/oname=transl.dt" "${TRANSL}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXENAME}"

  WriteRegStr HKCU "${UNINSTKEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\${EXENAME},0"
  WriteRegStr HKCU "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKCU "${UNINSTKEY}" "URLInfoAbout" "https://qel-autoclicker.app"
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTKEY}" "EstimatedSize" "$0"
SectionEnd

Section "$(SecDesktop)" SecDesktop
  CreateShortcut "$DESKTOP\${APP}.lnk" "$INSTDIR\${EXENAME}"
SectionEnd

Section "-StartAfterUpdate"
  ; The update path: the new version takes the place of the one that just ended.
  IfSilent 0 +2
    Exec '"$INSTDIR\${EXENAME}"'
SectionEnd

Function .onInit
  ; An update keeps the user's choice: no new desktop shortcut where there was none.
  IfSilent 0 done
    IfFileExists "$DESKTOP\${APP}.lnk" done
      SectionSetFlags ${SecDesktop} 0
  done:
FunctionEnd

Section "un.$(SecProgram)" UnSecProgram
  SectionIn RO
  Call un.WaitForProgram
  Delete "$INSTDIR\${EXENAME}"
  Delete "$INSTDIR\transl.dt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$DESKTOP\${APP}.lnk"
  DeleteRegKey HKCU "${UNINSTKEY}"
SectionEnd

Section /o "un.$(SecRemoveData)" UnSecRemoveData
  RMDir /r "$APPDATA\${APP}"
  DeleteRegKey HKCU "${DATAKEY}"
SectionEnd
