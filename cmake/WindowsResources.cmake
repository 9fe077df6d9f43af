# The Windows executables' own resources: a version (product Tellvane, shown
# under Properties), a manifest, and for tellvane.exe the message table the
# Application event log shows its entries with.
enable_language(RC)

set(TELLVANE_WIN_RES ${PROJECT_SOURCE_DIR}/res/win)
set(TELLVANE_MESSAGES_DIR ${CMAKE_BINARY_DIR}/res/win)

# The message table, compiled once: its header gives the event ids the event
# log is written with, its binary goes into tellvane.exe.
find_program(TELLVANE_MESSAGE_COMPILER NAMES ${TELLVANE_MINGW_PREFIX}-windmc windmc mc REQUIRED)
add_custom_command(
  OUTPUT ${TELLVANE_MESSAGES_DIR}/tellvane_messages.h ${TELLVANE_MESSAGES_DIR}/MSG00409.bin
  COMMAND ${CMAKE_COMMAND} -E make_directory ${TELLVANE_MESSAGES_DIR}
  COMMAND ${TELLVANE_MESSAGE_COMPILER} -h ${TELLVANE_MESSAGES_DIR} -r ${TELLVANE_MESSAGES_DIR}
          ${TELLVANE_WIN_RES}/tellvane_messages.mc
  DEPENDS ${TELLVANE_WIN_RES}/tellvane_messages.mc
  VERBATIM)
add_custom_target(tellvane_message_table
  DEPENDS ${TELLVANE_MESSAGES_DIR}/tellvane_messages.h ${TELLVANE_MESSAGES_DIR}/MSG00409.bin)

# tellvane_windows_resources(TARGET "DESCRIPTION" [MESSAGE_TABLE])
function(tellvane_windows_resources target description)
  cmake_parse_arguments(R "MESSAGE_TABLE" "" "" ${ARGN})
  set(TELLVANE_RC_NAME ${target})
  set(TELLVANE_RC_DESCRIPTION ${description})
  set(TELLVANE_RC_VERSION ${PROJECT_VERSION}.0)
  set(TELLVANE_RC_VERSION4 ${PROJECT_VERSION}.0.0)
  string(REPLACE "." "," TELLVANE_RC_VERSION_COMMAS ${TELLVANE_RC_VERSION4})
  set(dir ${CMAKE_BINARY_DIR}/res/win)
  set(TELLVANE_RC_MANIFEST ${dir}/${target}.manifest)
  set(TELLVANE_RC_EXTRA "")
  set(depends ${TELLVANE_RC_MANIFEST})
  if(R_MESSAGE_TABLE)
    set(TELLVANE_RC_EXTRA "1 MESSAGETABLE \"${TELLVANE_MESSAGES_DIR}/MSG00409.bin\"")
    list(APPEND depends ${TELLVANE_MESSAGES_DIR}/MSG00409.bin)
    add_dependencies(${target} tellvane_message_table)
  endif()
  configure_file(${TELLVANE_WIN_RES}/executable.manifest.in ${TELLVANE_RC_MANIFEST} @ONLY)
  configure_file(${TELLVANE_WIN_RES}/executable.rc.in ${dir}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${dir}/${target}.rc)
  set_source_files_properties(${dir}/${target}.rc PROPERTIES OBJECT_DEPENDS "${depends}")
endfunction()
