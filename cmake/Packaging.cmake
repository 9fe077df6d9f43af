# Installation and the Debian package.
include(GNUInstallDirs)

# On Windows both programs sit in the top folder: the data file is written
# beside the executable.
if(WIN32)
  set(program_destination .)
else()
  set(program_destination ${CMAKE_INSTALL_BINDIR})
endif()
foreach(program tellvane tellvane-send)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${program_destination})
  endif()
endforeach()

if(NOT WIN32)
  set(desktop ${CMAKE_CURRENT_SOURCE_DIR}/res/desktop)
  install(FILES ${desktop}/tellvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  # Not active by itself: the user copies it to ~/.config/autostart (see README).
  install(FILES ${desktop}/tellvane-autostart.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/tellvane/autostart RENAME tellvane.desktop)

  set(icons ${CMAKE_CURRENT_SOURCE_DIR}/res/icons)
  if(EXISTS ${icons}/tellvane.svg)
    install(FILES ${icons}/tellvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    foreach(size 16 24 32 48 64 128 256)
      install(FILES ${icons}/hicolor/${size}/tellvane.png
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
  endif()

  # Debian wants the changelog and the manual pages compressed, reproducibly.
  function(tellvane_gzip source output)
    add_custom_command(OUTPUT ${output} COMMAND gzip -9nc ${source} > ${output} DEPENDS ${source})
  endfunction()

  set(deb ${CMAKE_CURRENT_SOURCE_DIR}/res/deb)
  set(changelog_gz ${CMAKE_BINARY_DIR}/changelog.gz)
  tellvane_gzip(${deb}/changelog ${changelog_gz})
  install(FILES ${deb}/copyright ${changelog_gz} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tellvane)
  install(FILES ${deb}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tellvane)

  set(manuals)
  foreach(page tellvane.1 tellvane-send.1)
    tellvane_gzip(${CMAKE_CURRENT_SOURCE_DIR}/res/man/${page} ${CMAKE_BINARY_DIR}/man/${page}.gz)
    list(APPEND manuals ${CMAKE_BINARY_DIR}/man/${page}.gz)
  endforeach()
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/man)
  install(FILES ${manuals} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  add_custom_target(deb_compressed_docs ALL DEPENDS ${changelog_gz} ${manuals})
endif()

set(CPACK_PACKAGE_NAME tellvane)
set(CPACK_PACKAGE_VENDOR Zentrovo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION}.0)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop event agent for an electronic locking system")
# CPack indents every line of it by one space itself.
set(CPACK_PACKAGE_DESCRIPTION "Tellvane receives lock, door-monitoring, warning and alarm events from the\nlock-management software on the same workstation, keeps them across restarts,\nmakes new events noticed and lists them in a filterable, sortable Monitor\nwith CSV export. Includes tellvane-send, a command-line sender for trials.")
if(WIN32)
  include(${CMAKE_CURRENT_LIST_DIR}/PackagingWindows.cmake)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  # CPack's strip leaves the compilers' .comment and .note sections, which
  # Debian's own packages drop.
  set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripPackage.cmake)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Zentrovo <support@zentrovo.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Without it Qt finds no platform in a Wayland session that has no X server.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
include(CPack)
