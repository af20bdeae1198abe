; The per-user installer: no administrator needed. Installs the package
; folder into %LOCALAPPDATA%\Programs\PavluneCards, adds a Start-menu entry and
; an entry under "Apps" with an uninstaller. Saved programs live elsewhere
; (%LOCALAPPDATA%\PavluneApps) and are never removed.
;
;   makensis -DSTAGE=<package folder> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> installer.nsi

; A 64-bit installer for 64-bit programs (and it runs under wine64).
Target amd64-unicode
!include "MUI2.nsh"

!define PRODUCT "PavluneCards"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma

!define MUI_ICON "${STAGE}\res\icons\pavlune-cards.ico"
!define MUI_UNICON "${STAGE}\res\icons\pavlune-cards.ico"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\pavlune-cards.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\pavlune-cards.exe" "" "$INSTDIR\pavlune-cards.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "PavluneCards developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pavlune-cards.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ; Only what the installer put there: a folder chosen by hand may hold more.
  Delete "$INSTDIR\pavlune-cards.exe"
  Delete "$INSTDIR\pavlune-export.exe"
  Delete "$INSTDIR\libplist-2.0.dll"
  RMDir /r "$INSTDIR\res"
  RMDir /r "$INSTDIR\fonts"
  RMDir /r "$INSTDIR\copyright"
  RMDir /r "$INSTDIR\licences"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
