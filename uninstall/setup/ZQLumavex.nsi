; Setup program of ZQLumavex. It creates exactly what Uninstall.exe removes:
; the files in $PROGRAMFILES64\ZQLumavex, the uninstall registration
; "ZQLumavex" in the 32-bit view, the current user's desktop shortcut
; "ZQLumavex.lnk" and Start-menu folder "ZQLumavex". No plugins, so the same
; script builds for both targets.
;
; makensis -DOUTFILE=... -DVERSION=... -DLUMARION_EXE=... -DUNINSTALL_EXE=...
;          -DCONFIG_INI=... [-DICON=...] [-DAMD64] ZQLumavex.nsi

!ifdef AMD64
  Target amd64-unicode
!else
  Unicode true
!endif

!define PRODUCT "ZQLumavex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef ICON
  Icon "${ICON}"
!endif
; The client is a 64-bit program: it belongs in the 64-bit program files.
InstallDir "$PROGRAMFILES64\${PRODUCT}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails nevershow

Page directory
Page instfiles

Function .onInit
!ifdef AMD64
  StrCpy $0 "AMD64"
!else
  ; Set for 32-bit programs on 64-bit Windows only.
  ReadEnvStr $0 PROCESSOR_ARCHITEW6432
!endif
  StrCmp $0 "" 0 windows64
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs 64-bit Windows." /SD IDOK
    Abort
  windows64:
FunctionEnd

Section "${PRODUCT}" SecMain
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=Lumarion.exe" "${LUMARION_EXE}"
  File "/oname=Uninstall.exe" "${UNINSTALL_EXE}"
  File "/oname=Config.ini" "${CONFIG_INI}"

  ; Where the 32-bit uninstaller looks for it.
  SetRegView 32
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Lumarion.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  SectionGetSize ${SecMain} $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  SetRegView default

  ; Shortcuts start the client in its own folder (the output path).
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\Lumarion.exe"
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\Lumarion.exe"
SectionEnd
