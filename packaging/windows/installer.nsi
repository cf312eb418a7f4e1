; Installer for the VQ-R310NTX control program on 64-bit Windows. Made by build_installer in
; scripts/windows.d/installer.sh, or directly:
;   makensis -V2 -DDEPLOY=<runnable folder> -DVERSION=<1.2.3> -DOUTFILE=<setup.exe> installer.nsi
; It installs either for all users (Program Files, the Start menu and registry keys of the machine,
; HKLM; needs an administrator) or for the current user alone (the user's own programs folder,
; Start menu and HKCU; needs no administrator, so the manifest asks for "highest", not "admin").
; Interactively a page chooses; silently the default is all users:
;   setup.exe /S [/AllUsers | /CurrentUser] [/D=C:\path]      (/D last, unquoted)
;   uninstall.exe /S                                           (either mode)
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
!include nsDialogs.nsh

Name "${APP} control program"
OutFile "${OUTFILE}"
; No InstallDir: $INSTDIR is then empty in .onInit unless /D= gave one, and the chosen mode's own
; folder fills it.
RequestExecutionLevel highest
SetCompressor /SOLID lzma
AllowSkipFiles off
BrandingText "${APP} ${VERSION}"

; "AllUsers" or "CurrentUser". SetShellVarContext follows it, so $SMPROGRAMS and the SHCTX root
; key are the machine's (HKLM) or the user's (HKCU).
Var Mode
Var IsAdmin
Var FolderGiven
Var ModePage.AllUsers
Var ModePage.CurrentUser

Page custom ModePageShow ModePageLeave
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

; In .onInit: says why, exits with 2.
!macro REFUSE WHAT
  MessageBox MB_ICONSTOP|MB_OK "${WHAT}" /SD IDOK
  SetErrorLevel 2
  Quit
!macroend

!macro USE_MODE MODE
  StrCpy $Mode "${MODE}"
  ${If} $Mode == "AllUsers"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

; The user's own programs folder (FOLDERID_UserProgramFiles, by default %LOCALAPPDATA%\Programs).
!macro USER_PROGRAMS_FOLDER OUT
  GetKnownFolderPath ${OUT} {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
  ${If} ${OUT} == ""
    StrCpy ${OUT} "$LOCALAPPDATA\Programs"
  ${EndIf}
!macroend

; After a per-user copy in DIR is removed: the user's programs folder too, when it is DIR's parent
; and nothing else is left in it.
!macro REMOVE_EMPTY_USER_PROGRAMS DIR
  ${If} $Mode == "CurrentUser"
    !insertmacro USER_PROGRAMS_FOLDER $R0
    ${GetParent} "${DIR}" $R1
    ${If} $R1 == $R0
      RMDir "$R0"
    ${EndIf}
  ${EndIf}
!macroend

; The mode's own folder, unless /D= chose one.
Function DefaultFolder
  ${If} $FolderGiven == 1
    Return
  ${EndIf}
  ${If} $Mode == "AllUsers"
    StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
  ${Else}
    !insertmacro USER_PROGRAMS_FOLDER $INSTDIR
    StrCpy $INSTDIR "$INSTDIR\${APP}"
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView 64
  StrCpy $FolderGiven 0
  ${If} $INSTDIR != ""
    StrCpy $FolderGiven 1
  ${EndIf}
  UserInfo::GetAccountType
  Pop $0
  StrCpy $IsAdmin 0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${EndIf}

  ; NSIS has already cut /D= off the command line.
  ${GetParameters} $1
  StrCpy $Mode ""
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
    StrCpy $Mode "AllUsers"
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${IfNot} ${Errors}
    ${If} $Mode != ""
      !insertmacro REFUSE "Give either /AllUsers or /CurrentUser, not both."
    ${EndIf}
    StrCpy $Mode "CurrentUser"
  ${EndIf}

  ; Silently, all users unless told otherwise, so a script's install never lands elsewhere
  ; because of who runs it; on the page, what the account may do.
  ${If} $Mode == ""
    ${If} $IsAdmin == 1
    ${OrIf} ${Silent}
      StrCpy $Mode "AllUsers"
    ${Else}
      StrCpy $Mode "CurrentUser"
    ${EndIf}
  ${EndIf}
  ${If} $Mode == "AllUsers"
  ${AndIf} $IsAdmin != 1
    !insertmacro REFUSE "Installing ${APP} for all users needs administrator rights. Install it for yourself alone instead (/CurrentUser)."
  ${EndIf}
  !insertmacro USE_MODE $Mode
  Call DefaultFolder
FunctionEnd

Function ModePageShow
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${APP}."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ReadEnvStr $1 USERNAME
  ${NSD_CreateLabel} 0 0 100% 30u "Install ${APP} for every user of this computer, or only for you, in your own folders. Only an administrator can install it for all users."
  Pop $0
  ${NSD_CreateRadioButton} 10u 40u -10u 12u "For &all users of this computer (needs administrator rights)"
  Pop $ModePage.AllUsers
  ${NSD_CreateRadioButton} 10u 58u -10u 12u "For &me only ($1); no administrator rights needed"
  Pop $ModePage.CurrentUser
  ${If} $IsAdmin != 1
    EnableWindow $ModePage.AllUsers 0
  ${EndIf}
  ${If} $Mode == "AllUsers"
    ${NSD_Check} $ModePage.AllUsers
  ${Else}
    ${NSD_Check} $ModePage.CurrentUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModePage.AllUsers $0
  ${If} $0 == ${BST_CHECKED}
    !insertmacro USE_MODE "AllUsers"
  ${Else}
    !insertmacro USE_MODE "CurrentUser"
  ${EndIf}
  Call DefaultFolder
FunctionEnd

; The uninstaller's mode is the installer's: per user when the user's own uninstall entry names
; this folder, otherwise for all users.
Function un.onInit
  SetRegView 64
  ReadRegStr $0 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} $0 == $INSTDIR
    !insertmacro USE_MODE "CurrentUser"
  ${Else}
    !insertmacro USE_MODE "AllUsers"
  ${EndIf}
FunctionEnd

Section "Install"
  ; An earlier version in the same mode goes first, so none of its files that this one lacks
  ; stays behind.
  ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
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
    !insertmacro REMOVE_EMPTY_USER_PROGRAMS "$0"
  ${EndIf}

  ClearErrors
  !insertmacro VQ_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro FAIL_IF_ERRORS "Copying the files to $INSTDIR failed."

  CreateShortcut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0
  !insertmacro FAIL_IF_ERRORS "Creating the Start menu shortcut failed."

  WriteRegStr SHCTX "Software\Classes\.vq" "" "${PROGID}"
  WriteRegStr SHCTX "Software\Classes\${PROGID}" "" "${APP} Document"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'

  ${GetSize} "$INSTDIR" "/S=0K" $2 $3 $4
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP} control program"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  !insertmacro FAIL_IF_ERRORS "Writing the registry failed."

  ; SHCNE_ASSOCCHANGED: Explorer shows .vq files with the new icon at once.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  !insertmacro VQ_REMOVE_FILES
  Delete "$INSTDIR\uninstall.exe"
  ; Without /r: a folder that still holds files someone else put there stays, with them.
  RMDir "$INSTDIR"
  !insertmacro REMOVE_EMPTY_USER_PROGRAMS "$INSTDIR"

  Delete "$SMPROGRAMS\${APP}.lnk"

  ; .vq is left alone if another program has taken it over since.
  ReadRegStr $0 SHCTX "Software\Classes\.vq" ""
  ${If} $0 == "${PROGID}"
    DeleteRegKey SHCTX "Software\Classes\.vq"
  ${EndIf}
  DeleteRegKey SHCTX "Software\Classes\${PROGID}"
  DeleteRegKey SHCTX "${UNINST_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
