; TickerSetup.exe: installs the ticker for every user of the machine.
;
;  - Ticker.exe, Update.exe and the help page zrthelp.html go into one folder, by default
;    "Tamzo!" under Program Files (the folder the ticker assumes when it finds no "Path");
;  - "Path" in HKLM\SOFTWARE\Ostrivane\Ticker names that folder: the ticker finds its help
;    page, its updater and itself (for a restart at another size) through it;
;  - a shortcut in the all-users Startup folder starts the ticker at every logon, and a
;    Start menu folder holds the ticker and its help page;
;  - Uninstall.exe, listed under Add/Remove Programs, takes all of that away again.
;
; The user's settings in HKLM\SOFTWARE\Ostrivane\Ticker (colours, topics, symbols, the
; account) stay when the ticker is removed, so that a new installation finds them; only
; "Path", which this installer wrote, goes.
;
; A running ticker is asked to close (WM_TICKER_CLOSE, as a newer copy of the ticker would ask
; it) before its files are replaced or removed.
;
; CMake (installer/CMakeLists.txt) passes:
;   TARGET      amd64-unicode (x86_64 build) or x86-ansi (i686 build)
;   TICKER_EXE  the built Ticker.exe, signed (the updater installs only signed builds)
;   UPDATE_EXE  the built Update.exe
;   HELP_PAGE   zrthelp.html
;   ICON        the ticker's icon (optional)
;   VERSION     the version shown in Add/Remove Programs, as "major.minor"
;   OUTFILE     where TickerSetup.exe is written
; Silent use: TickerSetup.exe /S [/D=folder]   and   Uninstall.exe /S

Target ${TARGET}
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!define PRODUCT "Ostrivane Ticker"
!define SETTINGS_KEY "SOFTWARE\Ostrivane\Ticker"
!define MAKER_KEY "SOFTWARE\Ostrivane"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Ostrivane Ticker"
!define STARTUP_LINK "$SMSTARTUP\${PRODUCT}.lnk"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define WM_TICKER_CLOSE 1125

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} Setup"
UninstallCaption "${PRODUCT} ${VERSION} Uninstall"
BrandingText "Ostrivane"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Tamzo!"
; A new installation goes where the last one went (the folder's long name, as chosen).
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
DirText "Setup will install the Tamzo! news ticker for the taskbar in the following folder. \
The ticker starts at every logon and shows quotes, headlines and weather next to the clock."
ShowInstDetails show
ShowUninstDetails show
XPStyle off
!ifdef ICON
    Icon "${ICON}"
    UninstallIcon "${ICON}"
!endif

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Ostrivane"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Ostrivane"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; -- the running ticker --------------------------------------------------------------------------
; The ticker has no top-level window: docked, its "Ticker" window is a child of the taskbar's
; notification area; expanded or over a screen saver, a child of its "SSBar" bar.
!macro TICKER_FUNCTIONS un
Function ${un}FindTicker
    ; Out: $R1, the ticker window or 0.
    FindWindow $R2 "Shell_TrayWnd"
    StrCpy $R1 0
    IntCmp $R2 0 bar
    FindWindow $R3 "TrayNotifyWnd" "" $R2
    IntCmp $R3 0 bar
    FindWindow $R1 "Ticker" "" $R3
    IntCmp $R1 0 bar
    Return
bar:
    FindWindow $R2 "SSBar"
    IntCmp $R2 0 done
    FindWindow $R1 "Ticker" "" $R2
done:
FunctionEnd

Function ${un}CloseTicker
    ; Asks a running ticker to close, then waits until its program file may be written: a
    ; program's file stays locked until its process has ended.
    StrCpy $R0 0
ask:
    Call ${un}FindTicker
    IntCmp $R1 0 closed
    DetailPrint "Closing the running ticker"
    SendMessage $R1 ${WM_TICKER_CLOSE} 0 0 /TIMEOUT=10000
    Sleep 250
    IntOp $R0 $R0 + 1
    IntCmp $R0 20 0 ask
closed:
    IfFileExists "$INSTDIR\Ticker.exe" 0 free
    StrCpy $R0 0
wait:
    ClearErrors
    FileOpen $R4 "$INSTDIR\Ticker.exe" a
    IfErrors 0 opened
    Sleep 250
    IntOp $R0 $R0 + 1
    IntCmp $R0 40 free wait free
opened:
    FileClose $R4
free:
FunctionEnd
!macroend
!insertmacro TICKER_FUNCTIONS ""
!insertmacro TICKER_FUNCTIONS "un."

; -- installing ---------------------------------------------------------------------------------
Section "Ticker"
    SetShellVarContext all
    Call CloseTicker

    SetOutPath "$INSTDIR"
    SetOverwrite on
    File "/oname=Ticker.exe" "${TICKER_EXE}"
    !ifdef UPDATE_EXE
        File "/oname=Update.exe" "${UPDATE_EXE}"
    !endif
    File "/oname=zrthelp.html" "${HELP_PAGE}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; "Path" without a trailing backslash, in the folder's short form where the file system
    ; has one (like the ticker's own default, c:\progra~1\tamzo!): the ticker appends file
    ; names to it and hands the help page's address to the browser on a command line, where
    ; a blank in the folder would split the address.
    GetFullPathName /SHORT $0 "$INSTDIR"
    StrCmp $0 "" 0 +2
        StrCpy $0 "$INSTDIR"
    WriteRegStr HKLM "${SETTINGS_KEY}" "Path" "$0"

    ; The working folder of both shortcuts is the install folder (the current SetOutPath).
    CreateShortCut "${STARTUP_LINK}" "$INSTDIR\Ticker.exe" "" "$INSTDIR\Ticker.exe" 0 \
        SW_SHOWNORMAL "" "Tamzo! news and quotes in the taskbar"
    CreateDirectory "${MENU_FOLDER}"
    CreateShortCut "${MENU_FOLDER}\Ticker.lnk" "$INSTDIR\Ticker.exe" "" \
        "$INSTDIR\Ticker.exe" 0 SW_SHOWNORMAL "" "Tamzo! news and quotes in the taskbar"
    CreateShortCut "${MENU_FOLDER}\Ticker Help.lnk" "$INSTDIR\zrthelp.html" "" "" 0 \
        SW_SHOWNORMAL "" "How to use the ticker"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ostrivane"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ticker.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "HelpLink" "$INSTDIR\zrthelp.html"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function .onInstSuccess
    IfSilent done
    MessageBox MB_YESNO|MB_ICONQUESTION "The ticker will start by itself at your next logon.$\r$\n\
$\r$\nStart it now?" IDNO done
    Exec '"$INSTDIR\Ticker.exe"'
done:
FunctionEnd

; -- removing -----------------------------------------------------------------------------------
Section "Uninstall"
    SetShellVarContext all
    Call un.CloseTicker

    Delete "${STARTUP_LINK}"
    Delete "${MENU_FOLDER}\Ticker.lnk"
    Delete "${MENU_FOLDER}\Ticker Help.lnk"
    RMDir "${MENU_FOLDER}"

    Delete "$INSTDIR\Ticker.exe"
    Delete "$INSTDIR\Update.exe"
    Delete "$INSTDIR\zrthelp.html"
    ; What the ticker's self-update leaves beside the program: the download, the expanded
    ; build, the build it replaced and the updater's log with the one before it.
    Delete "$INSTDIR\zrt-comp.exe"
    Delete "$INSTDIR\zrttemp.exe"
    Delete "$INSTDIR\Ticker.bak"
    Delete "$INSTDIR\update.log"
    Delete "$INSTDIR\update.log.1"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only when empty: anything else in the folder is the user's.
    RMDir "$INSTDIR"

    DeleteRegValue HKLM "${SETTINGS_KEY}" "Path"
    ; Keys the ticker never filled go too; the user's settings stay.
    DeleteRegKey /ifempty HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKLM "${MAKER_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
