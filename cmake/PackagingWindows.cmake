# The Windows packages: an NSIS installer (tellvane-VERSION-win64.exe) and a
# zip of the same files for sites that deploy by copying.
#
# The program writes its data file beside itself, so the installer installs
# for the current user into a folder that user may write, never below
# Program Files, and asks for no elevation. CMake's own installer template
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

file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in template)
string(REPLACE "  !define VERSION " "  Target amd64-unicode\n  !define VERSION " template "${template}")
string(REPLACE "RequestExecutionLevel admin" "RequestExecutionLevel user" template "${template}")
string(REPLACE "SetShellVarContext all" "SetShellVarContext current" template "${template}")
string(REPLACE [[StrCpy $INSTDIR "$DOCUMENTS\@CPACK_PACKAGE_INSTALL_DIRECTORY@"]]
               [[StrCpy $INSTDIR "@CPACK_NSIS_INSTALL_ROOT@\@CPACK_PACKAGE_INSTALL_DIRECTORY@"]]
       template "${template}")
file(WRITE ${CMAKE_BINARY_DIR}/nsis/NSIS.template.in "${template}")
set(CPACK_MODULE_PATH ${CMAKE_BINARY_DIR}/nsis ${CMAKE_MODULE_PATH})
