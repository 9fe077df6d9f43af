# The Windows packages: an NSIS installer (tellvane-VERSION-win64.exe) and a
# zip of the same files for sites that deploy by copying.
#
# The program writes its data file beside itself, so the installer installs
# for the current user into a folder that user may write, never below
# Program Files, and asks for no elevation itself (registering with Event
# Viewer, if the user chooses it, does). CMake's own installer template
# installs for all users whenever the user is an administrator; the template
# used here is that one with the per-user choices made, and with the 64-bit
# installer stub: the program is 64-bit, and a 64-bit Wine runs no other.
set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tellvane)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tellvane)
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\\\Programs")
set(CPACK_NSIS_DISPLAY_NAME Tellvane)
set(CPACK_NSIS_PACKAGE_NAME Tellvane)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_PACKAGE_EXECUTABLES tellvane Tellvane)
set(CPACK_NSIS_INSTALLED_ICON_NAME tellvane.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)

# Tellvane's own pages and steps (res/win/installer.nsh): start at login,
# the event source, a running agent left alone, the events kept.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "Call TellvaneInstall")
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Call un.TellvaneUninstall")

file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in template)
# Each change must find its place: a template that moved on fails the build
# rather than make an installer without it.
function(tellvane_patch_template from to)
  string(FIND "${template}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "The NSIS template has no \"${from}\"")
  endif()
  string(REPLACE "${from}" "${to}" patched "${template}")
  set(template "${patched}" PARENT_SCOPE)
endfunction()
tellvane_patch_template("  !define VERSION " "  Target amd64-unicode\n  !define VERSION ")
tellvane_patch_template("RequestExecutionLevel admin" "RequestExecutionLevel user")
tellvane_patch_template("SetShellVarContext all" "SetShellVarContext current")
tellvane_patch_template([[StrCpy $INSTDIR "$DOCUMENTS\@CPACK_PACKAGE_INSTALL_DIRECTORY@"]]
                        [[StrCpy $INSTDIR "@CPACK_NSIS_INSTALL_ROOT@\@CPACK_PACKAGE_INSTALL_DIRECTORY@"]])
tellvane_patch_template("  !insertmacro MUI_PAGE_INSTFILES\n"
                        "  Page custom TellvaneOptionsPage TellvaneOptionsLeave\n  !insertmacro MUI_PAGE_INSTFILES\n")
tellvane_patch_template("  !insertmacro MUI_UNPAGE_CONFIRM\n"
                        "  !insertmacro MUI_UNPAGE_CONFIRM\n  UninstPage custom un.TellvaneRemovePage un.TellvaneRemoveLeave\n")
tellvane_patch_template("Function .onInit\n"
                        "!include \"${PROJECT_SOURCE_DIR}/res/win/installer.nsh\"\n\nFunction .onInit\n  Call TellvaneReadOptions\n")
tellvane_patch_template("Function un.onInit\n" "Function un.onInit\n  Call un.TellvaneReadOptions\n")
# The installation is the user's, and so is its uninstaller's entry: an
# upgrade finds the old one there and runs it first.
tellvane_patch_template(
  [[ReadRegStr $0 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@" "UninstallString"]]
  [[ReadRegStr $0 HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@" "UninstallString"]])
# The settings live below Software\Zentrovo\Tellvane: the uninstaller takes
# only its own values there, so an upgrade (and a later installation) keeps
# them.
tellvane_patch_template(
  [[  DeleteRegKey SHCTX "Software\@CPACK_PACKAGE_VENDOR@\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@"
]]
  [[  DeleteRegValue SHCTX "Software\@CPACK_PACKAGE_VENDOR@\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@" ""
]])
tellvane_patch_template(
  [[  DeleteRegKey /ifempty SHCTX "Software\@CPACK_PACKAGE_VENDOR@\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@"
]]
  [[  DeleteRegValue SHCTX "Software\@CPACK_PACKAGE_VENDOR@\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@" "Start Menu Folder"
  DeleteRegKey /ifempty SHCTX "Software\@CPACK_PACKAGE_VENDOR@\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@"
  DeleteRegKey /ifempty SHCTX "Software\@CPACK_PACKAGE_VENDOR@"
]])
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in "${template}")
set(CPACK_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis ${CMAKE_MODULE_PATH})
