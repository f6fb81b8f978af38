; The Windows installer of UlvoFilter, built by scripts/package with makensis:
;
;   makensis -DVERSION=X.Y.Z -DLAYOUT64=DIR -DLAYOUT32=DIR -DDOCS=DIR
;            -DFILES=layout-files.nsh -DOUTFILE=FILE installer.nsi
;
; LAYOUT64 and LAYOUT32 are the staged Plug-Ins\Filters\UlvoFilter folders of
; the two Windows builds; DOCS holds LICENSE.txt and THIRD-PARTY-NOTICES.txt;
; FILES defines the macros UlvoInstallLayout and UlvoRemoveLayout, which
; install and remove the layout's files one by one (scripts/package writes
; them from the staged folder).
;
; A host loads only modules built for its own architecture, and the editor
; finds its help and patterns below the folder of the host's program. So the
; module goes below the folder of the host that runs it:
;   - the module of the system's architecture (64-bit on 64-bit Windows) into
;     the folder the directory page asks for, or /D=;
;   - on 64-bit Windows, optionally the 32-bit module for a 32-bit host, into
;     a second folder (the component "32-bit host", or /HOST32=).
; Each gets Plug-Ins\Filters\UlvoFilter with the module, the patterns, the
; help pages and the licence texts. The uninstaller (in the first folder's
; UlvoFilter folder) removes those files and only the folders the installer
; created, so that each host folder is left as it was.
;
; Silent use: setup.exe /S [/HOST32=FOLDER] /D=FOLDER   (/D= last, unquoted)

; -DTARGET_AMD64 builds the same installer as a 64-bit program: only for
; checking it on machines that cannot run 32-bit programs.
!ifdef TARGET_AMD64
  Target amd64-unicode
!else
  Unicode true
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include "${FILES}"

!define PRODUCT UlvoFilter
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\UlvoFilter"
!define BELOW_HOST "Plug-Ins\Filters\UlvoFilter"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir ""
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "UlvoSoft"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) UlvoSoft. All rights reserved."
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

Var Host32Dir   ; folder of a 32-bit host on 64-bit Windows; empty: none
Var Module      ; "64" or "32": the module that goes into $INSTDIR

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipComponentsOn32Bit
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP $(DirTextMain)
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION $(DirDestination)
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveMainFolder
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_DIRECTORYPAGE_VARIABLE $Host32Dir
!define MUI_DIRECTORYPAGE_TEXT_TOP $(DirText32)
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION $(DirDestination)
!define MUI_PAGE_CUSTOMFUNCTION_PRE Skip32BitFolder
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE Leave32BitFolder
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback on systems in neither language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SecMainName ${LANG_ENGLISH} "UlvoFilter for the image editor"
LangString SecMainName ${LANG_JAPANESE} "画像編集ソフト用 UlvoFilter"
LangString Sec32Name ${LANG_ENGLISH} "Also for a 32-bit image editor"
LangString Sec32Name ${LANG_JAPANESE} "32ビット版の画像編集ソフトにも入れる"
LangString DirTextMain ${LANG_ENGLISH} "Choose the folder of the image editor: the folder that holds its program and its Plug-Ins folder. UlvoFilter is installed into Plug-Ins\Filters\UlvoFilter below it."
LangString DirTextMain ${LANG_JAPANESE} "画像編集ソフトのフォルダ（プログラム本体と Plug-Ins フォルダがあるフォルダ）を選んでください。UlvoFilter はその下の Plug-Ins\Filters\UlvoFilter に入ります。"
LangString DirText32 ${LANG_ENGLISH} "Choose the folder of the 32-bit image editor. The 32-bit UlvoFilter is installed into Plug-Ins\Filters\UlvoFilter below it."
LangString DirText32 ${LANG_JAPANESE} "32ビット版の画像編集ソフトのフォルダを選んでください。32ビット版の UlvoFilter がその下の Plug-Ins\Filters\UlvoFilter に入ります。"
LangString DirDestination ${LANG_ENGLISH} "Folder of the image editor"
LangString DirDestination ${LANG_JAPANESE} "画像編集ソフトのフォルダ"
LangString NoPlugIns ${LANG_ENGLISH} "$R0 has no Plug-Ins folder. Is it really the image editor's folder? Install there anyway?"
LangString NoPlugIns ${LANG_JAPANESE} "$R0 には Plug-Ins フォルダがありません。本当に画像編集ソフトのフォルダですか？このまま入れますか？"
LangString SameFolder ${LANG_ENGLISH} "The 32-bit image editor needs a folder of its own."
LangString SameFolder ${LANG_JAPANESE} "32ビット版の画像編集ソフトには別のフォルダを選んでください。"
LangString NoFolder ${LANG_ENGLISH} "No image editor's folder given: use /D=FOLDER."
LangString NoFolder ${LANG_JAPANESE} "画像編集ソフトのフォルダが指定されていません（/D=フォルダ）。"

; ---------------------------------------------------------------- helpers

; Drops one trailing backslash and a trailing Plug-Ins, Plug-Ins\Filters or
; Plug-Ins\Filters\UlvoFilter from the folder in $R0, so that a user who
; points at the plug-in folder itself still gets the host's folder.
!macro UlvoDropSuffix SUFFIX
  StrLen $R2 "${SUFFIX}"
  StrCpy $R1 $R0 "" -$R2
  ${If} $R1 == "${SUFFIX}"  ; StrCmp ignores case, as the file system does
    StrCpy $R0 $R0 -$R2
  ${EndIf}
!macroend

Function HostFolderOf
  Push $R1
  Push $R2
  !insertmacro UlvoDropSuffix "\"
  !insertmacro UlvoDropSuffix "\${BELOW_HOST}"
  !insertmacro UlvoDropSuffix "\Plug-Ins\Filters"
  !insertmacro UlvoDropSuffix "\Plug-Ins"
  Pop $R2
  Pop $R1
FunctionEnd

; The first program folder below $R0 (one or two levels down) that has a
; Plug-Ins folder, in $R0; empty when there is none.
Function FindHostBelow
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  StrCpy $R5 ""
  FindFirst $R1 $R2 "$R0\*"
  ${DoWhile} $R2 != ""
    ${If} $R2 != "."
    ${AndIf} $R2 != ".."
      ${If} ${FileExists} "$R0\$R2\Plug-Ins\*.*"
        StrCpy $R5 "$R0\$R2"
        ${Break}
      ${EndIf}
      FindFirst $R3 $R4 "$R0\$R2\*"
      ${DoWhile} $R4 != ""
        ${If} $R4 != "."
        ${AndIf} $R4 != ".."
        ${AndIf} ${FileExists} "$R0\$R2\$R4\Plug-Ins\*.*"
          StrCpy $R5 "$R0\$R2\$R4"
          ${Break}
        ${EndIf}
        FindNext $R3 $R4
      ${Loop}
      FindClose $R3
      ${If} $R5 != ""
        ${Break}
      ${EndIf}
    ${EndIf}
    FindNext $R1 $R2
  ${Loop}
  FindClose $R1
  StrCpy $R0 $R5
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
FunctionEnd

; Creates one folder below the host folder $R0 and records in the uninstall
; key, under the value "created PREFIX SUB", that the installer made it.
!macro UlvoMakeFolder PREFIX SUB
  ${IfNot} ${FileExists} "$R0\${SUB}\*.*"
    CreateDirectory "$R0\${SUB}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "created ${PREFIX} ${SUB}" "1"
  ${EndIf}
!macroend

!macro UlvoMakeFolders PREFIX
  !insertmacro UlvoMakeFolder ${PREFIX} "Plug-Ins"
  !insertmacro UlvoMakeFolder ${PREFIX} "Plug-Ins\Filters"
  !insertmacro UlvoMakeFolder ${PREFIX} "${BELOW_HOST}"
  !insertmacro UlvoMakeFolder ${PREFIX} "${BELOW_HOST}\pattern"
  !insertmacro UlvoMakeFolder ${PREFIX} "${BELOW_HOST}\help"
  !insertmacro UlvoMakeFolder ${PREFIX} "${BELOW_HOST}\help\pictures"
!macroend

; Removes the folder below the host folder $R0 when the installer made it
; and it is empty now.
!macro UlvoRemoveFolder PREFIX SUB
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "created ${PREFIX} ${SUB}"
  ${If} $R1 == "1"
    RMDir "$R0\${SUB}"
  ${EndIf}
!macroend

!macro UlvoRemoveFolders PREFIX
  !insertmacro UlvoRemoveFolder ${PREFIX} "${BELOW_HOST}\help\pictures"
  !insertmacro UlvoRemoveFolder ${PREFIX} "${BELOW_HOST}\help"
  !insertmacro UlvoRemoveFolder ${PREFIX} "${BELOW_HOST}\pattern"
  !insertmacro UlvoRemoveFolder ${PREFIX} "${BELOW_HOST}"
  !insertmacro UlvoRemoveFolder ${PREFIX} "Plug-Ins\Filters"
  !insertmacro UlvoRemoveFolder ${PREFIX} "Plug-Ins"
!macroend

; An earlier installation is removed first, by its own uninstaller, so that
; its record of the folders it created is not lost. That uninstaller copies
; itself away and returns at once: wait until its record is gone.
Function RemoveEarlierInstallation
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == ""
    Return
  ${EndIf}
  ${IfNot} ${FileExists} "$R0\uninstall.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    Return
  ${EndIf}
  DetailPrint "$R0\uninstall.exe /S"
  ExecWait '"$R0\uninstall.exe" /S'
  ${ForEach} $R1 1 300 + 1
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R0 == ""
      ${Break}
    ${EndIf}
    Sleep 100
  ${Next}
FunctionEnd

; ---------------------------------------------------------------- install

Section "$(SecMainName)" SecMain
  SectionIn RO
  StrCpy $R0 $INSTDIR
  Call HostFolderOf
  StrCpy $INSTDIR $R0
  Call RemoveEarlierInstallation
  StrCpy $R0 $INSTDIR
  !insertmacro UlvoMakeFolders "main"
  StrCpy $0 "$INSTDIR\${BELOW_HOST}"
  ${If} $Module == "64"
    !insertmacro UlvoInstallLayout "${LAYOUT64}"
  ${Else}
    !insertmacro UlvoInstallLayout "${LAYOUT32}"
  ${EndIf}
  SetOutPath $0
  File "/oname=LICENSE.txt" "${DOCS}/LICENSE.txt"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${DOCS}/THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$0\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "UlvoSoft"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$0\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$0\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HostFolder" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Module" "$Module"
SectionEnd

Section /o "$(Sec32Name)" Sec32
  ${If} $Host32Dir == ""
  ${OrIf} $Module != "64"
    Return
  ${EndIf}
  StrCpy $R0 $Host32Dir
  !insertmacro UlvoMakeFolders "x86"
  StrCpy $0 "$Host32Dir\${BELOW_HOST}"
  !insertmacro UlvoInstallLayout "${LAYOUT32}"
  SetOutPath $0
  File "/oname=LICENSE.txt" "${DOCS}/LICENSE.txt"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${DOCS}/THIRD-PARTY-NOTICES.txt"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "HostFolder32" "$Host32Dir"
SectionEnd

; Functions that name the sections come after them.

Function .onInit
  ${If} ${RunningX64}
    StrCpy $Module "64"
    SetRegView 64
  ${Else}
    StrCpy $Module "32"
    SectionSetFlags ${Sec32} ${SF_RO}  ; no separate 32-bit host to ask for
    SectionSetText ${Sec32} ""
  ${EndIf}
  ; /HOST32=FOLDER: the 32-bit module for a 32-bit host as well.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/HOST32=" $R1
  ${IfNot} ${Errors}
  ${AndIf} $R1 != ""
  ${AndIf} $Module == "64"
    StrCpy $R0 $R1
    Call HostFolderOf
    StrCpy $Host32Dir $R0
    SectionSetFlags ${Sec32} ${SF_SELECTED}
  ${EndIf}
  ; The default folder: the last one installed into, else the first
  ; program folder with a Plug-Ins folder.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR HKLM "${UNINSTALL_KEY}" "HostFolder"
  ${EndIf}
  ${If} $INSTDIR == ""
    ${If} $Module == "64"
      StrCpy $R0 "$PROGRAMFILES64"
    ${Else}
      StrCpy $R0 "$PROGRAMFILES32"
    ${EndIf}
    Call FindHostBelow
    StrCpy $INSTDIR $R0
  ${EndIf}
  ${If} $Host32Dir == ""
  ${AndIf} $Module == "64"
    ReadRegStr $Host32Dir HKLM "${UNINSTALL_KEY}" "HostFolder32"
    ${If} $Host32Dir == ""
      StrCpy $R0 "$PROGRAMFILES32"
      Call FindHostBelow
      StrCpy $Host32Dir $R0
    ${EndIf}
  ${EndIf}
  ${If} ${Silent}
  ${AndIf} $INSTDIR == ""
    MessageBox MB_OK|MB_ICONSTOP $(NoFolder) /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd

Function SkipComponentsOn32Bit
  ${If} $Module == "32"
    Abort
  ${EndIf}
FunctionEnd

Function LeaveMainFolder
  StrCpy $R0 $INSTDIR
  Call HostFolderOf
  StrCpy $INSTDIR $R0
  ${IfNot} ${FileExists} "$R0\Plug-Ins\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION $(NoPlugIns) IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Function Skip32BitFolder
  ${IfNot} ${SectionIsSelected} ${Sec32}
    Abort
  ${EndIf}
FunctionEnd

Function Leave32BitFolder
  StrCpy $R0 $Host32Dir
  Call HostFolderOf
  StrCpy $Host32Dir $R0
  ${If} $Host32Dir == $INSTDIR
    MessageBox MB_OK|MB_ICONEXCLAMATION $(SameFolder)
    Abort
  ${EndIf}
  ${IfNot} ${FileExists} "$R0\Plug-Ins\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION $(NoPlugIns) IDYES +2
    Abort
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------- uninstall

Function un.onInit
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

!macro UlvoUninstallFrom PREFIX HOSTVALUE
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "${HOSTVALUE}"
  ${If} $R0 != ""
    StrCpy $0 "$R0\${BELOW_HOST}"
    !insertmacro UlvoRemoveLayout
    Delete "$0\LICENSE.txt"
    Delete "$0\THIRD-PARTY-NOTICES.txt"
    Delete "$0\uninstall.exe"
    !insertmacro UlvoRemoveFolders ${PREFIX}
  ${EndIf}
!macroend

Section "Uninstall"
  ; Leave the folders before removing them.
  SetOutPath $TEMP
  !insertmacro UlvoUninstallFrom "x86" "HostFolder32"
  !insertmacro UlvoUninstallFrom "main" "HostFolder"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
