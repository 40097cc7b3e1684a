; Setup program of ZQLumavex. It creates exactly what Uninstall.exe removes:
; the files in a folder of their own (by default
; $PROGRAMFILES64\ZQLumavex), the uninstall registration "ZQLumavex" in the
; 32-bit view, the current user's desktop shortcut "ZQLumavex.lnk" and
; Start-menu folder "ZQLumavex". Modern UI pages in Simplified Chinese; only
; NSIS's own headers and plug-ins, so the same script builds for both
; targets. The file is UTF-8 (makensis -INPUTCHARSET UTF8).
;
; makensis -INPUTCHARSET UTF8 -DOUTFILE=... -DVERSION=... -DLUMARION_EXE=...
;          -DUNINSTALL_EXE=... -DCONFIG_INI=... [-DICON=...] [-DAMD64]
;          ZQLumavex.nsi

!ifdef AMD64
  Target amd64-unicode
!else
  Unicode true
!endif

!define PRODUCT "ZQLumavex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

; Everything of ours that can be in the installation folder; the
; uninstaller deletes these names and nothing else.
!define OWN_CLIENT "Lumarion.exe"
!define OWN_UNINSTALLER "Uninstall.exe"
!define OWN_CONFIG "Config.ini"
!define OWN_SCRIPT "velmor_uninstall.bat"

!include "MUI2.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The client is a 64-bit program: it belongs in the 64-bit program files.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
!endif
!define MUI_ABORTWARNING

!define MUI_DIRECTORYPAGE_TEXT_TOP "安装程序将把 ${PRODUCT} 安装到下列文件夹中的“${PRODUCT}”文件夹。要安装到其他位置，请单击“浏览”并选择其他文件夹。单击“安装”开始安装。"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
; The progress page stays until the player moves on.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "立即开始游戏"
!define MUI_FINISHPAGE_RUN_FUNCTION StartGame
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_LANGUAGE "SimpChinese"

; The folder is always one of its own: "C:\Games" becomes
; "C:\Games\ZQLumavex".
Function NormaliseInstallFolder
  ${DoWhile} $INSTDIR != ""
    StrCpy $0 $INSTDIR 1 -1
    ${If} $0 != "\"
      ${Break}
    ${EndIf}
    StrCpy $INSTDIR $INSTDIR -1
  ${Loop}
  StrCpy $0 $INSTDIR "" -10
  ${If} $0 != "\${PRODUCT}"
    StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
  ${EndIf}
FunctionEnd

; $0 = 1 when $INSTDIR may be installed into: it does not exist, is empty,
; or is already an installation of ours (holds the client and nothing
; foreign, so an upgrade). Anything else is someone else's folder.
Function CheckInstallFolder
  Push $1
  Push $2
  Push $3
  StrCpy $0 1
  ${If} ${FileExists} "$INSTDIR\*.*"
    StrCpy $3 0 ; entries seen
    FindFirst $1 $2 "$INSTDIR\*.*"
    ${DoWhile} $2 != ""
      ${If} $2 != "."
      ${AndIf} $2 != ".."
        IntOp $3 $3 + 1
        ${If} ${FileExists} "$INSTDIR\$2\*.*"
          StrCpy $0 0 ; a folder is never ours
        ${ElseIf} $2 != "${OWN_CLIENT}"
        ${AndIf} $2 != "${OWN_UNINSTALLER}"
        ${AndIf} $2 != "${OWN_CONFIG}"
        ${AndIf} $2 != "${OWN_SCRIPT}"
          StrCpy $0 0
        ${EndIf}
      ${EndIf}
      FindNext $1 $2
    ${Loop}
    FindClose $1
    ${If} $3 > 0
    ${AndIfNot} ${FileExists} "$INSTDIR\${OWN_CLIENT}"
      StrCpy $0 0
    ${EndIf}
  ${ElseIf} ${FileExists} "$INSTDIR"
    StrCpy $0 0 ; a file of that name
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

Function .onInit
!ifdef AMD64
  StrCpy $0 "AMD64"
!else
  ; Set for 32-bit programs on 64-bit Windows only.
  ReadEnvStr $0 PROCESSOR_ARCHITEW6432
!endif
  ${If} $0 == ""
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} 需要 64 位 Windows。" /SD IDOK
    Abort
  ${EndIf}
  Call NormaliseInstallFolder
  ; Without pages the check runs here, before anything is written.
  ${If} ${Silent}
    Call CheckInstallFolder
    ${If} $0 != 1
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  Call NormaliseInstallFolder
  ; The page takes the folder from its field again after this: show the
  ; player the folder that is really used.
  FindWindow $1 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $1 1019
  SendMessage $1 ${WM_SETTEXT} 0 "STR:$INSTDIR"
  Call CheckInstallFolder
  ${If} $0 != 1
    MessageBox MB_OK|MB_ICONEXCLAMATION "文件夹“$INSTDIR”中已有其他文件。$\r$\n$\r$\n为了不影响这些文件，请选择一个空文件夹或新文件夹。"
    Abort
  ${EndIf}
FunctionEnd

; Started through the shell as the desktop user, not with the setup's
; administrator rights.
Function StartGame
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\${OWN_CLIENT}"'
FunctionEnd

Section "${PRODUCT}" SecMain
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=${OWN_CLIENT}" "${LUMARION_EXE}"
  File "/oname=${OWN_UNINSTALLER}" "${UNINSTALL_EXE}"
  File "/oname=${OWN_CONFIG}" "${CONFIG_INI}"

  ; Where the 32-bit uninstaller looks for it.
  SetRegView 32
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${OWN_UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${OWN_CLIENT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  SetRegView default

  ; Shortcuts start the client in its own folder (the output path).
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${OWN_CLIENT}"
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${OWN_CLIENT}"
SectionEnd
