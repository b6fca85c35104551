; Mirelo's installer, built by scripts/package.sh. It installs the program folder, registers the
; "qsnotifyclient:" link protocol and the ".xnf" shortcut type, adds a start-menu entry and an entry in
; "Programs and Features", and writes an uninstaller that removes all of that again. Users' own data
; (the settings folder under %APPDATA%) is never touched.
;
; package.sh defines: VERSION (x.y.z), OUT_FILE, ICON, FILES_NSH (File commands of the program
; folder) and DELETE_NSH (the matching Delete commands), both generated from the build's file list;
; WIN64 for the installer of the 64-bit build, a 64-bit program that installs into the 64-bit program
; folder and keeps its "Programs and Features" entry in the 64-bit registry view.

!ifdef WIN64
    Target amd64-unicode
    !define PROGRAM_FILES "$PROGRAMFILES64"
!else
    Unicode true
    !define PROGRAM_FILES "$PROGRAMFILES"
!endif
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include WinMessages.nsh
!include FileFunc.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirelo"
!define CLASSES "Software\Classes"
; The running client's main window and its single-instance mutex.
!define MAIN_TITLE "QXNotifyTray"
!define MUTEX_NAME "퀼론 메신저"
!define SYNCHRONIZE 0x00100000

Name "Mirelo"
OutFile "${OUT_FILE}"
InstallDir "${PROGRAM_FILES}\Mirelo"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Mirelo ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for desktops in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

LangString ShortcutTypeName ${LANG_ENGLISH} "Mirelo start-up file"
LangString ShortcutTypeName ${LANG_KOREAN} "Mirelo 시작 파일"
LangString StillRunning ${LANG_ENGLISH} "Mirelo is still running and could not be closed.$\r$\nClose it from its tray icon, then choose Retry."
LangString StillRunning ${LANG_KOREAN} "Mirelo가 실행 중이며 종료할 수 없습니다.$\r$\n알림 영역 아이콘에서 종료한 다음 [다시 시도]를 누르십시오."

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Quillon Groupware Mirelo"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "Corvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Mirelo Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (C) Corvane"

; Ends a running client before its files are replaced or removed: "Mirelo.exe APPEXIT" first, as the
; groupware does; a client that still has its window after that is sent WM_CLOSE directly. Waits,
; bounded, until the process has let go of its mutex, so its files are free.
!macro END_RUNNING_CLIENT UN
Function ${UN}EndRunningClient
    Push $0
    Push $1
    retry:
    FindWindow $0 "" "${MAIN_TITLE}"
    ${If} $0 <> 0
    ${AndIf} ${FileExists} "$INSTDIR\Mirelo.exe"
        ExecWait '"$INSTDIR\Mirelo.exe" APPEXIT'
    ${EndIf}
    StrCpy $1 0
    ${Do}
        FindWindow $0 "" "${MAIN_TITLE}"
        ${If} $0 = 0
        ${OrIf} $1 >= 100
            ${ExitDo}
        ${EndIf}
        ${If} $1 = 50
            SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        ${EndIf}
        Sleep 100
        IntOp $1 $1 + 1
    ${Loop}
    ${If} $0 <> 0
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY retry
        Abort
    ${EndIf}
    StrCpy $1 0
    ${Do}
        System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${MUTEX_NAME}") p .r0'
        ${If} $0 P= 0
        ${OrIf} $1 >= 100
            ${ExitDo}
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r0)'
        Sleep 100
        IntOp $1 $1 + 1
    ${Loop}
    ; The client lets go of its mutex before its process has ended; its program file stays locked
    ; until then, so wait (bounded) until it can be opened for writing.
    StrCpy $1 0
    ${Do}
        ${IfNot} ${FileExists} "$INSTDIR\Mirelo.exe"
        ${OrIf} $1 >= 100
            ${ExitDo}
        ${EndIf}
        ClearErrors
        FileOpen $0 "$INSTDIR\Mirelo.exe" a
        ${IfNot} ${Errors}
            FileClose $0
            ${ExitDo}
        ${EndIf}
        Sleep 100
        IntOp $1 $1 + 1
    ${Loop}
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro END_RUNNING_CLIENT ""
!insertmacro END_RUNNING_CLIENT "un."

; Class registrations go into both registry views: on Windows they are one shared key, under Wine
; the 32-bit client and the 64-bit shell each read their own.
!macro FOR_EACH_REGISTRY_VIEW FUNCTION
    SetRegView 32
    Call ${FUNCTION}
    ; A 64-bit installer runs only on 64-bit Windows.
    !if ${NSIS_PTR_SIZE} <= 4
    ${If} ${RunningX64}
    !endif
        SetRegView 64
        Call ${FUNCTION}
    !if ${NSIS_PTR_SIZE} <= 4
    ${EndIf}
    !endif
    SetRegView default
!macroend

Function RegisterClasses
    WriteRegStr HKLM "${CLASSES}\qsnotifyclient" "" "URL:qsnotifyclient Protocol"
    WriteRegStr HKLM "${CLASSES}\qsnotifyclient" "URL Protocol" ""
    WriteRegStr HKLM "${CLASSES}\qsnotifyclient\DefaultIcon" "" '"$INSTDIR\Mirelo.exe",0'
    WriteRegStr HKLM "${CLASSES}\qsnotifyclient\shell\open\command" "" '"$INSTDIR\Mirelo.exe" "%1"'

    WriteRegStr HKLM "${CLASSES}\.xnf" "" "xnf_auto_file"
    WriteRegStr HKLM "${CLASSES}\xnf_auto_file" "" "$(ShortcutTypeName)"
    ; Safe to open straight from the browser's download.
    WriteRegBin HKLM "${CLASSES}\xnf_auto_file" "EditFlags" 00000100
    WriteRegStr HKLM "${CLASSES}\xnf_auto_file\DefaultIcon" "" '"$INSTDIR\Mirelo.exe",0'
    WriteRegStr HKLM "${CLASSES}\xnf_auto_file\shell\open\command" "" '"$INSTDIR\Mirelo.exe" "%1"'
FunctionEnd

; Removes what RegisterClasses wrote; xnf_auto_file itself stays while it holds users' save options
; (its "Settings" subkey).
Function un.UnregisterClasses
    DeleteRegKey HKLM "${CLASSES}\qsnotifyclient"

    ReadRegStr $0 HKLM "${CLASSES}\.xnf" ""
    ${If} $0 == "xnf_auto_file"
        DeleteRegValue HKLM "${CLASSES}\.xnf" ""
        DeleteRegKey /ifempty HKLM "${CLASSES}\.xnf"
    ${EndIf}
    DeleteRegKey HKLM "${CLASSES}\xnf_auto_file\shell"
    DeleteRegKey HKLM "${CLASSES}\xnf_auto_file\DefaultIcon"
    DeleteRegValue HKLM "${CLASSES}\xnf_auto_file" "EditFlags"
    DeleteRegValue HKLM "${CLASSES}\xnf_auto_file" ""
    DeleteRegKey /ifempty HKLM "${CLASSES}\xnf_auto_file"
FunctionEnd

Section "Mirelo"
    SectionIn RO
    SetShellVarContext all
    Call EndRunningClient
    ; An installed version removes its own files and keys first, so nothing it shipped lingers; users'
    ; settings are not its to remove, so they survive the upgrade.
    ${If} ${FileExists} "$INSTDIR\Uninstall.exe"
        ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
    ${EndIf}

    SetOutPath "$INSTDIR"
    SetOverwrite on
    !include "${FILES_NSH}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    !insertmacro FOR_EACH_REGISTRY_VIEW RegisterClasses
    CreateShortCut "$SMPROGRAMS\Mirelo.lnk" "$INSTDIR\Mirelo.exe" "" "$INSTDIR\Mirelo.exe" 0

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Mirelo"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Mirelo.exe",0'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Call un.EndRunningClient
    !include "${DELETE_NSH}"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only an empty folder goes: notification stores the client kept beside the program stay.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Mirelo.lnk"
    !insertmacro FOR_EACH_REGISTRY_VIEW un.UnregisterClasses
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
