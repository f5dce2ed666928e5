; The LUMO control panel's installer for 64-bit Windows (scripts/package-windows.sh makes it):
;   makensis -WX -INPUTCHARSET UTF8 -DVERSION=2.32 -DPROGRAMS_DIR=<folder with the .exe files>
;            -DNOTES=docs/novinky_verze_2.txt -DOUTFILE=lumo-panel-2.32-setup.exe lumo-panel.nsi
; It puts lumo-hw.exe, lumo-ctl.exe, lumo-sim.exe and the release notes the panel's "Co je nového?"
; opens beside it into one folder, the panel into every user's Start menu, and an uninstaller into
; the system's list of programs. /S installs, and uninstalls, without a window; the uninstaller
; removes what was installed, and the folder when nothing else is left in it.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION | PROGRAMS_DIR | NOTES | OUTFILE
  !error "VERSION, PROGRAMS_DIR, NOTES and OUTFILE must be defined (-DNAME=VALUE)"
!endif
!macro LUMO_NEEDS_FILE path
  !if ! /FileExists "${path}"
    !error "${path} is missing: the installer carries it (build the Windows programs first)"
  !endif
!macroend
!insertmacro LUMO_NEEDS_FILE "${PROGRAMS_DIR}/lumo-hw.exe"
!insertmacro LUMO_NEEDS_FILE "${PROGRAMS_DIR}/lumo-ctl.exe"
!insertmacro LUMO_NEEDS_FILE "${PROGRAMS_DIR}/lumo-sim.exe"
!insertmacro LUMO_NEEDS_FILE "${NOTES}"

!define PRODUCT "Ovládací panel LUMO"
!define PUBLISHER "LUMO control panel developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LUMO-panel"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\LUMO\Ovládací panel"
; An update goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ShowInstDetails show
ShowUninstDetails show

; The file version has four numbers.
!searchparse "${VERSION}.0.0.0" "" VERSION_1 "." VERSION_2 "." VERSION_3 "." VERSION_4 "."
VIProductVersion "${VERSION_1}.${VERSION_2}.${VERSION_3}.${VERSION_4}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Instalace: ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${PROGRAMS_DIR}/lumo-hw.exe"
  File "${PROGRAMS_DIR}/lumo-ctl.exe"
  File "${PROGRAMS_DIR}/lumo-sim.exe"
  File "/oname=novinky_verze_2.txt" "${NOTES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The panel keeps config.dat in its working directory: the shortcut starts it in the user's
  ; profile folder, which the user may write (the program folder is the administrator's).
  StrCpy $OUTDIR "%USERPROFILE%"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\lumo-hw.exe" "" "$INSTDIR\lumo-hw.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\lumo-hw.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\lumo-hw.exe"
  Delete "$INSTDIR\lumo-ctl.exe"
  Delete "$INSTDIR\lumo-sim.exe"
  Delete "$INSTDIR\novinky_verze_2.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only empty folders go: what a user put there stays.
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\LUMO"
  Delete "${SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
