; Quillmoor's setup: installs the program for the current user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Quillmoor, registers the activity log component for that user, adds a
; Start-menu shortcut and an entry in the list of installed programs, and writes the uninstall:
; Uninstall.exe (UninstallLauncher.cpp), which runs the uninstaller proper, Uninstall.dat, and
; waits for it. It speaks eight languages, chosen from the user's Windows display language (the
; interactive setup asks, offering that one); the uninstall speaks the one chosen at setup.
;
; The build (installer/CMakeLists.txt) passes:
;   QM_DIST       the 32-bit program folder (build/dist)
;   QM_DIST64     the 64-bit program folder (build/dist64), only when the build made one; then
;                 64-bit Windows gets the 64-bit program and log component, other Windows the 32-bit
;   QM_VERSION    the product version ("1.0"), and QM_VERSION4 the same in four parts ("1.0.0.0")
;   QM_ICON       the program's icon
;   QM_OUTFILE    the setup program to write
;   QM_UNINSTALL_LAUNCHER  the launcher installed as Uninstall.exe
;   QM_LANGUAGE_FILES      the names of the translations in QM_DIST/Languages, "de.language|fr.language",
;                 only when there are any
;
; Command line of QuillmoorSetup.exe:
;   /S           silent: installs the program and the Start-menu shortcut, asks nothing
;   /DESKTOP     adds the desktop shortcut too (ticks that component; also with /S)
;   /D=<folder>  installs elsewhere; must come last and stays unquoted, even with blanks
; The setup installs only into a folder that is missing or empty, or is a Quillmoor installation by
; what a setup wrote there (the marker Quillmoor.installation naming that folder, or, for an
; installation older than the marker, the uninstall entry's folder with Quillmoor.exe in it).
; Any other folder that holds something is refused: interactively the setup says so and asks for
; another folder; silent, it ends with exit code 3 and writes nothing.
; Command line of Uninstall.exe:
;   /S           silent: removes the program, keeps the restore points (Backup) and the log (Log)
; Uninstall.exe returns once the uninstall has ended: exit code 0 when the program is removed
; (its folder too, unless the restore points or the log stay in it). The restore points and the
; log, when the user asks for them to go, are removed by Uninstall.exe /REMOVEBACKUPANDLOG, the
; program's own removal, which never enters a link or a junction.
; While Quillmoor runs, both ask the user to close it first; silent, they end with exit code 2.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh
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
; The program's translations, in a folder of its own.
!define LANGUAGES_FOLDER "Languages"
; The administrative templates, installed for an administrator to copy into a central store.
!define POLICIES_FOLDER "Policies"
!macro InstallPolicyLanguage TAG
    SetOutPath "$INSTDIR\${POLICIES_FOLDER}\${TAG}"
    File "${QM_DIST}/policies/${TAG}/Quillmoor.adml"
!macroend
!macro RemovePolicyLanguage TAG
    Delete "$INSTDIR\${POLICIES_FOLDER}\${TAG}\Quillmoor.adml"
    RMDir "$INSTDIR\${POLICIES_FOLDER}\${TAG}"
!macroend
; Runs the macro ACTION for every language of the templates.
!macro PolicyLanguages ACTION
    !insertmacro ${ACTION} de-DE
    !insertmacro ${ACTION} en-US
    !insertmacro ${ACTION} es-ES
    !insertmacro ${ACTION} fr-FR
    !insertmacro ${ACTION} ja-JP
    !insertmacro ${ACTION} pl-PL
    !insertmacro ${ACTION} pt-BR
    !insertmacro ${ACTION} zh-CN
!macroend
; Written by the setup into the folder it installs into, naming that folder: the setup's own
; sign that the folder is a Quillmoor installation, which it may upgrade and the uninstall clear.
; It stays while the uninstall leaves the restore points, the log or translations behind, so that
; a later setup may install there again.
!define MARKER "Quillmoor.installation"

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
; The language chosen at setup is the uninstall's, and an upgrade's without asking again.
!define MUI_LANGDLL_REGISTRY_ROOT HKCU
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderPageOnUpgrade
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE RefuseForeignFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillmoor.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(QmStartQuillmoor)"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the one for a display language none of them matches.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_RESERVEFILE_LANGDLL
!include /CHARSET=UTF8 "SetupTexts.nsh"

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
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(QmQuillmoorRunning)" /SD IDCANCEL IDRETRY check
        SetErrorLevel 2
        Quit
    ${EndIf}
    Pop $0
FunctionEnd
!macroend
!insertmacro DefineQuillmoorClosedCheck ""
!insertmacro DefineQuillmoorClosedCheck "un."

; Pushes 1 when $INSTDIR may take Quillmoor, else 0. A folder of the user's own (their documents,
; say) may hold files by the names Quillmoor uses (config.xml, Backup, Log): an upgrade would keep
; them as the program's, and the uninstall would delete them. So a folder that holds anything must
; be one a setup installed into, known by what a setup wrote, never by a name anyone could drop.
Function IsFolderForQuillmoor
    Push $0
    Push $1
    Push $2
    StrCpy $0 0
    ${If} ${FileExists} "$INSTDIR\*.*"
        ; The marker names the folder it was written into: copied elsewhere, it counts not.
        ${If} ${FileExists} "$INSTDIR\${MARKER}"
        ${AndIfNot} ${FileExists} "$INSTDIR\${MARKER}\*.*"
            ClearErrors
            FileOpen $1 "$INSTDIR\${MARKER}" r
            ${IfNot} ${Errors}
                FileReadUTF16LE $1 $2
                FileClose $1
                ${TrimNewLines} $2 $2
                ${If} $2 == $INSTDIR
                    StrCpy $0 1
                ${EndIf}
            ${EndIf}
        ${EndIf}
        ; An installation made before the marker: the folder the uninstall entry records.
        ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
        ${If} $1 == $INSTDIR
        ${AndIf} ${FileExists} "$INSTDIR\Quillmoor.exe"
            StrCpy $0 1
        ${EndIf}
        ${If} $0 == 0
            ; Empty: nothing but "." and "..". A folder that cannot be listed is no empty one.
            ClearErrors
            FindFirst $1 $2 "$INSTDIR\*.*"
            ${IfNot} ${Errors}
                StrCpy $0 1
                ${DoWhile} $2 != ""
                    ${If} $2 != "."
                    ${AndIf} $2 != ".."
                        StrCpy $0 0
                        ${ExitDo}
                    ${EndIf}
                    FindNext $1 $2
                ${Loop}
                FindClose $1
            ${EndIf}
        ${EndIf}
    ${ElseIfNot} ${FileExists} "$INSTDIR"
        ; Missing: the setup makes it.
        StrCpy $0 1
    ${EndIf}
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; Deletes the translations the list on the stack names ("de.language|fr.language") from the
; Languages folder, and the folder when that leaves it empty. A name that is not a plain file
; name ending in .language is passed over, so no list reaches outside the folder or, through a
; wildcard, a translation of the user's own.
!macro DefineRemoveTranslations UN
Function ${UN}RemoveTranslations
    Exch $R0
    Push $R1
    Push $R2
    Push $R3
    Push $R4
    ; $R1 the name so far, $R2 the position in the list, $R3 its character there, $R4 "no" once
    ; the name holds a character no file name in the folder has.
    StrCpy $R1 ""
    StrCpy $R2 0
    StrCpy $R4 ""
    ${Do}
        StrCpy $R3 $R0 1 $R2
        ${If} $R3 == "|"
        ${OrIf} $R3 == ""
            ${If} $R4 == ""
            ${AndIf} $R1 != ""
                StrCpy $R4 $R1 "" -9
                ${If} $R4 == ".language"
                    Delete "$INSTDIR\${LANGUAGES_FOLDER}\$R1"
                ${EndIf}
            ${EndIf}
            ${If} $R3 == ""
                ${ExitDo}
            ${EndIf}
            StrCpy $R1 ""
            StrCpy $R4 ""
        ${ElseIf} $R3 == "\"
        ${OrIf} $R3 == "/"
        ${OrIf} $R3 == ":"
        ${OrIf} $R3 == "*"
        ${OrIf} $R3 == "?"
            StrCpy $R4 "no"
        ${Else}
            StrCpy $R1 "$R1$R3"
        ${EndIf}
        IntOp $R2 $R2 + 1
    ${Loop}
    RMDir "$INSTDIR\${LANGUAGES_FOLDER}"
    Pop $R4
    Pop $R3
    Pop $R2
    Pop $R1
    Pop $R0
FunctionEnd
!macroend
!insertmacro DefineRemoveTranslations ""
!insertmacro DefineRemoveTranslations "un."
!ifndef QM_LANGUAGE_FILES
!define QM_LANGUAGE_FILES ""
!endif

; The component's name is the product's, the same in every language.
Section "Quillmoor" SecProgram
    SectionIn RO
    ; It may have been started while the pages were shown.
    Call EnsureQuillmoorClosed
    SetOutPath "$INSTDIR"
    ; Written first, so that a setup that stops half-way may be run again over what it left.
    ClearErrors
    FileOpen $0 "$INSTDIR\${MARKER}" w
    ${IfNot} ${Errors}
        FileWriteUTF16LE $0 "$INSTDIR$\r$\n"
        FileWriteUTF16LE $0 "Quillmoor's setup installed Quillmoor into this folder.$\r$\n"
        FileClose $0
    ${EndIf}
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

    ; The translations an earlier setup installed go first, so that one this version no longer
    ; ships does not stay behind; a translation of the user's own stays.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "LanguageFiles"
    Push $0
    Call RemoveTranslations
    !if "${QM_LANGUAGE_FILES}" != ""
    SetOutPath "$INSTDIR\${LANGUAGES_FOLDER}"
    File "${QM_DIST}/${LANGUAGES_FOLDER}/*.language"
    SetOutPath "$INSTDIR"
    !endif

    ; The administrative templates are documentation: nothing reads them here.
    SetOutPath "$INSTDIR\${POLICIES_FOLDER}"
    File "${QM_DIST}/policies/Quillmoor.admx"
    !insertmacro PolicyLanguages InstallPolicyLanguage
    SetOutPath "$INSTDIR"

    ; The log component registers itself for this user only (HKCU\Software\Classes).
    !insertmacro Regsvr32 "/s"
    ${If} $0 != 0
        DetailPrint "$(QmLogNotRegisteredDetail)"
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(QmLogNotRegistered)" /SD IDOK
    ${EndIf}

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Quillmoor.exe" "" "$INSTDIR\Quillmoor.exe" 0 SW_SHOWNORMAL "" "$(QmShortcutComment)"

    ; The uninstaller proper, and Uninstall.exe, which runs a copy of it and waits for it.
    WriteUninstaller "$INSTDIR\Uninstall.dat"
    File "/oname=Uninstall.exe" "${QM_UNINSTALL_LAUNCHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${QM_VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillmoor.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegStr HKCU "${UNINSTALL_KEY}" "LanguageFiles" "${QM_LANGUAGE_FILES}"
    ; A silent setup shows no language page, yet its uninstall speaks its language too.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "${MUI_LANGDLL_REGISTRY_VALUENAME}" $LANGUAGE
    ; The program's own size: the files in its folder and its translations, not the restore points
    ; and the log below it.
    ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
    !if "${QM_LANGUAGE_FILES}" != ""
    ${GetSize} "$INSTDIR\${LANGUAGES_FOLDER}" "/M=*.language /S=0K /G=0" $3 $1 $2
    IntOp $0 $0 + $3
    !endif
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "$(QmDesktopSection)" SecDesktop
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Quillmoor.exe" "" "$INSTDIR\Quillmoor.exe" 0 SW_SHOWNORMAL "" "$(QmShortcutComment)"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(QmProgramDescription)"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "$(QmDesktopDescription)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    ; The language first (asked only when not silent), so that every question after it is in it.
    !insertmacro MUI_LANGDLL_DISPLAY
    Call EnsureQuillmoorClosed
    ; A silent setup has nobody to ask for another folder (the interactive one asks on leaving the
    ; folder page): it refuses before it writes anything.
    ${If} ${Silent}
        Call IsFolderForQuillmoor
        Pop $0
        ${If} $0 == 0
            SetErrorLevel 3
            Quit
        ${EndIf}
    ${EndIf}
    ; /DESKTOP ticks the desktop shortcut, so silent installs can have one too.
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/DESKTOP" $R1
    ${IfNot} ${Errors}
        !insertmacro SelectSection ${SecDesktop}
    ${EndIf}
FunctionEnd

; An upgrade installs over the existing installation, wherever the user put it; a folder given
; with /D= is shown, and checked, like any other.
Function SkipFolderPageOnUpgrade
    ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 != ""
    ${AndIf} $R0 == $INSTDIR
    ${AndIf} ${FileExists} "$R0\Quillmoor.exe"
        Abort
    ${EndIf}
FunctionEnd

Function RefuseForeignFolder
    Call IsFolderForQuillmoor
    Pop $R0
    ${If} $R0 == 0
        MessageBox MB_OK|MB_ICONEXCLAMATION "$(QmFolderNotQuillmoors)"
        Abort
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro MUI_UNGETLANGUAGE
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
    Push "${QM_LANGUAGE_FILES}"
    Call un.RemoveTranslations
    ; Each template by its name, each folder only when empty, never RMDir /r.
    !insertmacro PolicyLanguages RemovePolicyLanguage
    Delete "$INSTDIR\${POLICIES_FOLDER}\Quillmoor.admx"
    RMDir "$INSTDIR\${POLICIES_FOLDER}"
    Delete "$INSTDIR\config.xml"
    ; What a configuration save left behind when it could not finish (its temporary file).
    Delete "$INSTDIR\qmc*.tmp"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; The restore points may hold the only copies of files Quillmoor cleaned: they, and the log
    ; that tells what happened, go only when the user says so. A silent uninstall keeps them.
    ${If} ${FileExists} "$INSTDIR\${RESTORE_POINTS}\*.*"
    ${OrIf} ${FileExists} "$INSTDIR\${LOG_FOLDER}\*.*"
        MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "$(QmDeleteUserData)" /SD IDNO IDNO keepUserData
        ; Never RMDir /r: it follows the links and junctions inside, into the user's documents or
        ; anywhere else. Uninstall.exe removes both folders the way the program removes a restore
        ; point, entry by entry, a link at most as itself.
        ClearErrors
        ExecWait '"$INSTDIR\Uninstall.exe" /REMOVEBACKUPANDLOG' $0
        ${If} ${Errors}
        ${OrIf} $0 != 0
            DetailPrint "$(QmUserDataStayed)"
            MessageBox MB_OK|MB_ICONEXCLAMATION "$(QmUserDataStayed)" /SD IDOK
        ${EndIf}
    keepUserData:
    ${EndIf}
    ; The marker goes with the last of what the program left in the folder.
    ${IfNot} ${FileExists} "$INSTDIR\${RESTORE_POINTS}\*.*"
    ${AndIfNot} ${FileExists} "$INSTDIR\${LOG_FOLDER}\*.*"
    ${AndIfNot} ${FileExists} "$INSTDIR\${LANGUAGES_FOLDER}\*.*"
        Delete "$INSTDIR\${MARKER}"
    ${EndIf}
    Delete "$INSTDIR\Uninstall.dat"
    ; Run by Uninstall.exe, the uninstaller cannot delete that file, which then leaves the folder
    ; on its own.
    Delete "$INSTDIR\Uninstall.exe"
    ; Only an empty folder goes (run by Uninstall.exe, that one removes it once it has left).
    RMDir "$INSTDIR"
SectionEnd
