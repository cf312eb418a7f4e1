; Installer for the VQ-R310NTX control program on 64-bit Windows. Made by build_installer in
; scripts/windows.d/installer.sh, or directly:
;   makensis -V2 -DDEPLOY=<runnable folder> -DVERSION=<1.2.3> -DOUTFILE=<setup.exe> installer.nsi
; Silent use: setup.exe /S [/D=C:\path], and uninstall.exe /S.
Unicode true
Target amd64-unicode

!ifndef DEPLOY | VERSION | OUTFILE
  !error "define DEPLOY, VERSION and OUTFILE (makensis -DDEPLOY=... -DVERSION=... -DOUTFILE=...)"
!endif

!define APP "VQ-R310NTX"
!define EXE "vq-r310ntx.exe"
!define PROGID "VQ-R310NTX.Document"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VQ-R310NTX"

; The file lists come from the folder itself, so the uninstaller removes exactly what was installed.
!tempfile FILE_LIST
!system `bash -euo pipefail -c 'source "$0" && installer_file_lists "$1" "$2"' "${__FILEDIR__}/../../scripts/windows.d/installer.sh" "${DEPLOY}" "${FILE_LIST}"` = 0
!include "${FILE_LIST}"
!delfile "${FILE_LIST}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

Name "${APP} control program"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
AllowSkipFiles off
BrandingText "${APP} ${VERSION}"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro FAIL_IF_ERRORS WHAT
  ${If} ${Errors}
    MessageBox MB_ICONSTOP|MB_OK "${WHAT}" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Install"
  ; An earlier version goes first, so none of its files that this one lacks stays behind.
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    DetailPrint "Removing the version in $0"
    ClearErrors
    ExecWait '"$0\uninstall.exe" /S _?=$0' $1
    ${If} ${Errors}
    ${OrIf} $1 != 0
      MessageBox MB_ICONSTOP|MB_OK "The installed version in $0 could not be removed." /SD IDOK
      SetErrorLevel 2
      Abort
    ${EndIf}
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}

  ClearErrors
  !insertmacro VQ_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro FAIL_IF_ERRORS "Copying the files to $INSTDIR failed."

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  !insertmacro FAIL_IF_ERRORS "Creating the Start menu shortcut failed."

  WriteRegStr HKLM "Software\Classes\.vq" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "${APP} Document"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'

  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${APP} control program"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  !insertmacro FAIL_IF_ERRORS "Writing the registry failed."

  ; SHCNE_ASSOCCHANGED: Explorer shows .vq files with the new icon at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  !insertmacro VQ_REMOVE_FILES
  Delete "$INSTDIR\uninstall.exe"
  ; Without /r: a folder that still holds files someone else put there stays, with them.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${APP}.lnk"

  ; .vq is left alone if another program has taken it over since.
  ReadRegStr $0 HKLM "Software\Classes\.vq" ""
  ${If} $0 == "${PROGID}"
    DeleteRegKey HKLM "Software\Classes\.vq"
  ${EndIf}
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "${UNINST_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
