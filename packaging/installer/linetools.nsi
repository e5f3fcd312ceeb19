; linetools.nsi: the installer of the line tools for a station PC: the three programs in a folder
; of the administrator's choice, Start-menu shortcuts, and an uninstaller that leaves the station's
; records alone. An optional component, unticked unless chosen, adds the training builds of the
; station and the tester (which work on a simulated bench and say so in every window), benchctl
; to prepare the bench, and Start-menu entries of their own.
;
; Built by the build's package-installer target, which passes:
;   /DVERSION=1.0.0.0  /DBINDIR=<folder holding the three .exe>
;   /DTRAININGDIR=<folder holding the training builds and benchctl.exe>  /DOUTFILE=<installer path>
; Silent use: LineToolsSetup.exe /S [/TRAINING] [/D=C:\Folder]  (/D last on the line, unquoted;
;             /TRAINING adds the training component); Uninstall.exe /S  in the install folder.
;
; The records the programs share (EpromData.ini, EthernetDiagnostic.ini, Password.dat, the
; station's Customize.ini and its ledger AddressLedger.csv, all in the Windows directory) are
; not part of this package: the uninstaller removes only the files it lists below and so
; never touches them. A log that
; EthTester wrote into the install folder stays too, and with it the folder; so does a
; training bench file (TrainingBench.txt) made there with benchctl.

; A 64-bit installer for the 64-bit programs.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestDPIAware true

!ifndef VERSION
  !error "VERSION not given"
!endif
!ifndef BINDIR
  !error "BINDIR not given"
!endif
!ifndef TRAININGDIR
  !error "TRAININGDIR not given"
!endif
!ifndef OUTFILE
  !define OUTFILE "LineToolsSetup.exe"
!endif

!define PRODUCT "Adapter Line Tools"
!define PUBLISHER "Adapter line tools project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\AdapterLineTools"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"

!include "FileFunc.nsh"
!include "Sections.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Installer of the ${PRODUCT}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Programs" SecPrograms
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BINDIR}\ProgStation.exe"
  File "${BINDIR}\EthTester.exe"
  File "${BINDIR}\SetupEditor.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Shortcuts for every user of the station. The current output folder becomes each
  ; shortcut's working directory: the station looks for EthTester.exe there.
  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "$INSTDIR"
  CreateShortcut "${MENU_FOLDER}\ProgStation.lnk" "$INSTDIR\ProgStation.exe"
  CreateShortcut "${MENU_FOLDER}\EthTester.lnk" "$INSTDIR\EthTester.exe"
  CreateShortcut "${MENU_FOLDER}\SetupEditor.lnk" "$INSTDIR\SetupEditor.exe"
  CreateShortcut "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ProgStation.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Not for a production line: the training builds program and test simulated adapters only.
Section /o "Training on simulated adapters" SecTraining
  SetOutPath "$INSTDIR"
  File "${TRAININGDIR}\ProgStationTraining.exe"
  File "${TRAININGDIR}\EthTesterTraining.exe"
  File "${TRAININGDIR}\benchctl.exe"
  SetShellVarContext all
  CreateDirectory "${MENU_FOLDER}"
  SetOutPath "$INSTDIR"
  CreateShortcut "${MENU_FOLDER}\ProgStation Training.lnk" "$INSTDIR\ProgStationTraining.exe"
  CreateShortcut "${MENU_FOLDER}\EthTester Training.lnk" "$INSTDIR\EthTesterTraining.exe"
SectionEnd

; /TRAINING on the command line chooses the training component (for silent installations).
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/TRAINING" $1
  IfErrors noTraining  ; (the macro below is several instructions: jump to a label)
    !insertmacro SelectSection ${SecTraining}
  noTraining:
FunctionEnd

Section "Uninstall"
  ; Only what the installer put there, file by file: no wildcard, no recursive delete.
  Delete "$INSTDIR\ProgStation.exe"
  Delete "$INSTDIR\EthTester.exe"
  Delete "$INSTDIR\SetupEditor.exe"
  Delete "$INSTDIR\ProgStationTraining.exe"
  Delete "$INSTDIR\EthTesterTraining.exe"
  Delete "$INSTDIR\benchctl.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "${MENU_FOLDER}\ProgStation.lnk"
  Delete "${MENU_FOLDER}\EthTester.lnk"
  Delete "${MENU_FOLDER}\SetupEditor.lnk"
  Delete "${MENU_FOLDER}\ProgStation Training.lnk"
  Delete "${MENU_FOLDER}\EthTester Training.lnk"
  Delete "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
