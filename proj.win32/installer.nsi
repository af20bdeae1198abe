; The per-user installer: no administrator needed. Installs the package
; folder into %LOCALAPPDATA%\Programs\PavluneCards, adds a Start-menu entry and
; an entry under "Apps" with an uninstaller. Saved programs live elsewhere
; (%LOCALAPPDATA%\PavluneApps) and are never removed.
;
; A folder chosen by hand may hold a teacher's own files: the installer writes
; down every file and folder it makes (installed-files.txt) and the uninstaller
; removes exactly those, never a folder that still holds anything. A folder
; that holds anything but an earlier install gets a PavluneCards folder of its
; own inside it.
;
;   makensis -DSTAGE=<package folder> -DOUTFILE=<setup.exe> -DVERSION=<x.y.z> installer.nsi

; A 64-bit installer for 64-bit programs (and it runs under wine64).
Target amd64-unicode
!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "PavluneCards"
!define LIST_FILE "installed-files.txt"

; The package's files, read from STAGE when the installer is made.
!define FILES_NSH "${OUTFILE}.files.nsh"
!system 'python3 "${__FILEDIR__}/installer_files.py" "${STAGE}" "${FILES_NSH}"' = 0
!include "${FILES_NSH}"
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

; The installer's own version resource, as the programs have theirs.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "PavluneCards developers"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

LangString FolderTaken ${LANG_JAPANESE} "$INSTDIR にはほかのファイルがあります。からのフォルダーをえらんでください。"
LangString FolderTaken ${LANG_ENGLISH} "$INSTDIR holds other files. Please choose an empty folder."

; Removes what the list names: files, then the folders they were in when
; nothing else is left in them.
!macro REMOVE_LISTED un
Function ${un}RemoveListed
  ClearErrors
  FileOpen $0 "$INSTDIR\${LIST_FILE}" r
  ${If} ${Errors}
    Return
  ${EndIf}
  ${Do}
    ClearErrors
    FileReadUTF16LE $0 $1
    ${If} ${Errors}
      ${ExitDo}
    ${EndIf}
    ${Do}
      StrCpy $2 $1 1 -1
      ${If} $2 == "$\r"
      ${OrIf} $2 == "$\n"
        StrCpy $1 $1 -1
      ${Else}
        ${ExitDo}
      ${EndIf}
    ${Loop}
    ${If} $1 == ""
      ${Continue}
    ${ElseIf} $2 == "\"
      RMDir "$INSTDIR\$1"
    ${Else}
      Delete "$INSTDIR\$1"
    ${EndIf}
  ${Loop}
  FileClose $0
FunctionEnd
!macroend
!insertmacro REMOVE_LISTED ""
!insertmacro REMOVE_LISTED "un."

; $R0 = 1 when the folder $R1 holds anything and no install of ours (with
; its list, or from a version before the list: the programs and uninstaller).
Function FolderHoldsOthers
  StrCpy $R0 0
  ${If} ${FileExists} "$R1\${LIST_FILE}"
    Return
  ${EndIf}
  ${If} ${FileExists} "$R1\uninstall.exe"
  ${AndIf} ${FileExists} "$R1\pavlune-cards.exe"
    Return
  ${EndIf}
  FindFirst $R2 $R3 "$R1\*"
  ${DoWhile} $R3 != ""
    ${If} $R3 != "."
    ${AndIf} $R3 != ".."
      StrCpy $R0 1
      ${ExitDo}
    ${EndIf}
    FindNext $R2 $R3
  ${Loop}
  FindClose $R2
FunctionEnd

Section "Install"
  SetShellVarContext current
  StrCpy $R1 "$INSTDIR"
  Call FolderHoldsOthers
  ${If} $R0 == 1
    StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
    StrCpy $R1 "$INSTDIR"
    Call FolderHoldsOthers
    ${If} $R0 == 1
      MessageBox MB_ICONSTOP "$(FolderTaken)" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
  ; An earlier install's files go first, so none that this version dropped stays.
  Call RemoveListed
  CreateDirectory "$INSTDIR"
  ClearErrors
  FileOpen $9 "$INSTDIR\${LIST_FILE}" w
  ${If} ${Errors}
    Abort
  ${EndIf}
  FileWriteUTF16LE /BOM $9 ""
  !insertmacro PAVLUNE_INSTALL_FILES $9
  FileClose $9
  SetOutPath "$INSTDIR"
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
  Call un.RemoveListed
  Delete "$INSTDIR\${LIST_FILE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
