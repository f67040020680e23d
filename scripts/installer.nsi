; The program's Windows installer, made with Debian's makensis by
; scripts/windows from the staged program folder:
;   makensis -DVERSION=<version> -DSTAGE=<folder> -DOUTFILE=<file.exe> scripts/installer.nsi
;
; It installs into a folder the user can write (the data folders DATA, KULD,
; LISTA, TEMP and DATA\MENT live beside the program), makes the Start-menu
; and desktop shortcuts, and can copy the county office's tables into DATA:
; from the folder the office's files came in, or from the folder of the old
; program, whose DATA folder is copied (never moved). The uninstaller removes
; the program's own files only; the data folders stay.
;
; Silent install (tests, administrators):
;   szakapolas-<version>-setup.exe /S [/TABLAK=<folder>] [/D=<install folder>]

Unicode true
; A 64-bit installer for the 64-bit program (and for Wine without 32-bit support).
Target amd64-unicode
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not given (-DVERSION=...)"
!endif
!ifndef STAGE
  !error "STAGE is not given (-DSTAGE=...)"
!endif
!ifndef OUTFILE
  !define OUTFILE "szakapolas-${VERSION}-setup.exe"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

Name "Szakápolás ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "C:\Szakapolas"
InstallDirRegKey HKCU "Software\Szakapolas" "Mappa"
; The program folder is the user's own: no administrator rights are needed,
; and the shortcuts are the user's.
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1038 "ProductName" "Szakápolás"
VIAddVersionKey /LANG=1038 "FileDescription" "Szakápolás telepítő"
VIAddVersionKey /LANG=1038 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1038 "LegalCopyright" "Szakápolás"

Var Tablak        ; the folder the county office's tables are copied from
Var TablakMasolva ; how many tables were copied

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "A telepítő a Szakápolás ${VERSION} programot telepíti a számítógépre.$\r$\n$\r$\nA program a saját mappájában tartja az adatait (DATA, KULD, LISTA), ezért olyan mappába telepítse, amelybe írhat. Egy korábbi telepítés adatait a telepítő nem írja felül.$\r$\n$\r$\nA folytatáshoz kattintson a Tovább gombra."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "A program és az adatai ebbe a mappába kerülnek. Olyan mappát válasszon, amelybe írhat (például C:\Szakapolas)."
!insertmacro MUI_PAGE_DIRECTORY
; The folder of the county office's tables, shown only when they are to be copied.
!define MUI_PAGE_HEADER_TEXT "A megyei pénztár táblái"
!define MUI_PAGE_HEADER_SUBTEXT "Honnan másolja a telepítő a szerződéses táblákat?"
!define MUI_DIRECTORYPAGE_TEXT_TOP "A program a megyei pénztártól kapott táblák (PART.DBF, SZERZ.DBF, BNOTORZS.DBF és a többi) nélkül nem indul. Válassza ki a mappát, amelyben ezek vannak: a pénztártól kapott lemez vagy mappa, vagy a korábbi program mappája (ennek DATA mappáját a telepítő átmásolja, az eredetit nem változtatja meg). A már meglévő állományokat a telepítő nem írja felül."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "A táblák mappája"
!define MUI_DIRECTORYPAGE_VARIABLE $Tablak
!define MUI_PAGE_CUSTOMFUNCTION_PRE TablakPre
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE TablakLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\szakapolas.exe"
!define MUI_FINISHPAGE_RUN_TEXT "A Szakápolás indítása"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Hungarian"

Section "A program" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  ; Everything the program loads: the program, Qt, the MinGW runtime,
  ; SQLite, the platform plugins, Qt's Hungarian texts, and the licences of
  ; what is shipped.
  File /r "${STAGE}\*.*"
  CreateDirectory "$INSTDIR\DATA"
  CreateDirectory "$INSTDIR\KULD"
  CreateDirectory "$INSTDIR\LISTA"
  CreateDirectory "$INSTDIR\TEMP"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "Software\Szakapolas" "Mappa" "$INSTDIR"
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas" "DisplayName" "Szakápolás"
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas" "NoModify" 1
  WriteRegDWORD HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas" "NoRepair" 1
SectionEnd

Section "Parancsikonok (Start menü és asztal)" SecShortcuts
  ; The program's folder is its working folder: it finds DATA there.
  SetOutPath "$INSTDIR"
  CreateDirectory "$SMPROGRAMS\Szakápolás"
  CreateShortcut "$SMPROGRAMS\Szakápolás\Szakápolás.lnk" "$INSTDIR\szakapolas.exe"
  CreateShortcut "$SMPROGRAMS\Szakápolás\Eltávolítás.lnk" "$INSTDIR\uninstall.exe"
  CreateShortcut "$DESKTOP\Szakápolás.lnk" "$INSTDIR\szakapolas.exe"
SectionEnd

Section "A megyei pénztár tábláinak bemásolása" SecTablak
  ${If} $Tablak == ""
    Return
  ${EndIf}
  ; The old program's folder: its DATA folder holds the tables.
  StrCpy $0 "$Tablak"
  ${If} ${FileExists} "$Tablak\DATA\*.dbf"
    StrCpy $0 "$Tablak\DATA"
  ${EndIf}
  DetailPrint "Táblák másolása innen: $0"
  StrCpy $TablakMasolva 0
  ; Copied, never moved, and never over a file that is already there.
  FindFirst $1 $2 "$0\*.*"
  ${DoWhile} $2 != ""
    ${If} ${FileExists} "$0\$2"
    ${AndIfNot} ${FileExists} "$0\$2\*.*"
      Push $2
      Call TablaE
      Pop $3
      ${If} $3 == 1
        ${IfNot} ${FileExists} "$INSTDIR\DATA\$2"
          CopyFiles /SILENT "$0\$2" "$INSTDIR\DATA\$2"
          IntOp $TablakMasolva $TablakMasolva + 1
        ${Else}
          DetailPrint "Már megvan, nem írom felül: $2"
        ${EndIf}
      ${EndIf}
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
  DetailPrint "Bemásolt táblák: $TablakMasolva"
SectionEnd

LangString DESC_SecProgram ${LANG_HUNGARIAN} "A Szakápolás program és a futásához szükséges állományok."
LangString DESC_SecShortcuts ${LANG_HUNGARIAN} "Parancsikon a Start menüben és az asztalon."
LangString DESC_SecTablak ${LANG_HUNGARIAN} "A megyei pénztártól kapott táblák (vagy a korábbi program adatai) bemásolása a DATA mappába. A program ezek nélkül nem indul."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} $(DESC_SecProgram)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecShortcuts} $(DESC_SecShortcuts)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecTablak} $(DESC_SecTablak)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; TablaE: is the file name on the stack a table's (.dbf, or its memo .dbt)?
; Leaves 1 or 0.
Function TablaE
  Exch $R0
  Push $R1
  StrCpy $R1 $R0 4 -4
  ${If} $R1 == ".dbf"
  ${OrIf} $R1 == ".dbt"
    StrCpy $R0 1
  ${Else}
    StrCpy $R0 0
  ${EndIf}
  Pop $R1
  Exch $R0
FunctionEnd

Function .onInit
  ; /TABLAK=<folder>: the tables' folder for a silent install.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/TABLAK=" $1
  ${IfNot} ${Errors}
    StrCpy $Tablak $1
  ${Else}
    ; Not asked for in a silent install unless given.
    ${If} ${Silent}
      !insertmacro UnselectSection ${SecTablak}
    ${EndIf}
  ${EndIf}
FunctionEnd

Function TablakPre
  ${IfNot} ${SectionIsSelected} ${SecTablak}
    Abort
  ${EndIf}
FunctionEnd

Function TablakLeave
  StrCpy $0 "$Tablak"
  ${If} ${FileExists} "$Tablak\DATA\*.dbf"
    StrCpy $0 "$Tablak\DATA"
  ${EndIf}
  ${IfNot} ${FileExists} "$0\*.dbf"
    MessageBox MB_ICONEXCLAMATION|MB_OK "A választott mappában nincs tábla (.DBF állomány):$\r$\n$Tablak$\r$\n$\r$\nVálassza ki a pénztártól kapott táblák mappáját vagy a korábbi program mappáját!"
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; Only the program's own files: DATA (with MENT), KULD and LISTA stay, with
  ; the provider's sheets, backups, shipments and lists.
  Delete "$INSTDIR\szakapolas.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\*.qm"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\licencek"
  RMDir /r "$INSTDIR\TEMP"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Szakápolás\Szakápolás.lnk"
  Delete "$SMPROGRAMS\Szakápolás\Eltávolítás.lnk"
  RMDir "$SMPROGRAMS\Szakápolás"
  Delete "$DESKTOP\Szakápolás.lnk"
  DeleteRegKey HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Szakapolas"
  DeleteRegKey HKCU "Software\Szakapolas"
  ; Removed only when empty: the data folders keep it.
  RMDir "$INSTDIR"
SectionEnd
