; Quillmoor's setup: installs the program for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Quillmoor, registers the activity log component for that user, adds a
; Start-menu shortcut and an entry in the list of installed programs, and writes Uninstall.exe.
;
; The build (installer/CMakeLists.txt) passes:
;   QM_DIST       the 32-bit program folder (build/dist)
;   QM_DIST64     the 64-bit program folder (build/dist64), only when the build made one; then
;                 64-bit Windows gets the 64-bit program and log component, other Windows the 32-bit
;   QM_VERSION    the product version ("1.0"), and QM_VERSION4 the same in four parts ("1.0.0.0")
;   QM_ICON       the program's icon
;   QM_OUTFILE    the setup program to write
;
; Command line of QuillmoorSetup.exe:
;   /S           silent: installs the program and the Start-menu shortcut, asks nothing
;   /DESKTOP     adds the desktop shortcut too (ticks that component; also with /S)
;   /D=<folder>  installs elsewhere; must come last and stays unquoted, even with blanks
; Command line of Uninstall.exe:
;   /S           silent: removes the program, keeps the restore points (Backup) and the log (Log)
; While Quillmoor runs, both ask the user to close it first; silent, they end with exit code 2.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include x64.nsh
!include MUI2.nsh

!define PRODUCT "Quillmoor"
!define PUBLISHER "The Quillmoor developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmoor"
; Quillmoor holds this named mutex for as long as it runs (its single-instance check).
!define INSTANCE_MUTEX "{7ECC0C75-C524-46f0-BECC-05DB5D441FC8}"
!define SYNCHRONIZE 0x00100000
; What the program leaves in its folder besides its own files, and keeps across upgrades.
!define RESTORE_POINTS "Backup"
!define LOG_FOLDER "Log"

Name "${PRODUCT}"
OutFile "${QM_OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the installation is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${QM_VERSION}"

!define MUI_ICON "${QM_ICON}"
!define MUI_UNICON "${QM_ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderPageOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillmoor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quillmoor"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${QM_VERSION4}"
VIFileVersion "${QM_VERSION4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${QM_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${QM_VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 the Quillmoor developers"

; Runs the regsvr32 of the log component's own bitness on the installed Logwright.dll with the
; switches given; $0 is its exit code, 0 when the component did what was asked.
!macro Regsvr32 SWITCHES
    StrCpy $0 "not started"
    !ifdef QM_DIST64
    ${If} ${RunningX64}
        ; This setup is a 32-bit process, which Windows shows SysWOW64 under the name System32;
        ; the 64-bit DLL needs the real System32's regsvr32.
        ${DisableX64FSRedirection}
        ExecWait '"$SYSDIR\regsvr32.exe" ${SWITCHES} "$INSTDIR\Logwright.dll"' $0
        ${EnableX64FSRedirection}
    ${Else}
        ExecWait '"$SYSDIR\regsvr32.exe" ${SWITCHES} "$INSTDIR\Logwright.dll"' $0
    ${EndIf}
    !else
    ExecWait '"$SYSDIR\regsvr32.exe" ${SWITCHES} "$INSTDIR\Logwright.dll"' $0
    !endif
!macroend

; Replacing or removing the files of a running Quillmoor would fail half-way (or pull them from
; under it), so setup and uninstall wait until the user has closed it. Silent runs have nobody to
; ask: they end with exit code 2 and change nothing.
!macro DefineQuillmoorClosedCheck UN
Function ${UN}EnsureQuillmoorClosed
    Push $0
  check:
    System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .r0'
    ${If} $0 <> 0
        System::Call 'kernel32::CloseHandle(p r0)'
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Quillmoor is running.$\n$\nClose Quillmoor, then choose Retry." /SD IDCANCEL IDRETRY check
        SetErrorLevel 2
        Quit
    ${EndIf}
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineQuillmoorClosedCheck ""
!insertmacro DefineQuillmoorClosedCheck "un."

Section "Quillmoor" SecProgram
    SectionIn RO
    ; It may have been started while the pages were shown.
    Call EnsureQuillmoorClosed
    SetOutPath "$INSTDIR"
    !ifdef QM_DIST64
    ${If} ${RunningX64}
        File "${QM_DIST64}/Quillmoor.exe"
        File "${QM_DIST64}/Logwright.dll"
    ${Else}
        File "${QM_DIST}/Quillmoor.exe"
        File "${QM_DIST}/Logwright.dll"
    ${EndIf}
    !else
    File "${QM_DIST}/Quillmoor.exe"
    File "${QM_DIST}/Logwright.dll"
    !endif
    File "${QM_DIST}/Quillmoor.language"
    File "${QM_DIST}/Quillmoor.rules"
    File "${QM_DIST}/Quillmoor.chm"
    ; The user's settings stay exactly as they are: the factory configuration goes in only where
    ; there is none yet. The restore points and the log are never touched by setup.
    SetOverwrite off
    File "${QM_DIST}/config.xml"
    SetOverwrite on

    ; The log component registers itself for this user only (HKCU\Software\Classes).
    !insertmacro Regsvr32 "/s"
    ${If} $0 != 0
        DetailPrint "The activity log component could not be registered ($0)."
        MessageBox MB_OK|MB_ICONEXCLAMATION "The activity log component (Logwright.dll) could not be registered.$\n$\nQuillmoor still cleans, but keeps no activity log." /SD IDOK
    ${EndIf}

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Quillmoor.exe" "" "$INSTDIR\Quillmoor.exe" 0 SW_SHOWNORMAL "" "Find and remove junk files"

    WriteUninstaller "$INSTDIR\Uninstall.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${QM_VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillmoor.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; The program's own size: the files in its folder, not the restore points and the log below it.
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Desktop shortcut" SecDesktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Quillmoor.exe" "" "$INSTDIR\Quillmoor.exe" 0 SW_SHOWNORMAL "" "Find and remove junk files"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Quillmoor, its help, its activity log and a Start-menu shortcut."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "A shortcut to Quillmoor on the desktop."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    Call EnsureQuillmoorClosed
    ; /DESKTOP ticks the desktop shortcut, so silent installs can have one too.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/DESKTOP" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecDesktop}
    ${EndIf}
FunctionEnd

; An upgrade installs over the existing installation, wherever the user put it.
Function SkipFolderPageOnUpgrade
    ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 != ""
    ${AndIf} ${FileExists} "$R0\Quillmoor.exe"
        Abort
    ${EndIf}
FunctionEnd

Function un.onInit
    Call un.EnsureQuillmoorClosed
FunctionEnd

Section "Uninstall"
    !insertmacro Regsvr32 "/u /s"
    Delete "$INSTDIR\Quillmoor.exe"
    Delete "$INSTDIR\Logwright.dll"
    Delete "$INSTDIR\Quillmoor.language"
    Delete "$INSTDIR\Quillmoor.rules"
    Delete "$INSTDIR\rules.log"
    Delete "$INSTDIR\Quillmoor.chm"
    Delete "$INSTDIR\config.xml"
    ; What a configuration save left behind when it could not finish (its temporary file).
    Delete "$INSTDIR\qmc*.tmp"
    Delete "$INSTDIR\Uninstall.exe"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; The restore points may hold the only copies of files Quillmoor cleaned: they, and the log
    ; that tells what happened, go only when the user says so. A silent uninstall keeps them.
    ${If} ${FileExists} "$INSTDIR\${RESTORE_POINTS}\*.*"
    ${OrIf} ${FileExists} "$INSTDIR\${LOG_FOLDER}\*.*"
        MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "Delete Quillmoor's restore points and activity log as well?$\n$\nThe restore points in $INSTDIR\${RESTORE_POINTS} may hold the only copies of files Quillmoor cleaned. Choose No to keep them." /SD IDNO IDNO keepUserData
        RMDir /r "$INSTDIR\${RESTORE_POINTS}"
        RMDir /r "$INSTDIR\${LOG_FOLDER}"
    keepUserData:
    ${EndIf}
    ; Only an empty folder goes.
    RMDir "$INSTDIR"
SectionEnd
