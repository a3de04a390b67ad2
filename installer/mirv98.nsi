; The Mirravel 98 installer: the program, the Explorer extension and the user guide, the program's
; registry key, the extension's registration (all files and folders), a Start-menu shortcut and an
; entry in the list of installed programs. The uninstaller removes what this installer made.
;
; makensis -DVERSION=... -DEXE=... -DDLL=... -DRTF=... -DICON=... -DCLSID={...} -DOUTFILE=... mirv98.nsi

Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma

!define PRODUCT "The Mirravel 98"
!define PROGRAM_KEY "SOFTWARE\Harwick\mirv98"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirravel98"
!define FOLDER_HANDLER "Directory\shellex\ContextMenuHandlers\${CLSID}"
; Users may change the program's values (its folders and options) and the extension may hand a pair
; over; administrators and the system keep full control.
!define KEY_ACCESS "D:PAI(A;CI;KA;;;SY)(A;CI;KA;;;BA)(A;CI;KRKW;;;BU)"
!define FILE_ACCESS "D:PAI(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1301bf;;;BU)"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Harwick\Mirv98"
RequestExecutionLevel admin
ShowInstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "Harwick"
VIAddVersionKey "LegalCopyright" "Harwick"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Replaces the access list of a named object with the one an SDDL text describes.
; $0: object name, $1: object type (1 file, 4 registry key), $2: SDDL.
Function SetAccess
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w r2, i 1, *p .r3, p 0) i .r4'
  StrCmp $4 0 done
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r3, *i .r5, *p .r6, *i .r7) i .r4'
  ; DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION
  System::Call 'advapi32::SetNamedSecurityInfoW(w r0, i r1, i 0x80000004, p 0, p 0, p r6, p 0) i .r4'
  System::Call 'kernel32::LocalFree(p r3)'
  done:
FunctionEnd

Section "Install"
  SetRegView 64
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "/oname=mirv98.exe" "${EXE}"
  File "/oname=mirv98.dll" "${DLL}"
  File "/oname=mirv98.rtf" "${RTF}"
  ; The settings file starts empty; a new installation over an old one keeps the user's.
  IfFileExists "$INSTDIR\mirv4.dat" +3
    FileOpen $0 "$INSTDIR\mirv4.dat" w
    FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${PROGRAM_KEY}" "runpath" "$INSTDIR"
  WriteRegStr HKLM "${PROGRAM_KEY}" "Version" "${VERSION}"
  StrCpy $0 "MACHINE\${PROGRAM_KEY}"
  StrCpy $1 4
  StrCpy $2 "${KEY_ACCESS}"
  Call SetAccess
  StrCpy $0 "$INSTDIR\mirv4.dat"
  StrCpy $1 1
  StrCpy $2 "${FILE_ACCESS}"
  Call SetAccess

  ; The extension registers itself for all files; folders are registered here.
  RegDLL "$INSTDIR\mirv98.dll"
  WriteRegStr HKCR "${FOLDER_HANDLER}" "" ""

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\mirv98.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Harwick"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\mirv98.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  UnRegDLL "$INSTDIR\mirv98.dll"
  DeleteRegKey HKCR "${FOLDER_HANDLER}"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\mirv98.exe"
  Delete "$INSTDIR\mirv98.dll"
  Delete "$INSTDIR\mirv98.rtf"
  Delete "$INSTDIR\mirv4.dat"
  Delete "$INSTDIR\uninstall.exe"
  ; Only empty folders go: anything a user put there stays.
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Harwick"
  DeleteRegKey HKLM "${PROGRAM_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Harwick"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
