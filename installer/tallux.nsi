; The Windows installer of Tallux: both DLLs (64-bit and 32-bit hosts),
; registered for the current user (no administrator rights) or, with
; /AllUsers, machine-wide. /S installs silently. The uninstaller takes away
; exactly what the installation wrote.
; scripts/windows runs: makensis -DVERSION=... -DX64=... -DX86=... -DREADME=...
;                       -DLICENSE=... -DOUTFILE=... tallux.nsi
Unicode true
Name "Tallux ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

!include FileFunc.nsh
!include LogicLib.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tallux"

Var AllUsers

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
    StrCpy $AllUsers 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AllUsers" $1
    ${IfNot} ${Errors}
        StrCpy $AllUsers 1
    ${EndIf}
    ${If} $AllUsers = 1
        UserInfo::GetAccountType
        Pop $1
        ${If} $1 != "Admin"
            MessageBox MB_ICONSTOP "Installing for all users needs administrator rights." /SD IDOK
            SetErrorLevel 5
            Quit
        ${EndIf}
        SetShellVarContext all
    ${Else}
        SetShellVarContext current
    ${EndIf}
    ; The folder /D= names, else the usual one.
    ${If} $INSTDIR == ""
        ${If} $AllUsers = 0
            StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Tallux"
        ${ElseIf} ${RunningX64}
            StrCpy $INSTDIR "$PROGRAMFILES64\Tallux"
        ${Else}
            StrCpy $INSTDIR "$PROGRAMFILES\Tallux"
        ${EndIf}
    ${EndIf}
FunctionEnd

; Register DLL: the DLL's own architecture's regsvr32, per user or machine-wide.
!macro Register REGSVR DLL UNDO
    ${If} $AllUsers = 1
        ExecWait '"${REGSVR}" /s ${UNDO} "${DLL}"' $0
    ${Else}
        ExecWait '"${REGSVR}" /s ${UNDO} /n /i:user "${DLL}"' $0
    ${EndIf}
!macroend
; Stops the uninstaller, files kept, when a DLL cannot be unregistered.
!macro Unregistered WHICH
    ${If} $0 != 0
        SetErrorLevel 3
        Abort "The ${WHICH} tallux.dll could not be unregistered (regsvr32 exit $0)."
    ${EndIf}
!macroend

Section "Tallux"
    ; Whether the per-user programs folder is this installation's to remove:
    ; made for it now, or for the installation that it replaces.
    ReadRegDWORD $2 HKCU "${UNINSTALL_KEY}" "MadeProgramsFolder"
    ${If} $2 != 1
        StrCpy $2 0
        ${If} $INSTDIR == "$LOCALAPPDATA\Programs\Tallux"
        ${AndIfNot} ${FileExists} "$LOCALAPPDATA\Programs\*.*"
            StrCpy $2 1
        ${EndIf}
    ${EndIf}
    SetOutPath "$INSTDIR"
    File "/oname=README-Windows.txt" "${README}"
    File "/oname=LICENSE.txt" "${LICENSE}"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    ; The uninstaller learns the scope from where its key is.
    ${If} $AllUsers = 1
        WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tallux ${VERSION}"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
        WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /AllUsers'
        WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S /AllUsers'
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${Else}
        WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tallux ${VERSION}"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
        WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
        WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
        WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
        WriteRegDWORD HKCU "${UNINSTALL_KEY}" "MadeProgramsFolder" $2
    ${EndIf}

    SetOutPath "$INSTDIR\x86"
    File "/oname=tallux.dll" "${X86}"
    ${If} ${RunningX64}
        !insertmacro Register "$WINDIR\SysWOW64\regsvr32.exe" "$INSTDIR\x86\tallux.dll" ""
    ${Else}
        !insertmacro Register "$SYSDIR\regsvr32.exe" "$INSTDIR\x86\tallux.dll" ""
    ${EndIf}
    ${If} $0 != 0
        DetailPrint "regsvr32 failed on the 32-bit DLL (exit $0)"
        SetErrorLevel 3
        Abort "The 32-bit tallux.dll could not be registered."
    ${EndIf}
    ${If} ${RunningX64}
        SetOutPath "$INSTDIR\x64"
        File "/oname=tallux.dll" "${X64}"
        ${DisableX64FSRedirection}
        !insertmacro Register "$SYSDIR\regsvr32.exe" "$INSTDIR\x64\tallux.dll" ""
        ${EnableX64FSRedirection}
        ${If} $0 != 0
            DetailPrint "regsvr32 failed on the 64-bit DLL (exit $0)"
            SetErrorLevel 3
            Abort "The 64-bit tallux.dll could not be registered."
        ${EndIf}
    ${EndIf}
    SetOutPath "$INSTDIR"
SectionEnd

Function un.onInit
    ; Installed for all users when the machine's uninstall key names this folder.
    StrCpy $AllUsers 0
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        StrCpy $AllUsers 1
        SetShellVarContext all
    ${EndIf}
FunctionEnd

Section "Uninstall"
    ${If} ${RunningX64}
        ${If} ${FileExists} "$INSTDIR\x64\tallux.dll"
            ${DisableX64FSRedirection}
            !insertmacro Register "$SYSDIR\regsvr32.exe" "$INSTDIR\x64\tallux.dll" "/u"
            ${EnableX64FSRedirection}
            !insertmacro Unregistered 64-bit
        ${EndIf}
        StrCpy $1 "$WINDIR\SysWOW64\regsvr32.exe"
    ${Else}
        StrCpy $1 "$SYSDIR\regsvr32.exe"
    ${EndIf}
    ${If} ${FileExists} "$INSTDIR\x86\tallux.dll"
        !insertmacro Register "$1" "$INSTDIR\x86\tallux.dll" "/u"
        !insertmacro Unregistered 32-bit
    ${EndIf}
    Delete "$INSTDIR\x64\tallux.dll"
    Delete "$INSTDIR\x86\tallux.dll"
    RMDir "$INSTDIR\x64"
    RMDir "$INSTDIR\x86"
    Delete "$INSTDIR\README-Windows.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    ${If} $AllUsers = 1
        DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ${Else}
        ; The per-user programs folder, when the installation made it.
        ReadRegDWORD $2 HKCU "${UNINSTALL_KEY}" "MadeProgramsFolder"
        ${If} $2 = 1
            RMDir "$LOCALAPPDATA\Programs"
        ${EndIf}
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
        DeleteRegKey /ifempty HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall"
    ${EndIf}
SectionEnd
