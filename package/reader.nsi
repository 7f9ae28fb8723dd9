; Installer of the Vell Reader for all users of a machine, built by
; scripts/package with makensis. One script serves both architectures:
;   -DARCH=x86  a 32-bit installer that puts the 32-bit reader into the
;               32-bit Program Files (the shipped package)
;   -DARCH=x64  a 64-bit installer that puts the 64-bit reader into the
;               64-bit Program Files
; and takes -DVERSION=major.minor.patch, -DREADER=<reader.exe to ship> and
; -DOUTFILE=<installer to write>.

!ifndef ARCH | VERSION | READER | OUTFILE
  !error "pass -DARCH=x86|x64 -DVERSION=... -DREADER=... -DOUTFILE=..."
!endif

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES32"
!else
  !error "ARCH must be x86 or x64, not ${ARCH}"
!endif

!include LogicLib.nsh

!define PRODUCT "Vell Reader"
!define PUBLISHER "Vell Book"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VellReader"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Shortcuts in the common Start menu and the uninstall entry of the machine,
; in the registry view of the reader's own architecture.
!macro UseMachineScope
  SetShellVarContext all
  !if "${ARCH}" == "x64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro UseMachineScope
FunctionEnd

Function un.onInit
  !insertmacro UseMachineScope
FunctionEnd

Section "Reader"
  SetOutPath "$INSTDIR"
  File "/oname=reader.exe" "${READER}"
  ; Started from elsewhere, so that the folder can go again if it fails: a
  ; working folder cannot be removed.
  SetOutPath "$TEMP"

  ; The reader writes the file-type keys itself, so they always name the
  ; executable as the system reports it. Nothing else is installed when that
  ; fails: a reader that books do not open with is not an installed reader.
  DetailPrint 'Registering the ".vlq" file type'
  ClearErrors
  ExecWait '"$INSTDIR\reader.exe" -I' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    ${If} ${Errors}
      StrCpy $0 "none: it could not be started"
    ${EndIf}
    Delete "$INSTDIR\reader.exe"
    RMDir "$INSTDIR"
    DetailPrint "reader.exe -I failed, exit code $0"
    MessageBox MB_OK|MB_ICONSTOP 'The ".vlq" file type could not be registered (reader.exe -I, exit code $0). ${PRODUCT} was not installed.' /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  SetOutPath "$INSTDIR" ; the shortcut starts the reader in its own folder
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\reader.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\reader.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes what the installer put down and nothing more: the recent-books list
; and the pages readers stopped at live under the all-users application-data
; folder ("vellBook\Reader\Recents") and belong to the readers, not to the
; installation.
Section "Uninstall"
  DetailPrint 'Removing the ".vlq" file type'
  ClearErrors
  ExecWait '"$INSTDIR\reader.exe" -R' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    ${If} ${Errors}
      StrCpy $0 "none: it could not be started"
    ${EndIf}
    ; Stopping here keeps the installation whole, so that the uninstaller
    ; can be run again once the cause is gone.
    DetailPrint "reader.exe -R failed, exit code $0"
    MessageBox MB_OK|MB_ICONSTOP 'The ".vlq" file type could not be removed (reader.exe -R, exit code $0). ${PRODUCT} was not uninstalled.' /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  ClearErrors
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\reader.exe"
  ${If} ${Errors}
    ; Most likely a reader still running from the installation folder.
    DetailPrint "Some files could not be removed from $INSTDIR"
    MessageBox MB_OK|MB_ICONEXCLAMATION "Some files of ${PRODUCT} could not be removed from $INSTDIR. Close the reader and remove them by hand." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
  ; Run in place ("_?="), the uninstaller cannot remove itself: whoever
  ; started it that way removes it.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
