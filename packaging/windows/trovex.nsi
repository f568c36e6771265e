; The Windows installer of Trovex. scripts/package-windows compiles it from
; the staged program folder and passes in what changes from build to build:
;   VERSION   the program's version (three numbers)
;   STAGE     the staged program folder (for the licence page)
;   OUTFILE   the installer to write
;   FILES     the commands that install the staged files
;   REMOVALS  the commands that remove exactly those files again
;   SIZE_KB   the installed size, for Apps & features
;   WINDOW    defined when the window program trovex.exe is in the stage
;   ICON      the program's icon file, when the build made one
;
; Run by an administrator it installs for every user of the machine into
; Program Files, otherwise for the current user only, into
; %LOCALAPPDATA%\Programs; /CurrentUser asks for the latter. /S installs and
; uninstalls silently; the uninstaller removes the window's settings only when
; asked (a question, or /RemoveSettings when silent).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel highest

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Trovex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trovex"
; Where the window keeps its settings (QSettings of organisation "Trovex").
!define SETTINGS_KEY "Software\Trovex"
!define SHORTCUT "$SMPROGRAMS\Trovex.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
; A file that cannot be written fails the installation (exit status 2 when
; silent) rather than being skipped.
AllowSkipfiles off

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "LegalCopyright" "The Trovex developers"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENCE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; "machine" or "user": which half of the registry and of the Start menu the
; installation uses.
Var Scope
; Set once the installation has begun writing files of its own.
Var Writing

; Machine-wide installs write under HKLM and the common Start menu, per-user
; ones under HKCU and the user's own (SHCTX and $SMPROGRAMS follow the shell
; context).
!macro UseScope un
Function ${un}UseScope
  ${If} $Scope == "machine"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd
!macroend
!insertmacro UseScope ""
!insertmacro UseScope "un."

Function .onInit
  SetRegView 64
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/CurrentUser" $1
  ${If} ${Errors}
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 == "Admin"
      StrCpy $Scope "machine"
    ${Else}
      StrCpy $Scope "user"
    ${EndIf}
  ${Else}
    StrCpy $Scope "user"
  ${EndIf}
  Call UseScope
  ; /D=FOLDER on the command line has already set the folder.
  ${If} $INSTDIR == ""
    ${If} $Scope == "machine"
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; An earlier installation of the same scope is uninstalled first (keeping the
; settings), so that files the new version no longer has do not stay behind
; where no uninstaller knows them.
Function RemoveEarlier
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Uninstall.exe"
    DetailPrint "Removing the earlier installation in $0"
    ExecWait '"$0\Uninstall.exe" /S _?=$0' $1
    ${If} $1 != 0
      Abort "The earlier installation in $0 could not be removed (uninstaller exit status $1)."
    ${EndIf}
    Delete "$0\Uninstall.exe"
    RMDir "$0"
  ${EndIf}
FunctionEnd

!ifdef WINDOW
; A file type of the game opens in the window, which tells the input type
; from the file. The extension keeps another program's default; Trovex is
; then offered under "Open with".
!macro Associate extension description
  WriteRegStr SHCTX "Software\Classes\Trovex.${extension}" "" "${description}"
  WriteRegStr SHCTX "Software\Classes\Trovex.${extension}\DefaultIcon" "" "$INSTDIR\trovex.exe,0"
  WriteRegStr SHCTX "Software\Classes\Trovex.${extension}\shell\open\command" "" '"$INSTDIR\trovex.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\.${extension}\OpenWithProgids" "Trovex.${extension}" ""
  ReadRegStr $0 HKCR ".${extension}" ""
  ${If} $0 == ""
  ${OrIf} $0 == "Trovex.${extension}"
    WriteRegStr SHCTX "Software\Classes\.${extension}" "" "Trovex.${extension}"
  ${EndIf}
!macroend
!endif

Section "Trovex"
  Call RemoveEarlier
  StrCpy $Writing "yes"
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  !ifdef WINDOW
    SetOutPath "$INSTDIR"
    CreateShortcut "${SHORTCUT}" "$INSTDIR\trovex.exe"
    !insertmacro Associate bif "Game resource archive"
    !insertmacro Associate tlk "Game string table"
    !insertmacro Associate key "Game resource index"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trovex.exe,0"
  !else
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Uninstall.exe,0"
  !endif
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; A failed installation takes back the files it had written, so that none
; stays behind without an uninstaller that knows it.
Function .onInstFailed
  ${If} $Writing == "yes"
    ; Out of the folder, which cannot go while it is the working folder.
    SetOutPath "$TEMP"
    !include "${REMOVALS}"
    RMDir "$INSTDIR"
  ${EndIf}
FunctionEnd

; The uninstaller takes the scope of the installation whose Uninstall entry
; names its folder: the machine's when HKLM's does, otherwise the user's.
Function un.onInit
  SetRegView 64
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $Scope "machine"
  ${Else}
    StrCpy $Scope "user"
  ${EndIf}
  Call un.UseScope
FunctionEnd

; Takes the association out again; the extension's default goes only where it
; still names Trovex, and the extension's key only where nothing else is left
; in it.
!macro Dissociate extension
  DeleteRegKey SHCTX "Software\Classes\Trovex.${extension}"
  DeleteRegValue SHCTX "Software\Classes\.${extension}\OpenWithProgids" "Trovex.${extension}"
  ReadRegStr $0 SHCTX "Software\Classes\.${extension}" ""
  ${If} $0 == "Trovex.${extension}"
    DeleteRegValue SHCTX "Software\Classes\.${extension}" ""
  ${EndIf}
  DeleteRegKey /ifempty SHCTX "Software\Classes\.${extension}\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.${extension}"
!macroend

; The window's settings belong to the user, so they go only when asked.
Function un.RemoveSettings
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RemoveSettings" $1
  ${IfNot} ${Errors}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${ElseIfNot} ${Silent}
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
      "Also remove your Trovex settings (the folders and choices the window remembers)?" IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    keep:
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !include "${REMOVALS}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  !insertmacro Dissociate bif
  !insertmacro Dissociate tlk
  !insertmacro Dissociate key
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  Call un.RemoveSettings
SectionEnd
