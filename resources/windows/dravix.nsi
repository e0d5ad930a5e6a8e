; The Windows installer: per user, without administrator rights, in Simplified Chinese.
; makensis -INPUTCHARSET UTF8 -DVERSION=<version> -DVERSION_SHORT=<short version> -DFILES=<folder with
; dravix.exe, LICENSE.txt and 说明.txt> -DICON=<dravix.ico> -DOUTFILE=<setup.exe> dravix.nsi

; A 64-bit installer for the 64-bit program; it runs wherever the program does.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
; No file times in the installer, and a fixed compressor: one commit gives the same bytes.
SetDateSave off
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dravix"
!define DESCRIPTION "3D 开奖号码计算器"

Name "Dravix"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Dravix"
BrandingText "Dravix ${VERSION_SHORT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\dravix.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Dravix"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Dravix"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Dravix ${DESCRIPTION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION_SHORT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION_SHORT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "MIT"

; A running Dravix holds its program file: rather than fail half-way, ask for it to be closed.
; Silent, the answer is Cancel and the run ends with exit code 2.
!macro WaitForDravixToClose
    ${Do}
        FindWindow $0 "Form1" "Dravix"
        ${If} $0 = 0
            ${Break}
        ${EndIf}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
            "Dravix 正在运行。请先关闭 Dravix，再点“重试”继续。" /SD IDCANCEL IDRETRY +2
        Abort
    ${Loop}
!macroend

Function .onInit
    !insertmacro WaitForDravixToClose
FunctionEnd

Function un.onInit
    !insertmacro WaitForDravixToClose
FunctionEnd

Section "Dravix" SectionProgram
    SectionIn RO
    ; The folder that holds per-user programs is made only if missing, and then taken away again
    ; by the uninstaller if it is left empty.
    StrCpy $1 0
    IfFileExists "$LOCALAPPDATA\Programs\*.*" +2
        StrCpy $1 1
    SetOutPath "$INSTDIR"
    File "${FILES}\dravix.exe"
    File "${FILES}\LICENSE.txt"
    File "${FILES}\说明.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\Dravix.lnk" "$INSTDIR\dravix.exe" "" "$INSTDIR\dravix.exe" 0 \
        SW_SHOWNORMAL "" "${DESCRIPTION}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Dravix"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Dravix"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\dravix.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${If} $1 = 1
        WriteRegDWORD HKCU "${UNINSTALL_KEY}" "DravixMadeProgramsFolder" 1
    ${EndIf}
    ${GetSize} "$INSTDIR" "/S=0K" $0 $2 $3
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "桌面快捷方式" SectionDesktop
    CreateShortcut "$DESKTOP\Dravix.lnk" "$INSTDIR\dravix.exe" "" "$INSTDIR\dravix.exe" 0 \
        SW_SHOWNORMAL "" "${DESCRIPTION}"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SectionProgram} "Dravix 程序和开始菜单中的快捷方式。"
    !insertmacro MUI_DESCRIPTION_TEXT ${SectionDesktop} "在桌面上放一个 Dravix 快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Exactly what the installer put there; a file of the user's own in the folder stays, and so
; does the folder then.
Section "Uninstall"
    Delete "$DESKTOP\Dravix.lnk"
    Delete "$SMPROGRAMS\Dravix.lnk"
    Delete "$INSTDIR\dravix.exe"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\说明.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ReadRegDWORD $0 HKCU "${UNINSTALL_KEY}" "DravixMadeProgramsFolder"
    ${If} $0 = 1
        RMDir "$LOCALAPPDATA\Programs"
    ${EndIf}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
