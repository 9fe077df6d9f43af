; Tellvane's own part of the Windows installer and uninstaller, included by
; the CPack template (cmake/PackagingWindows.cmake):
; - "Start Tellvane when I log in" (on by default): the Run key of the user;
; - registering as the event log's source, which asks for elevation;
; - never replacing or removing a running agent;
; - the uninstaller keeps the events unless "Also remove my events" is ticked.
; Silent installs take /NOSTARTATLOGIN and /EVENTVIEWER, silent uninstalls
; /REMOVEEVENTS. An upgrade runs the old uninstaller silently, so it keeps
; the events, and the settings, which no uninstall removes.

!include "nsDialogs.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define TELLVANE_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define TELLVANE_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\Tellvane"

Var TellvaneStartAtLogin  ; 1: the Run key is written
Var TellvaneEventViewer   ; 1: registered as the event source
Var TellvaneRemoveEvents  ; 1: the uninstaller removes the events too
Var TellvaneLoginBox
Var TellvaneEventViewerBox
Var TellvaneRemoveBox

; The running agent holds its named mutex; its program file cannot be
; replaced or removed then, and ending it behind the user's back would stop
; the events. So the user is asked to end it first.
!macro TellvaneWaitUntilNotRunning UN
Function ${UN}TellvaneWaitUntilNotRunning
  retry:
    System::Call 'kernel32::OpenMutexW(i 0x100000, i 0, w "ZQTellvane") p.r0'
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
        "Tellvane is running. End it first (its tray icon's menu: Exit), then choose Retry." \
        /SD IDCANCEL IDRETRY retry
      SetErrorLevel 2
      Quit
    ${EndIf}
FunctionEnd
!macroend
!insertmacro TellvaneWaitUntilNotRunning ""
!insertmacro TellvaneWaitUntilNotRunning "un."

Function TellvaneReadOptions
  StrCpy $TellvaneStartAtLogin 1
  StrCpy $TellvaneEventViewer 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/NOSTARTATLOGIN" $R1
  ${IfNot} ${Errors}
    StrCpy $TellvaneStartAtLogin 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/EVENTVIEWER" $R1
  ${IfNot} ${Errors}
    StrCpy $TellvaneEventViewer 1
  ${EndIf}
  Call TellvaneWaitUntilNotRunning
FunctionEnd

Function un.TellvaneReadOptions
  StrCpy $TellvaneRemoveEvents 0
  ${un.GetParameters} $R0
  ClearErrors
  ${un.GetOptions} $R0 "/REMOVEEVENTS" $R1
  ${IfNot} ${Errors}
    StrCpy $TellvaneRemoveEvents 1
  ${EndIf}
  Call un.TellvaneWaitUntilNotRunning
FunctionEnd

Function TellvaneOptionsPage
  !insertmacro MUI_HEADER_TEXT "Options" "How Tellvane starts, and what Event Viewer shows of it."
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateCheckbox} 0 0 100% 12u "Start Tellvane when I log in"
  Pop $TellvaneLoginBox
  ${If} $TellvaneStartAtLogin == 1
    ${NSD_Check} $TellvaneLoginBox
  ${EndIf}
  ${NSD_CreateLabel} 12u 14u -12u 20u \
    "Events are received only while Tellvane runs."
  Pop $R0
  ${NSD_CreateCheckbox} 0 40u 100% 12u "Show Tellvane's entries with their text in Event Viewer"
  Pop $TellvaneEventViewerBox
  ${If} $TellvaneEventViewer == 1
    ${NSD_Check} $TellvaneEventViewerBox
  ${EndIf}
  ${NSD_CreateLabel} 12u 54u -12u 40u \
    "Registers Tellvane as a source of the Application log; Windows asks for an administrator's permission. \
Without it the entries are written all the same, below a note that their description cannot be found."
  Pop $R0
  nsDialogs::Show
FunctionEnd

Function TellvaneOptionsLeave
  ${NSD_GetState} $TellvaneLoginBox $R0
  ${If} $R0 == ${BST_CHECKED}
    StrCpy $TellvaneStartAtLogin 1
  ${Else}
    StrCpy $TellvaneStartAtLogin 0
  ${EndIf}
  ${NSD_GetState} $TellvaneEventViewerBox $R0
  ${If} $R0 == ${BST_CHECKED}
    StrCpy $TellvaneEventViewer 1
  ${Else}
    StrCpy $TellvaneEventViewer 0
  ${EndIf}
FunctionEnd

Function un.TellvaneRemovePage
  !insertmacro MUI_HEADER_TEXT "Your events" "Tellvane's events stay unless you remove them too."
  nsDialogs::Create 1018
  Pop $R0
  ${NSD_CreateCheckbox} 0 0 100% 12u "Also remove my events"
  Pop $TellvaneRemoveBox
  ${NSD_CreateLabel} 12u 14u -12u 40u \
    "The events (zqtvane.dat and archive.sqlite in $INSTDIR), their damaged copies and the rescue copies in \
$LOCALAPPDATA\Tellvane. Left unticked, a later installation in the same folder finds them again."
  Pop $R0
  nsDialogs::Show
FunctionEnd

Function un.TellvaneRemoveLeave
  ${NSD_GetState} $TellvaneRemoveBox $R0
  ${If} $R0 == ${BST_CHECKED}
    StrCpy $TellvaneRemoveEvents 1
  ${EndIf}
FunctionEnd

Function TellvaneInstall
  ${If} $TellvaneStartAtLogin == 1
    WriteRegStr HKCU "${TELLVANE_RUN_KEY}" "Tellvane" '"$INSTDIR\tellvane.exe"'
  ${Else}
    DeleteRegValue HKCU "${TELLVANE_RUN_KEY}" "Tellvane"
  ${EndIf}
  ${If} $TellvaneEventViewer == 1
    ExecShellWait "runas" "$INSTDIR\tellvane.exe" "--register-event-source" SW_HIDE
    ReadRegStr $R0 HKLM "${TELLVANE_SOURCE_KEY}" "EventMessageFile"
    ${If} $R0 != "$INSTDIR\tellvane.exe"
      MessageBox MB_OK|MB_ICONEXCLAMATION \
        "Tellvane was not registered with Event Viewer: that needs an administrator's permission. \
To do it later, run $\"$INSTDIR\tellvane.exe$\" --register-event-source as an administrator." /SD IDOK
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.TellvaneUninstall
  ReadRegStr $R0 HKCU "${TELLVANE_RUN_KEY}" "Tellvane"
  ${If} $R0 == '"$INSTDIR\tellvane.exe"'
    DeleteRegValue HKCU "${TELLVANE_RUN_KEY}" "Tellvane"
  ${EndIf}
  ; An upgrade uninstalls silently and registers the same file again.
  ReadRegStr $R0 HKLM "${TELLVANE_SOURCE_KEY}" "EventMessageFile"
  ${If} $R0 == "$INSTDIR\tellvane.exe"
  ${AndIfNot} ${Silent}
    ExecShellWait "runas" "$INSTDIR\tellvane.exe" "--unregister-event-source" SW_HIDE
  ${EndIf}
  ${If} $TellvaneRemoveEvents == 1
    Delete "$INSTDIR\zqtvane.dat"
    Delete "$INSTDIR\zqtvane.dat.tmp"
    Delete "$INSTDIR\zqtvane.dat.damaged*"
    Delete "$INSTDIR\archive.sqlite"
    Delete "$INSTDIR\archive.sqlite-wal"
    Delete "$INSTDIR\archive.sqlite-shm"
    Delete "$INSTDIR\archive.sqlite.damaged*"
    Delete "$LOCALAPPDATA\Tellvane\zqtvane.dat.rescue-*"
    RMDir "$LOCALAPPDATA\Tellvane"
  ${EndIf}
FunctionEnd
