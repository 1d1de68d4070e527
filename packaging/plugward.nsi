; Installer of PLUGWARD.DLL for the Velmark Administrator console.
;   makensis -DVERSION=1.0.0.1 -DSHIP_DIR=dir -DPOLICY_DIR=dir -DREADME=README.TXT -DOUTFILE=setup.exe plugward.nsi
; Copies PLUGWARD.DLL, snapinctl.exe and README.TXT into the console's
; directory (the directory page, or /D= when run silently with /S), the policy
; templates into its Policy folder, and
; registers the module for the current user the way the console's own
; installer does. A module that is listed already, enabled or disabled, keeps
; its entry. Under the machine's Run key it registers rundll32 running the
; module's EnforceSnapinPolicy at every logon (left out with /NOENFORCE), so
; that each user's lists follow the snap-in policy before the console loads
; them. When either write fails, the files it copied are taken back
; (a file it replaced is put back as it was), and the lists and the Run key
; stay as they were.
; PLUGWARD-uninstall.exe, written beside the module, removes those files,
; the module's entries, the Run value and nothing else: the policy keys are
; the administrator's, and stay.
; Plain ANSI installer with the classic pages and no plug-ins, so that it
; runs on Windows 95 and NT 4.0.

Unicode false
; The release names its installer PLUGWARD-<version>-setup.exe.
!pragma warning disable 9000
SetCompressor /SOLID lzma
SetCompressorDictSize 1  ; MB: the payload is small, and so is the memory of a Windows 95 machine
RequestExecutionLevel user
!include LogicLib.nsh
!include WinVer.nsh
!include FileFunc.nsh

!define MODULE "PLUGWARD.DLL"
!define TOOL "snapinctl.exe"
!define NOTES "README.TXT"
!define UNINSTALLER "PLUGWARD-uninstall.exe"
!define TEMPLATES "Policy"
!define LISTS "Software\Velmark\Parameters\Velmark Administrator"
!define OBJECT_ON "${LISTS}\Snapin Object DLLs"
!define OBJECT_OFF "${LISTS}\Disabled Snapin Object DLLs"
!define VIEW_ON "${LISTS}\Snapin View DLLs"
!define VIEW_OFF "${LISTS}\Disabled Snapin View DLLs"
; Windows 95 and NT 4.0 run each value here at every logon.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Velmark Snap-in Policy"

Var NoEnforce
Var RunBefore  ; the Run value as it was, for taking it back

Name "PLUGWARD ${VERSION}"
OutFile "${OUTFILE}"
InstallDir ""
ShowInstDetails show
ShowUninstDetails show
; Each text fits its control in the classic pages, whose controls are sized
; for the dialog font of Windows 95 and NT 4.0; Wine's wider stand-in fonts are
; the harder case, and the installer's test measures every text under them.
BrandingText "PLUGWARD ${VERSION}"
DirText "Choose the directory of the Velmark Administrator console. The module, snapinctl.exe and the policy templates are copied there, the module is registered for the current user, and the snap-in policy is applied at every logon. Install the console first." "Console directory"
UninstallText "PLUGWARD.DLL, snapinctl.exe, README.TXT and the policy templates are removed from this directory, the module's entries from the snap-in lists, and the policy's logon run. The policy keys stay." "Directory:"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "PLUGWARD"
VIAddVersionKey "FileDescription" "PLUGWARD ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" ""

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The lists of the running platform family: the console keeps one set for
; Windows NT and one for Windows 95, 98 and ME.
!macro FamilySuffix var
  ${If} ${IsNT}
    StrCpy ${var} " WINNT"
  ${Else}
    StrCpy ${var} " WIN95"
  ${EndIf}
!macroend

; Reports the failure (a message box unless silent) and ends with exit code 2.
!macro Fail text
  DetailPrint "${text}"
  MessageBox MB_OK|MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 2
  Abort
!macroend

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOENFORCE" $1
  ${IfNot} ${Errors}
    StrCpy $NoEnforce 1
  ${EndIf}
FunctionEnd

Function .onVerifyInstDir
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    Abort
  ${EndIf}
FunctionEnd

; A running console holds the module, and a running snapinctl.exe itself:
; say so instead of failing half-way.
!macro FailIfInUse name
  ${If} ${FileExists} "$INSTDIR\${name}"
    ClearErrors
    FileOpen $0 "$INSTDIR\${name}" a
    ${If} ${Errors}
      !insertmacro Fail "$INSTDIR\${name} is in use. Close the console and snapinctl, and run the installer again."
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

; Keeps a copy of a file the install is about to replace, so that a failed
; registration can put it back.
!macro KeepOld name
  ${If} ${FileExists} "$INSTDIR\${name}"
    CopyFiles /SILENT "$INSTDIR\${name}" "$PLUGINSDIR\kept\${name}"
  ${EndIf}
!macroend

; Takes back a file the install wrote: the kept copy when there was one.
!macro PutBack name
  Delete "$INSTDIR\${name}"
  ${If} ${FileExists} "$PLUGINSDIR\kept\${name}"
    CopyFiles /SILENT "$PLUGINSDIR\kept\${name}" "$INSTDIR\${name}"
  ${EndIf}
!macroend

; The policy templates, each given to the macro `action`.
!macro EachTemplate action
  !insertmacro ${action} "${TEMPLATES}\PLUGWARD.ADM"
  !insertmacro ${action} "${TEMPLATES}\PLUGWARD.ADMX"
  !insertmacro ${action} "${TEMPLATES}\en-US\PLUGWARD.ADML"
!macroend

!macro Remove name
  Delete "$INSTDIR\${name}"
!macroend

; The template folders, where nothing else is left in them.
!macro RemoveTemplateFolders
  RMDir "$INSTDIR\${TEMPLATES}\en-US"
  RMDir "$INSTDIR\${TEMPLATES}"
!macroend

Function UndoCopy
  ${If} $RunBefore != ""
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" $RunBefore
  ${Else}
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
  !insertmacro PutBack "${MODULE}"
  !insertmacro PutBack "${TOOL}"
  !insertmacro PutBack "${NOTES}"
  !insertmacro PutBack "${UNINSTALLER}"
  !insertmacro EachTemplate PutBack
  !insertmacro RemoveTemplateFolders
FunctionEnd

; $R1 = 1 when the list key $R0 holds a value named PLUGWARD.DLL, of any
; type and in any case, else 0.
Function ListHoldsModule
  Push $0
  Push $1
  StrCpy $R1 0
  StrCpy $0 0
  ${Do}
    ClearErrors
    EnumRegValue $1 HKCU $R0 $0
    ${If} ${Errors}
    ${OrIf} $1 == ""
      ${Break}
    ${EndIf}
    ${If} $1 == "${MODULE}"
      StrCpy $R1 1
      ${Break}
    ${EndIf}
    IntOp $0 $0 + 1
  ${Loop}
  Pop $1
  Pop $0
FunctionEnd

; Leaves an entry that is there already alone, enabled or disabled.
Function RegisterModule
  !insertmacro FamilySuffix $R2
  ${ForEach} $R3 0 3 + 1
    ${Select} $R3
      ${Case} 0
        StrCpy $R0 "${OBJECT_ON}$R2"
      ${Case} 1
        StrCpy $R0 "${OBJECT_OFF}$R2"
      ${Case} 2
        StrCpy $R0 "${VIEW_ON}$R2"
      ${Case} 3
        StrCpy $R0 "${VIEW_OFF}$R2"
    ${EndSelect}
    Call ListHoldsModule
    ${If} $R1 == 1
      DetailPrint "${MODULE} is listed already; its entry is left as it is."
      Return
    ${EndIf}
  ${Next}
  ClearErrors
  WriteRegStr HKCU "${OBJECT_ON}$R2" "${MODULE}" "${MODULE}"
  ${If} ${Errors}
    Call UndoCopy
    !insertmacro Fail "Could not register ${MODULE} in HKCU\${OBJECT_ON}$R2; the files copied are taken back."
  ${EndIf}
  DetailPrint "Registered ${MODULE} in the current user's Snapin Object DLLs$R2."
FunctionEnd

; Windows 95's RUNDLL32 takes the module's path only in its short form,
; without quotes or blanks.
Function RegisterLogonRun
  ReadRegStr $RunBefore HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $NoEnforce == 1
    Return
  ${EndIf}
  GetFullPathName /SHORT $0 "$INSTDIR\${MODULE}"
  ClearErrors
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "rundll32.exe $0,EnforceSnapinPolicy"
  ${If} ${Errors}
    Call UndoCopy
    !insertmacro Fail "Could not write the value ${RUN_VALUE} to HKLM\${RUN_KEY}; the files copied are taken back. Install as an administrator, or give /NOENFORCE."
  ${EndIf}
  DetailPrint "Registered the snap-in policy's moves at every logon: HKLM\${RUN_KEY}, ${RUN_VALUE}."
FunctionEnd

Section "PLUGWARD"
  ${If} $INSTDIR == ""
  ${OrIfNot} ${FileExists} "$INSTDIR\*.*"
    !insertmacro Fail "The console directory '$INSTDIR' does not exist; give it with /D=."
  ${EndIf}
  !insertmacro FailIfInUse "${MODULE}"
  !insertmacro FailIfInUse "${TOOL}"
  InitPluginsDir
  CreateDirectory "$PLUGINSDIR\kept\${TEMPLATES}\en-US"
  !insertmacro KeepOld "${MODULE}"
  !insertmacro KeepOld "${TOOL}"
  !insertmacro KeepOld "${NOTES}"
  !insertmacro KeepOld "${UNINSTALLER}"
  !insertmacro EachTemplate KeepOld
  SetOverwrite on
  SetOutPath "$INSTDIR\${TEMPLATES}"
  File "${POLICY_DIR}/PLUGWARD.ADM"
  File "${POLICY_DIR}/PLUGWARD.ADMX"
  SetOutPath "$INSTDIR\${TEMPLATES}\en-US"
  File "${POLICY_DIR}/en-US/PLUGWARD.ADML"
  SetOutPath $INSTDIR
  File "${SHIP_DIR}/${MODULE}"
  File "${SHIP_DIR}/${TOOL}"
  File "/oname=${NOTES}" "${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  Call RegisterLogonRun
  Call RegisterModule
SectionEnd

Section "Uninstall"
  ClearErrors
  Delete "$INSTDIR\${MODULE}"
  ${If} ${Errors}
    !insertmacro Fail "$INSTDIR\${MODULE} is in use. Close the console and run the uninstaller again."
  ${EndIf}
  Delete "$INSTDIR\${TOOL}"
  Delete "$INSTDIR\${NOTES}"
  !insertmacro EachTemplate Remove
  !insertmacro RemoveTemplateFolders
  !insertmacro FamilySuffix $R2
  DeleteRegValue HKCU "${OBJECT_ON}$R2" "${MODULE}"
  DeleteRegValue HKCU "${OBJECT_OFF}$R2" "${MODULE}"
  DeleteRegValue HKCU "${VIEW_ON}$R2" "${MODULE}"
  DeleteRegValue HKCU "${VIEW_OFF}$R2" "${MODULE}"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd
