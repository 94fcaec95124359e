; The Windows installer: installs the program for the current user, without administrator
; rights, into the user's programs folder, with a Start-menu entry and an entry among the
; installed programs (Settings > Apps) that uninstalls it. /S installs silently. Installing over
; an earlier version removes that one first, so that only the new one is left.
;
; Made by scripts/package-windows, which passes in
;   VERSION  the program's version (CMake's project version), three numbers
;   STAGE    the folder holding what is installed: the program, LICENSE.txt, THIRD-PARTY.txt,
;            README.txt, examples\ and docs\ (the user's pages, their pictures, the analysis
;            recipes)
;   ICON     the program's icon
;   OUTFILE  the installer to write

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Dissimilarity Matrices"
!define PUBLISHER "The Dissimilarity Matrices developers"
!define PROGRAM "dissimilarity_matrices.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\DissimilarityMatrices"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} installer"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 the Dissimilarity Matrices developers; MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext current
  ; An earlier installation is replaced where it is.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; Removes what an installation put in $INSTDIR, the shortcut and the entry among the installed
; programs; the folder goes too when nothing else is left in it.
!macro RemoveInstallation un
Function ${un}RemoveInstallation
  Delete "$INSTDIR\${PROGRAM}"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\examples\example-sort-data.txt"
  Delete "$INSTDIR\examples\example-matrices.txt"
  RMDir "$INSTDIR\examples"
  Delete "$INSTDIR\docs\guide.md"
  Delete "$INSTDIR\docs\data.md"
  Delete "$INSTDIR\docs\install.md"
  Delete "$INSTDIR\docs\analysis.md"
  Delete "$INSTDIR\docs\window.png"
  Delete "$INSTDIR\docs\window-wine.png"
  Delete "$INSTDIR\docs\example-map.png"
  Delete "$INSTDIR\docs\recipes\read-matrices.sps"
  Delete "$INSTDIR\docs\recipes\scaling-spss.sps"
  Delete "$INSTDIR\docs\recipes\analysis.R"
  Delete "$INSTDIR\docs\recipes\analysis.py"
  RMDir "$INSTDIR\docs\recipes"
  RMDir "$INSTDIR\docs"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
FunctionEnd
!macroend
!insertmacro RemoveInstallation ""
!insertmacro RemoveInstallation "un."

Section "Install"
  ; An earlier version's files, shortcut and entry go first; what is installed now replaces them.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    Push $INSTDIR
    StrCpy $INSTDIR $0
    Call RemoveInstallation
    Pop $INSTDIR
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\${PROGRAM}"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY.txt"
  File "${STAGE}\README.txt"
  SetOutPath "$INSTDIR\examples"
  File "${STAGE}\examples\example-sort-data.txt"
  File "${STAGE}\examples\example-matrices.txt"
  SetOutPath "$INSTDIR\docs"
  File "${STAGE}\docs\guide.md"
  File "${STAGE}\docs\data.md"
  File "${STAGE}\docs\install.md"
  File "${STAGE}\docs\analysis.md"
  File "${STAGE}\docs\window.png"
  File "${STAGE}\docs\window-wine.png"
  File "${STAGE}\docs\example-map.png"
  SetOutPath "$INSTDIR\docs\recipes"
  File "${STAGE}\docs\recipes\read-matrices.sps"
  File "${STAGE}\docs\recipes\scaling-spss.sps"
  File "${STAGE}\docs\recipes\analysis.R"
  File "${STAGE}\docs\recipes\analysis.py"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${PROGRAM}" "" "$INSTDIR\${PROGRAM}" 0 SW_SHOWNORMAL \
    "" "Turn free-sorting data into dissimilarity matrices"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section "Uninstall"
  Call un.RemoveInstallation
SectionEnd
